/*
** Instruction forms against the reference assembler's bytes. Each file of
** forms/ starts with the mode line (use16, use32, use64); every further
** line is one instruction, a tab, and the bytes fasm makes of it in hex
** (tools/gen_asm_forms.py writes them). Every form is assembled alone and
** must give those bytes. Where fasm is installed, each file is also
** assembled whole by it and must still give the recorded bytes.
*/
#include "tests/unit/asm/asm_test_util.h"
#include "tests/support/ts_tmp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct form {
  std::string src, hex;
};

/* Forms the engine encodes otherwise on purpose, with the reason. */
const std::map<std::string, const char *> deviations = {
};

std::vector<std::string> sets() {
  std::vector<std::string> names;
  for (auto &e : fs::directory_iterator(ASM_FORMS_DIR))
    if (e.path().extension() == ".txt")
      names.push_back(e.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

bool read_set(const std::string &name, std::string &mode, std::vector<form> &out) {
  std::ifstream f(fs::path(ASM_FORMS_DIR) / (name + ".txt"));
  if (!f || !std::getline(f, mode))
    return false;
  std::string line;
  while (std::getline(f, line)) {
    size_t tab = line.find('\t');
    if (tab == std::string::npos)
      continue;
    out.push_back(form{line.substr(0, tab), line.substr(tab + 1)});
  }
  return true;
}

std::string slurp(const fs::path &p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

class AsmForms : public ::testing::TestWithParam<std::string> {};

TEST_P(AsmForms, SameBytesAsTheReference) {
  std::string mode;
  std::vector<form> forms;
  ASSERT_TRUE(read_set(GetParam(), mode, forms));
  ASSERT_GT(forms.size(), 100u);
  std::string report;
  int bad = 0;
  for (const form &f : forms) {
    if (deviations.count(f.src))
      continue;
    std::string got = asm_hex(mode + "\n" + f.src + "\n");
    if (got != f.hex) {
      if (++bad <= 400)
        report += "  " + f.src + "\n    fasm: " + f.hex + "\n    ours: " + got + "\n";
    }
  }
  EXPECT_EQ(bad, 0) << bad << " of " << forms.size() << " forms differ:\n" << report;
}

/* The recorded bytes are still what the installed reference makes. */
TEST_P(AsmForms, RecordStillMatchesTheReference) {
  if (std::system("command -v fasm >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "fasm is not installed: the recorded bytes stand";
  std::string mode;
  std::vector<form> forms;
  ASSERT_TRUE(read_set(GetParam(), mode, forms));
  std::string src = mode + "\n", want;
  for (const form &f : forms) {
    src += f.src + "\n";
    want += (want.empty() ? "" : " ") + f.hex;
  }
  std::string in = ts_tmpfile("forms_" + GetParam() + ".asm"),
              bin = ts_tmpfile("forms_" + GetParam() + ".bin");
  std::ofstream(in, std::ios::binary) << src;
  std::string cmd = "fasm '" + in + "' '" + bin + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::string b = slurp(bin);
  EXPECT_EQ(asm_hex_bytes(std::vector<uint8_t>(b.begin(), b.end())), want);
}

INSTANTIATE_TEST_SUITE_P(Forms, AsmForms, ::testing::ValuesIn(sets()),
                         [](const ::testing::TestParamInfo<std::string> &i) {
                           return i.param;
                         });

} // namespace
