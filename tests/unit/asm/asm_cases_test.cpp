/*
** Directive cases against the reference assembler's recorded results.
** cases/<set>.asm holds cases, each after a line ";; case: name";
** <set>.expect gives for each the reference's bytes in hex, or "ERR:" and
** the message it rejected the case with (tools/gen_asm_cases.py writes
** them). Each case is assembled alone in 32-bit mode; the bytes, or the
** message text of the table, must be the same.
*/
#include "tests/unit/asm/asm_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

/* Cases the engine answers otherwise on purpose, with the reason. */
const std::map<std::string, const char *> deviations = {
  {"err_directive",
   "`err` reports \"unexpected instruction\": the message table has no text "
   "of its own for it"},
  {"repeat_total",
   "`%t`, the count of the innermost repeat, is kept from the engine's "
   "earlier dialect; the reference reads it as an error"},
};

/* Messages of the reference that the engine's message table lacks, and
** the table's text given instead. */
const std::map<std::string, std::string> foreign = {
  {"ERR:symbol out of scope", "ERR:undefined symbol"}, /* read before its value */
  {"ERR:assertion failed", "ERR:invalid value"},
};

std::vector<std::string> sets() {
  std::vector<std::string> names;
  for (auto &e : fs::directory_iterator(ASM_CASES_DIR))
    if (e.path().extension() == ".asm")
      names.push_back(e.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::pair<std::string, std::string>> read_cases(const std::string &set) {
  std::ifstream f(fs::path(ASM_CASES_DIR) / (set + ".asm"));
  std::vector<std::pair<std::string, std::string>> out;
  std::string line;
  const std::string mark = ";; case: ";
  while (std::getline(f, line)) {
    if (line.compare(0, mark.size(), mark) == 0)
      out.emplace_back(line.substr(mark.size()), "");
    else if (!out.empty())
      out.back().second += line + "\n";
  }
  return out;
}

std::map<std::string, std::string> read_expect(const std::string &set) {
  std::ifstream f(fs::path(ASM_CASES_DIR) / (set + ".expect"));
  std::map<std::string, std::string> out;
  std::string line;
  while (std::getline(f, line)) {
    size_t tab = line.find('\t');
    if (tab != std::string::npos)
      out[line.substr(0, tab)] = line.substr(tab + 1);
  }
  return out;
}

/* Our result in the form of the expectations: hex, or ERR:message. */
std::string ours(const std::string &src) {
  test_services svc;
  std::string hex = asm_hex("use32\n" + src, &svc);
  if (hex.compare(0, 4, "ERR:") != 0)
    return hex;
  const auto &p = svc.pieces;
  if (p.size() >= 3 && p[2] == " << ")
    return "ERR:" + p[1];
  return "ERR:" + (p.empty() ? std::string() : p[0]);
}

class AsmCases : public ::testing::TestWithParam<std::string> {};

TEST_P(AsmCases, SameResultAsTheReference) {
  auto cases = read_cases(GetParam());
  auto expect = read_expect(GetParam());
  ASSERT_FALSE(cases.empty());
  std::string report;
  int bad = 0;
  for (auto &c : cases) {
    auto it = expect.find(c.first);
    if (it == expect.end()) {
      bad++;
      report += "  " + c.first + ": no recorded result\n";
      continue;
    }
    if (deviations.count(c.first))
      continue;
    auto f = foreign.find(it->second);
    const std::string &want = f == foreign.end() ? it->second : f->second;
    std::string got = ours(c.second);
    if (got != want) {
      bad++;
      report += "  " + c.first + "\n    fasm: " + it->second + "\n    ours: " + got + "\n";
    }
  }
  EXPECT_EQ(bad, 0) << bad << " of " << cases.size() << " cases differ:\n" << report;
}

INSTANTIATE_TEST_SUITE_P(Cases, AsmCases, ::testing::ValuesIn(sets()),
                         [](const ::testing::TestParamInfo<std::string> &i) {
                           return i.param;
                         });

} // namespace
