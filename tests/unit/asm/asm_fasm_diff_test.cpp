/*
** Differential test: every source in corpus/ is assembled by this engine
** (binary format) and must give the bytes the reference assembler `fasm`
** made of it, recorded beside it as <name>.bin (tools/gen_asm_cases.py).
** Where fasm is installed, the record is checked against it too.
*/
#include "tests/unit/asm/asm_test_util.h"
#include "tests/support/ts_tmp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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

bool have_fasm() {
  return std::system("command -v fasm >/dev/null 2>&1") == 0;
}

std::vector<std::string> corpus() {
  std::vector<std::string> names;
  for (auto &e : fs::directory_iterator(ASM_CORPUS_DIR))
    if (e.path().extension() == ".asm")
      names.push_back(e.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

/* The reference's bytes; its default mode is 16-bit, ours 32-bit. */
bool reference(const std::string &name, const std::string &src,
               std::vector<uint8_t> &out, std::string &log) {
  std::string in = ts_tmpfile("fasm_" + name + ".asm"), bin = ts_tmpfile("fasm_" + name + ".bin"),
              txt = ts_tmpfile("fasm_" + name + ".log");
  std::ofstream(in, std::ios::binary) << "use32\n" << src << "\n";
  std::string cmd = "fasm '" + in + "' '" + bin + "' >'" + txt + "' 2>&1";
  int rc = std::system(cmd.c_str());
  log = slurp(txt);
  if (rc != 0)
    return false;
  std::string b = slurp(bin);
  out.assign(b.begin(), b.end());
  return true;
}

class AsmFasmDiff : public ::testing::TestWithParam<std::string> {};

TEST_P(AsmFasmDiff, RecordStillMatchesTheReference) {
  if (!have_fasm())
    GTEST_SKIP() << "fasm is not installed: the recorded bytes stand";
  std::string name = GetParam();
  std::string src = slurp(fs::path(ASM_CORPUS_DIR) / (name + ".asm"));
  std::string rec = slurp(fs::path(ASM_CORPUS_DIR) / (name + ".bin"));
  std::vector<uint8_t> want;
  std::string log;
  ASSERT_TRUE(reference(name, src, want, log)) << "reference failed:\n" << log;
  EXPECT_EQ(asm_hex_bytes(want), asm_hex_bytes(std::vector<uint8_t>(rec.begin(), rec.end())));
}

TEST_P(AsmFasmDiff, SameBytes) {
  std::string name = GetParam();
  std::string src = slurp(fs::path(ASM_CORPUS_DIR) / (name + ".asm"));
  std::string rec = slurp(fs::path(ASM_CORPUS_DIR) / (name + ".bin"));
  ASSERT_FALSE(rec.empty()) << name << ".bin is missing";
  std::vector<uint8_t> want(rec.begin(), rec.end());
  test_services svc;
  asm_options opt;
  opt.format = ASM_FORMAT_BINARY;
  std::vector<uint8_t> got;
  ASSERT_TRUE(asm_assemble(name.c_str(), src.data(), src.size(), &svc, opt, got))
      << svc.out;
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

INSTANTIATE_TEST_SUITE_P(Corpus, AsmFasmDiff, ::testing::ValuesIn(corpus()),
                         [](const ::testing::TestParamInfo<std::string> &i) {
                           return i.param;
                         });

} // namespace
