// The matcher: pairs, options, limits and its error texts, each on both
// of PCRE's matchers (interpreter and machine code); the cache of compiled
// patterns.
#include <gtest/gtest.h>

#include <pcre.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "data/regex/rx_core.h"

namespace {

// Both builds run on x86, where PCRE makes machine code: a build without
// it would leave that matcher untested, so it fails here.
struct RxCore : ::testing::TestWithParam<bool> {
  void SetUp() override { ASSERT_TRUE(rx_use_jit(GetParam())); }
  void TearDown() override { rx_use_jit(1); }
};

INSTANTIATE_TEST_SUITE_P(Matchers, RxCore, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &i) {
                           return i.param ? "MachineCode" : "Interpreter";
                         });

// PCRE's allocations (compiling, studying, machine code) are counted.
int allocations;
void *counting_malloc(size_t n) {
  allocations++;
  return malloc(n);
}
struct CountAllocations {
  void *(*saved)(size_t) = pcre_malloc;
  CountAllocations() {
    allocations = 0;
    pcre_malloc = counting_malloc;
  }
  ~CountAllocations() { pcre_malloc = saved; }
};

int run(const std::string &s, const char *p, int offset, rx_result *r,
        int options = 0) {
  return rx_match(s.data(), s.size(), p, strlen(p), offset, options, r);
}

int jitted(const char *p) { return rx_jitted(p, strlen(p), 0); }

TEST_P(RxCore, WholeMatchThenGroups) {
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

TEST_P(RxCore, UnsetGroupIsMinusOne) {
  rx_result r;
  ASSERT_EQ(run("b", "(a)?(b)", 0, &r), 3);
  EXPECT_EQ(r.pairs[2], -1);
  EXPECT_EQ(r.pairs[3], -1);
}

// The count is the pattern's, not the matcher's: groups after the last one
// that took part are still there, unset.
TEST_P(RxCore, EveryGroupOfThePatternIsReported) {
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

TEST_P(RxCore, ZeroByteInThePatternIsRefused) {
  rx_result r;
  const char bad[] = {'a', '.', '\0', 'z', 'z', 'z'};
  ASSERT_EQ(run("ab", "a.", 0, &r), 1);  // kept: must not stand in for bad
  EXPECT_EQ(rx_match("ab", 2, bad, sizeof bad, 0, 0, &r), 0);
  EXPECT_STREQ(r.error, "PCRE compilation failed at offset 2: a zero byte in "
                        "the pattern (write it as \\x00)\n");
  std::string s("a\0b", 3);
  ASSERT_EQ(rx_match(s.data(), s.size(), "a\\x00b", 6, 0, 0, &r), 1);
  EXPECT_EQ(r.pairs[1], 3);
}

TEST_P(RxCore, NeverMatchesEmpty) {
  rx_result r;
  EXPECT_EQ(run("abc", "x*", 0, &r), 0);
  EXPECT_EQ(r.error[0], '\0');
  ASSERT_EQ(run("abxxc", "x*", 0, &r), 1);
  EXPECT_EQ(r.pairs[0], 2);
  EXPECT_EQ(r.pairs[1], 4);
}

TEST_P(RxCore, OffsetKeepsTextBeforeVisible) {
  rx_result r;
  EXPECT_EQ(run("ab", "^b", 1, &r), 0);
  ASSERT_EQ(run("ab", "(?<=a)b", 1, &r), 1);
  EXPECT_EQ(r.pairs[0], 1);
}

TEST_P(RxCore, AnyLineEndIsANewline) {
  rx_result r;
  ASSERT_EQ(run("one\rtwo", "(?m)^two$", 0, &r), 1);
  EXPECT_EQ(r.pairs[0], 4);
  ASSERT_EQ(run("one\r\ntwo\r\n", "(?m)o$", 0, &r), 1);
  EXPECT_EQ(r.pairs[0], 7);
}

TEST_P(RxCore, CompileErrorTellsOffset) {
  rx_result r;
  EXPECT_EQ(run("abc", "a(b", 0, &r), 0);
  EXPECT_STREQ(r.error, "PCRE compilation failed at offset 3: missing )\n");
}

TEST_P(RxCore, MatchLimitIsAnError) {
  rx_result r;
  std::string s(40, 'a');
  EXPECT_EQ(run(s + "b", "(a+)+$", 0, &r), 0);
  EXPECT_STREQ(r.error, "Matching error -8\n");
}

// The interpreter's recursion limit and the end of machine code's own
// stack read the same.
TEST_P(RxCore, DeepRecursionStopsBeforeTheStackEnds) {
  rx_result r;
  std::string s(2000000, 'a');
  EXPECT_EQ(run(s, "^(a|b)*$", 0, &r), 0);
  EXPECT_STREQ(r.error, "Matching error -21\n");
  EXPECT_EQ(run(s, "^(a|b)*$", 0, &r), 0);  // the kept pattern: the same
  EXPECT_STREQ(r.error, "Matching error -21\n");
  EXPECT_EQ(run(s + "b", "(a+)+$", 0, &r), 0);
  EXPECT_STREQ(r.error, "Matching error -8\n");
}

// Machine code gets a stack of its own, far beyond PCRE's 32 KB default.
TEST(RxMachineCode, DeepButBoundedRecursionMatches) {
  ASSERT_TRUE(rx_use_jit(1));
  rx_result r;
  std::string s(20000, 'a');
  ASSERT_EQ(run(s, "^(a|b)*$", 0, &r), 2) << r.error;
  EXPECT_EQ(r.pairs[1], 20000);
}

TEST_P(RxCore, RunsOnTheMatcherAsked) {
  EXPECT_EQ(jitted("a+b"), GetParam() ? 1 : 0);
  EXPECT_EQ(jitted("(?i)(\\w+)\\s*=\\s*(\\d+)"), GetParam() ? 1 : 0);
  EXPECT_EQ(jitted("a("), -1);
}

// A pattern that names its own line ends still ends lines at any of CR,
// LF and CRLF (it runs on the interpreter, which takes that at run time).
TEST_P(RxCore, LineEndsChosenInThePatternGiveWay) {
  rx_result r;
  ASSERT_EQ(run("a\nb", "(*CR)(?m)^b", 0, &r), 1);
  EXPECT_EQ(r.pairs[0], 2);
  ASSERT_EQ(run("a\r\nb", "(*LF)(?m)a$", 0, &r), 1);
  EXPECT_EQ(r.pairs[0], 0);
  EXPECT_EQ(jitted("(*CR)(?m)^b"), 0);
}

TEST_P(RxCore, ThirtyPairsAtMost) {
  std::string pat, s;
  for (int i = 0; i < 35; i++) pat += "(.)";
  for (int i = 0; i < 35; i++) s += (char)('a' + i % 26);
  rx_result r;
  ASSERT_EQ(run(s, pat.c_str(), 0, &r), 30);
  EXPECT_EQ(r.pairs[58], 28);
  EXPECT_EQ(r.pairs[59], 29);
}

TEST_P(RxCore, BinaryAndInvalidUtf8Subjects) {
  std::string s("\xff\xfe\0\x80zz", 6);
  rx_result r;
  ASSERT_EQ(run(s, "z+", 0, &r), 1);
  EXPECT_EQ(r.pairs[0], 4);
  // With UTF-8 asked for, a bad subject is a matching error, not a crash.
  EXPECT_EQ(run(s, "z+", 0, &r, 0x800), 0);
  EXPECT_STREQ(r.error, "Matching error -10\n");
}

TEST_P(RxCore, OffsetOutsideTheSubjectIsNoMatch) {
  rx_result r;
  EXPECT_EQ(run("abc", "c", 4, &r), 0);
  EXPECT_EQ(run("abc", "c", -1, &r), 0);
  EXPECT_EQ(r.error[0], '\0');
}

TEST_P(RxCore, NativeBlockHoldsCountThenPairs) {
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

TEST_P(RxCore, NativeBlockHoldsUnsetGroupsToo) {
  rx_result r;
  int32_t *b = rx_match_block("c", "(a)?(b)?c", 0, 0, malloc, &r);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b[0], 3);
  EXPECT_EQ(b[1], 0);
  EXPECT_EQ(b[2], 1);
  for (int i = 3; i < 7; i++) EXPECT_EQ(b[i], -1) << i;
  free(b);
}

TEST_P(RxCore, NativeSubjectEndsAtItsZero) {
  rx_result r;
  EXPECT_EQ(rx_match_block("ab\0cd", "c", 0, 0, malloc, &r), nullptr);
}

TEST_P(RxCore, SameTextWithOtherOptionsIsAnotherPattern) {
  rx_result r;
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(run("xA", "a", 0, &r), 0);
    ASSERT_EQ(run("xA", "a", 0, &r, PCRE_CASELESS), 1);
    EXPECT_EQ(r.pairs[0], 1);
    ASSERT_EQ(run("xab", "ab", 0, &r), 1);  // one pattern the prefix of another
    EXPECT_EQ(run("xab", "abc", 0, &r), 0);
    EXPECT_EQ(run("xab", "a", 0, &r), 1);
  }
}

// Compiling allocates; matching a kept pattern does not.
TEST_P(RxCore, MatchingAKeptPatternAllocatesNothing) {
  rx_result r;
  std::string s;
  for (int i = 0; i < 500; i++) s += "word" + std::to_string(i) + " ";
  rx_cache_clear();
  CountAllocations count;
  ASSERT_EQ(run(s, "(\\w+?)(\\d+)", 0, &r), 3);
  EXPECT_GT(allocations, 0);
  allocations = 0;
  int n = 0;
  for (int at = 0; run(s, "(\\w+?)(\\d+)", at, &r) == 3; at = r.pairs[1]) n++;
  EXPECT_EQ(n, 500);
  EXPECT_EQ(allocations, 0);
}

// The cache holds RX_CACHE patterns and drops the least recently used.
TEST_P(RxCore, LeastRecentlyUsedPatternGoesFirst) {
  rx_result r;
  auto pat = [](int i) { return "k" + std::to_string(i) + "=(\\d)"; };
  auto check = [&](int i) {
    std::string s = "k" + std::to_string(i) + "=" + std::to_string(i % 10);
    return run(s, pat(i).c_str(), 0, &r) == 2 && r.pairs[2] == (int)s.size() - 1;
  };
  rx_cache_clear();
  for (int i = 0; i < RX_CACHE; i++) ASSERT_TRUE(check(i)) << i;
  ASSERT_TRUE(check(0));           // 0 is recent now, 1 the oldest
  ASSERT_TRUE(check(RX_CACHE));    // one more: 1 goes
  CountAllocations count;
  EXPECT_TRUE(check(0));
  EXPECT_TRUE(check(2));
  EXPECT_EQ(allocations, 0);
  EXPECT_TRUE(check(1));
  EXPECT_GT(allocations, 0);
  // Churn through three times the room: every answer stays right.
  for (int round = 0; round < 2; round++)
    for (int i = 0; i < 3 * RX_CACHE; i += round + 1) EXPECT_TRUE(check(i)) << i;
}

TEST(RxCache, ClearingKeepsMatching) {
  rx_result r;
  ASSERT_EQ(rx_match("ab", 2, "b", 1, 0, 0, &r), 1);
  rx_cache_clear();
  rx_cache_clear();
  ASSERT_EQ(rx_match("ab", 2, "b", 1, 0, 0, &r), 1);
  EXPECT_EQ(r.pairs[0], 1);
}

}  // namespace
