// The history ring: recall order, its end, overflow and releases.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "host/base/heap.h"
#include "tests/unit/heap/heapwalk.h"
#include "host/history.h"

namespace {

struct History : ::testing::Test {
  static void SetUpTestSuite() { heap_ready(); }
  void SetUp() override { hist_clear(); }
  void TearDown() override { hist_clear(); }
};


TEST_F(History, LinesKeepTheirTextButNotTrailingSpace) {
  // the line is what was typed: leading blanks are the user's own
  hist_add("  print(1)  \t\r\n");
  EXPECT_STREQ(hist_prev(), "  print(1)");
  hist_add("# not a prompt");
  EXPECT_STREQ(hist_prev(), "# not a prompt");
}

TEST_F(History, UpWalksBackAndStaysAtTheEnd) {
  hist_add("a");
  hist_add("b");
  EXPECT_STREQ(hist_prev(), "b");
  EXPECT_STREQ(hist_prev(), "a");
  EXPECT_STREQ(hist_prev(), "");   // the empty slot before the first line
  EXPECT_STREQ(hist_prev(), "");
}

TEST_F(History, DownPastTheNewestIsEmpty) {
  hist_add("a");
  hist_add("b");
  hist_prev();   // b; the cursor steps back to a
  hist_prev();   // a; the cursor rests on the slot before it
  EXPECT_STREQ(hist_next(), "a");
  EXPECT_STREQ(hist_next(), "b");
  EXPECT_STREQ(hist_next(), "");
  EXPECT_STREQ(hist_next(), "");
}

TEST_F(History, EmptyLineIsKept) {
  hist_add("\r");
  hist_add("x");
  EXPECT_STREQ(hist_prev(), "x");
  EXPECT_STREQ(hist_prev(), "");
}

TEST_F(History, OverflowKeepsTheNewest255) {
  for (int i = 1; i <= 300; i++) hist_add(("line" + std::to_string(i)).c_str());
  for (int i = 300; i >= 46; i--)
    ASSERT_EQ(std::string(hist_prev()), "line" + std::to_string(i)) << i;
  // the end of the ring repeats the oldest kept line
  EXPECT_STREQ(hist_prev(), "line46");
}

TEST_F(History, DroppedLinesAreFreedOnce) {
  int before = busy_blocks();
  for (int i = 0; i < 255; i++) hist_add("x");
  int full = busy_blocks();
  EXPECT_EQ(full, before + 255);
  for (int i = 0; i < 1000; i++) hist_add("y");
  EXPECT_EQ(busy_blocks(), full);   // each drop freed exactly one block
  hist_clear();
  EXPECT_EQ(busy_blocks(), before);
}

}  // namespace
