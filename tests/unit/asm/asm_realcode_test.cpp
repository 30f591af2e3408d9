/*
** Real code: the reference assembler's own example programs and macro
** libraries (realcode/, adapted to flat output by tools/gen_asm_realcode.py)
** must assemble to the bytes the reference made of them, recorded beside
** each program as <name>.bin. Includes are found as the reference finds
** them: the including file's folder, then the program's folder, then
** realcode/include (the stand-ins for headers the package lacks, which
** the reference reads through its INCLUDE variable). Where fasm is
** installed, each record is checked against it too.
*/
#include "tests/unit/asm/asm_test_util.h"
#include "tests/support/ts_tmp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path &p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

std::vector<std::string> programs() {
  std::vector<std::string> out;
  fs::path root(ASM_REALCODE_DIR);
  for (auto &e : fs::recursive_directory_iterator(root)) {
    fs::path rel = fs::relative(e.path(), root);
    if (e.path().extension() == ".asm" && *rel.begin() != "include")
      out.push_back(rel.generic_string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

/* Files of the program's tree, with the reference's path rules. */
class tree_services : public test_services {
public:
  fs::path dir;
  bool read_file(const char *name, std::string &text) override {
    std::string n = name;
    std::replace(n.begin(), n.end(), '\\', '/');
    for (const fs::path &p : {dir / n, fs::path(ASM_REALCODE_DIR) / "include" / n}) {
      std::error_code ec;
      if (fs::is_regular_file(p, ec)) {
        text = slurp(p);
        return true;
      }
    }
    return false;
  }
};

std::string test_name(const std::string &rel) {
  std::string n = rel.substr(0, rel.size() - 4);
  for (char &c : n)
    if (!isalnum((unsigned char)c))
      c = '_';
  return n;
}

class AsmRealCode : public ::testing::TestWithParam<std::string> {};

TEST_P(AsmRealCode, SameBytesAsTheReference) {
  fs::path src = fs::path(ASM_REALCODE_DIR) / GetParam();
  std::string text = slurp(src);
  std::string rec = slurp(fs::path(src).replace_extension(".bin"));
  ASSERT_FALSE(rec.empty()) << "no recorded output for " << GetParam();
  tree_services svc;
  svc.dir = src.parent_path();
  asm_options opt;
  opt.format = ASM_FORMAT_BINARY;
  std::vector<uint8_t> got;
  std::string name = src.filename().string();
  ASSERT_TRUE(asm_assemble(name.c_str(), text.data(), text.size(), &svc, opt, got))
      << svc.out;
  std::vector<uint8_t> want(rec.begin(), rec.end());
  size_t n = std::min(want.size(), got.size()), at = 0;
  while (at < n && want[at] == got[at])
    at++;
  if (at < n || want.size() != got.size()) {
    std::vector<uint8_t> w(want.begin() + (long)at,
                           want.begin() + (long)std::min(want.size(), at + 12));
    std::vector<uint8_t> g(got.begin() + (long)at,
                           got.begin() + (long)std::min(got.size(), at + 12));
    FAIL() << "first difference at offset " << at << " (sizes " << want.size()
           << " / " << got.size() << ")\n  fasm: " << asm_hex_bytes(w)
           << "\n  ours: " << asm_hex_bytes(g);
  }
}

TEST_P(AsmRealCode, RecordStillMatchesTheReference) {
  if (std::system("command -v fasm >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "fasm is not installed: the recorded bytes stand";
  fs::path src = fs::path(ASM_REALCODE_DIR) / GetParam();
  fs::path out = ts_tmpfile("realcode_" + test_name(GetParam()) + ".bin");
  std::string cmd = "cd '" + src.parent_path().string() + "' && INCLUDE='" +
                    (fs::path(ASM_REALCODE_DIR) / "include").string() + "' fasm '" +
                    src.filename().string() + "' '" + out.string() + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  std::string b = slurp(out), rec = slurp(fs::path(src).replace_extension(".bin"));
  fs::remove(out);
  EXPECT_TRUE(b == rec) << "the reference now makes other bytes of " << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Programs, AsmRealCode, ::testing::ValuesIn(programs()),
                         [](const ::testing::TestParamInfo<std::string> &i) {
                           return test_name(i.param);
                         });

} // namespace
