// Counted strings: header layout, reference counting, built-in texts.
#include <gtest/gtest.h>
#include <windows.h>

#include "host/base/cstr.h"
#include "host/base/heap.h"
#include "tests/unit/heap/heapwalk.h"

CS_BUILTIN(cs_test_builtin, "Close");

namespace {

struct Cstr : ::testing::Test {
  static void SetUpTestSuite() { heap_ready(); }
};

const uint32_t *header(const char *s) { return (const uint32_t *)(s - 16); }


TEST_F(Cstr, EmptyTextHeader) {
  char *s = cs_make("");
  const uint32_t *h = header(s);
  EXPECT_EQ(h[0], 0u);
  EXPECT_EQ(h[1], 20u);
  EXPECT_EQ(h[2], 0u);
  EXPECT_EQ(h[3], 1u);
  EXPECT_STREQ(s, "");
  cs_release(s);
}

TEST_F(Cstr, SizeAlwaysHoldsHeaderTextAndNul) {
  for (int len = 0; len < 40; len++) {
    std::string t(len, 'q');
    char *s = cs_make(t.c_str());
    const uint32_t *h = header(s);
    EXPECT_EQ(h[1], (uint32_t)((len + 23) & ~3));
    EXPECT_GE(h[1], 16u + len + 1);
    EXPECT_EQ(h[2], (uint32_t)len);
    EXPECT_EQ(cs_len(s), (size_t)len);
    EXPECT_EQ(t, s);
    cs_release(s);
  }
}

TEST_F(Cstr, NullGivesNull) {
  EXPECT_EQ(cs_make(nullptr), nullptr);
  EXPECT_EQ(cs_retain(nullptr), nullptr);
  cs_release(nullptr);
  EXPECT_EQ(cs_len(nullptr), 0u);
}

TEST_F(Cstr, RetainThenReleaseTwiceFreesOnce) {
  int before = busy_blocks();
  char *s = cs_make("hello");
  EXPECT_EQ(busy_blocks(), before + 1);
  EXPECT_EQ(cs_retain(s), s);
  EXPECT_EQ(header(s)[3], 2u);
  cs_release(s);
  EXPECT_EQ(busy_blocks(), before + 1);
  cs_release(s);
  EXPECT_EQ(busy_blocks(), before);
}

TEST_F(Cstr, BuiltInTextsSurviveRelease) {
  EXPECT_EQ(cs_len(cs_test_builtin), 5u);
  cs_release(cs_test_builtin);
  EXPECT_STREQ(cs_test_builtin, "Close");
  EXPECT_EQ(header(cs_test_builtin)[3], 1u);
  // more releases than retains: the count stays at 1 and nothing is freed
  int before = busy_blocks();
  for (int i = 0; i < 5; i++) cs_release(cs_test_builtin);
  EXPECT_EQ(header(cs_test_builtin)[3], 1u);
  EXPECT_STREQ(cs_test_builtin, "Close");
  EXPECT_EQ(busy_blocks(), before);
  cs_retain(cs_test_builtin);
}

TEST_F(Cstr, LengthOfAPlainTextNearNothingIsZero) {
  // a text at the start of unreadable memory has no readable header
  char *p = (char *)VirtualAlloc(NULL, 65536, MEM_RESERVE | MEM_COMMIT,
                                 PAGE_READWRITE);
  DWORD old;
  VirtualProtect(p, 4096, PAGE_NOACCESS, &old);
  p[4096] = 'a';
  EXPECT_EQ(cs_len(p + 4096 + 8), 0u);
  cs_release(p + 4096 + 8);  // ignored, not a crash
  VirtualFree(p, 0, MEM_RELEASE);
}

}  // namespace
