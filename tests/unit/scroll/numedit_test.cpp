// Numeric edit texts: reading, writing and stepping in bases 2 to 36.
#include <gtest/gtest.h>

#include <string>

#include "gui/numedit.h"

namespace {

std::string step(const char *text, int base, int dir) {
  char out[80];
  if (!ne_step(text, base, dir, out, sizeof out)) return "<bad>";
  return out;
}

TEST(NumericEdit, StepsInTheCommonBases) {
  EXPECT_EQ(step("101", 2, 1), "110");
  EXPECT_EQ(step("0", 2, -1), "-1");
  EXPECT_EQ(step("99", 10, 1), "100");
  EXPECT_EQ(step(" -1 ", 10, 1), "0");
  EXPECT_EQ(step("FF", 16, 1), "100");
  EXPECT_EQ(step("ff", 16, 1), "100");
  EXPECT_EQ(step("1a", 16, 1), "1b");
  EXPECT_EQ(step("ZZ", 36, 1), "100");
  EXPECT_EQ(step("10", 36, -1), "Z");
  EXPECT_EQ(step("+7", 8, 1), "10");
}

TEST(NumericEdit, BadTextIsLeftAlone) {
  EXPECT_EQ(step("", 10, 1), "<bad>");
  EXPECT_EQ(step("   ", 10, 1), "<bad>");
  EXPECT_EQ(step("12a", 10, 1), "<bad>");
  EXPECT_EQ(step("2", 2, 1), "<bad>");
  EXPECT_EQ(step("-", 10, 1), "<bad>");
  EXPECT_EQ(step("1 2", 10, 1), "<bad>");
  EXPECT_EQ(step("5", 1, 1), "<bad>");
  EXPECT_EQ(step("5", 37, 1), "<bad>");
  EXPECT_EQ(step(nullptr, 10, 1), "<bad>");
}

TEST(NumericEdit, TheEndsOfTheRangeHold) {
  EXPECT_EQ(step("9223372036854775807", 10, 1), "9223372036854775807");
  EXPECT_EQ(step("99999999999999999999999", 10, -1), "9223372036854775806");
  EXPECT_EQ(step("-9223372036854775808", 10, -1), "-9223372036854775808");
  EXPECT_EQ(step("-99999999999999999999999", 10, 1), "-9223372036854775807");
  char out[80];
  ne_format(INT64_MIN, 2, 0, out, sizeof out);
  EXPECT_EQ(std::string(out), "-1" + std::string(63, '0'));
}

TEST(NumericEdit, OnlyTheFirst1023CharactersAreRead) {
  std::string ok(NE_TEXT_MAX, '0');
  ok.back() = '1';
  EXPECT_EQ(step(ok.c_str(), 10, 1), "2");
  std::string longer = ok + "x";   // the bad tail is beyond the limit
  EXPECT_EQ(step(longer.c_str(), 10, 1), "2");
}

TEST(NumericEdit, SmallOutputBuffersAreCutNotOverrun) {
  char out[4] = {'x', 'x', 'x', 'x'};
  ASSERT_TRUE(ne_step("123456", 10, 1, out, 3));
  EXPECT_EQ(std::string(out), "12");
  EXPECT_EQ(out[3], 'x');
}

}  // namespace
