// The matcher: pairs, options, limits and its error texts.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>

#include "rx_core.h"

namespace {

int run(const std::string &s, const char *p, int offset, rx_result *r,
        int options = 0) {
  return rx_match(s.data(), s.size(), p, strlen(p), offset, options, r);
}

TEST(RxCore, WholeMatchThenGroups) {
  rx_result r;
  ASSERT_EQ(run("key=val", "(\\w+)=(\\w+)", 0, &r), 3);
  EXPECT_EQ(r.pairs[0], 0);
  EXPECT_EQ(r.pairs[1], 7);
  EXPECT_EQ(r.pairs[2], 0);
  EXPECT_EQ(r.pairs[3], 3);
  EXPECT_EQ(r.pairs[4], 4);
  EXPECT_EQ(r.pairs[5], 7);
  EXPECT_EQ(r.error[0], '\0');
}

TEST(RxCore, UnsetGroupIsMinusOne) {
  rx_result r;
  ASSERT_EQ(run("b", "(a)?(b)", 0, &r), 3);
  EXPECT_EQ(r.pairs[2], -1);
  EXPECT_EQ(r.pairs[3], -1);
}

// The count is the pattern's, not the matcher's: groups after the last one
// that took part are still there, unset.
TEST(RxCore, EveryGroupOfThePatternIsReported) {
  rx_result r;
  ASSERT_EQ(run("c", "(a)?(b)?c", 0, &r), 3);
  EXPECT_EQ(r.pairs[0], 0);
  EXPECT_EQ(r.pairs[1], 1);
  for (int i = 2; i < 6; i++) EXPECT_EQ(r.pairs[i], -1) << i;
  ASSERT_EQ(run("ac", "(a)?(b)?c", 0, &r), 3);
  EXPECT_EQ(r.pairs[2], 0);
  EXPECT_EQ(r.pairs[4], -1);
  EXPECT_EQ(r.pairs[5], -1);
  ASSERT_EQ(run("xa", "(x)|(y)|a", 1, &r), 3);
  EXPECT_EQ(r.pairs[2], -1);
  EXPECT_EQ(r.pairs[5], -1);
  ASSERT_EQ(run("a", "(?:a)(?<n>b)?", 0, &r), 2);  // named groups count too
  EXPECT_EQ(r.pairs[2], -1);
}

TEST(RxCore, ZeroByteInThePatternIsRefused) {
  rx_result r;
  const char bad[] = {'a', '.', '\0', 'z', 'z', 'z'};
  EXPECT_EQ(rx_match("ab", 2, bad, sizeof bad, 0, 0, &r), 0);
  EXPECT_STREQ(r.error, "PCRE compilation failed at offset 2: a zero byte in "
                        "the pattern (write it as \\x00)\n");
  std::string s("a\0b", 3);
  ASSERT_EQ(rx_match(s.data(), s.size(), "a\\x00b", 6, 0, 0, &r), 1);
  EXPECT_EQ(r.pairs[1], 3);
}

TEST(RxCore, NeverMatchesEmpty) {
  rx_result r;
  EXPECT_EQ(run("abc", "x*", 0, &r), 0);
  EXPECT_EQ(r.error[0], '\0');
  ASSERT_EQ(run("abxxc", "x*", 0, &r), 1);
  EXPECT_EQ(r.pairs[0], 2);
  EXPECT_EQ(r.pairs[1], 4);
}

TEST(RxCore, OffsetKeepsTextBeforeVisible) {
  rx_result r;
  EXPECT_EQ(run("ab", "^b", 1, &r), 0);
  ASSERT_EQ(run("ab", "(?<=a)b", 1, &r), 1);
  EXPECT_EQ(r.pairs[0], 1);
}

TEST(RxCore, AnyLineEndIsANewline) {
  rx_result r;
  ASSERT_EQ(run("one\rtwo", "(?m)^two$", 0, &r), 1);
  EXPECT_EQ(r.pairs[0], 4);
  ASSERT_EQ(run("one\r\ntwo\r\n", "(?m)o$", 0, &r), 1);
  EXPECT_EQ(r.pairs[0], 7);
}

TEST(RxCore, CompileErrorTellsOffset) {
  rx_result r;
  EXPECT_EQ(run("abc", "a(b", 0, &r), 0);
  EXPECT_STREQ(r.error, "PCRE compilation failed at offset 3: missing )\n");
}

TEST(RxCore, MatchLimitIsAnError) {
  rx_result r;
  std::string s(40, 'a');
  EXPECT_EQ(run(s + "b", "(a+)+$", 0, &r), 0);
  EXPECT_STREQ(r.error, "Matching error -8\n");
}

TEST(RxCore, DeepRecursionStopsBeforeTheStackEnds) {
  rx_result r;
  std::string s(2000000, 'a');
  EXPECT_EQ(run(s, "^(a|b)*$", 0, &r), 0);
  EXPECT_STREQ(r.error, "Matching error -21\n");
}

TEST(RxCore, ThirtyPairsAtMost) {
  std::string pat, s;
  for (int i = 0; i < 35; i++) pat += "(.)";
  for (int i = 0; i < 35; i++) s += (char)('a' + i % 26);
  rx_result r;
  ASSERT_EQ(run(s, pat.c_str(), 0, &r), 30);
  EXPECT_EQ(r.pairs[58], 28);
  EXPECT_EQ(r.pairs[59], 29);
}

TEST(RxCore, BinaryAndInvalidUtf8Subjects) {
  std::string s("\xff\xfe\0\x80zz", 6);
  rx_result r;
  ASSERT_EQ(run(s, "z+", 0, &r), 1);
  EXPECT_EQ(r.pairs[0], 4);
  // With UTF-8 asked for, a bad subject is a matching error, not a crash.
  EXPECT_EQ(run(s, "z+", 0, &r, 0x800), 0);
  EXPECT_STREQ(r.error, "Matching error -10\n");
}

TEST(RxCore, OffsetOutsideTheSubjectIsNoMatch) {
  rx_result r;
  EXPECT_EQ(run("abc", "c", 4, &r), 0);
  EXPECT_EQ(run("abc", "c", -1, &r), 0);
  EXPECT_EQ(r.error[0], '\0');
}

TEST(RxCore, NativeBlockHoldsCountThenPairs) {
  rx_result r;
  int32_t *b = rx_match_block("say hello", "h(e)", 0, 0, malloc, &r);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b[0], 2);
  EXPECT_EQ(b[1], 4);
  EXPECT_EQ(b[2], 6);
  EXPECT_EQ(b[3], 5);
  EXPECT_EQ(b[4], 6);
  free(b);
  EXPECT_EQ(rx_match_block("say", "x", 0, 0, malloc, &r), nullptr);
  EXPECT_EQ(rx_match_block("say", "(", 0, 0, malloc, &r), nullptr);
  EXPECT_NE(r.error[0], '\0');
  EXPECT_EQ(rx_match_block(nullptr, "x", 0, 0, malloc, &r), nullptr);
}

TEST(RxCore, NativeBlockHoldsUnsetGroupsToo) {
  rx_result r;
  int32_t *b = rx_match_block("c", "(a)?(b)?c", 0, 0, malloc, &r);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b[0], 3);
  EXPECT_EQ(b[1], 0);
  EXPECT_EQ(b[2], 1);
  for (int i = 3; i < 7; i++) EXPECT_EQ(b[i], -1) << i;
  free(b);
}

TEST(RxCore, NativeSubjectEndsAtItsZero) {
  rx_result r;
  EXPECT_EQ(rx_match_block("ab\0cd", "c", 0, 0, malloc, &r), nullptr);
}

}  // namespace
