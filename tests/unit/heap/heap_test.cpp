// Private heap: zeroed blocks with 8 spare bytes, reallocation, the guarded
// validity test.
#include <gtest/gtest.h>
#include <windows.h>

#include "host/base/heap.h"
#include "tests/unit/heap/heapwalk.h"

namespace {

struct Heap : ::testing::Test {
  static void SetUpTestSuite() { heap_ready(); }
};

TEST_F(Heap, AllocationIsZeroedWithEightSpareBytes) {
  unsigned char *p = (unsigned char *)hp_alloc(0);
  ASSERT_NE(p, nullptr);
  EXPECT_GE(hp_size(p), 8u);
  for (int i = 0; i < 8; i++) EXPECT_EQ(p[i], 0);
  hp_free(p);
  p = (unsigned char *)hp_alloc(100);
  EXPECT_GE(hp_size(p), 108u);
  for (int i = 0; i < 108; i++) ASSERT_EQ(p[i], 0) << i;
  hp_free(p);
}

TEST_F(Heap, ReallocationKeepsDataAndZeroesGrowth) {
  char *p = (char *)hp_alloc(4);
  memcpy(p, "abc", 4);
  p = (char *)hp_realloc(p, 4096);
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(p, "abc");
  EXPECT_EQ(hp_size(p), 4096u);
  for (int i = 12; i < 4096; i++) ASSERT_EQ(p[i], 0) << i;
  hp_free(p);
}

TEST_F(Heap, ReallocationFailureReturnsNull) {
  char *p = (char *)hp_alloc(16);
  EXPECT_EQ(hp_realloc(p, (size_t)0xFFFFFFF0u), nullptr);
  hp_free(p);
}

TEST_F(Heap, ValidityOfPointers) {
  int local = 0;
  void *block = hp_alloc(16);
  EXPECT_TRUE(hp_valid(block));
  EXPECT_TRUE(hp_valid(&local));
  EXPECT_FALSE(hp_valid(nullptr));
  EXPECT_FALSE(hp_valid((void *)1));
  EXPECT_FALSE(hp_valid((void *)0xFFFF));
  EXPECT_FALSE(hp_valid((void *)0xFFFF0000u));
  hp_free(block);
}

TEST_F(Heap, UnreadableMemoryInsideTheRangeIsInvalid) {
  // reserved but not committed: inside the range, faults on reading
  void *p = VirtualAlloc(NULL, 65536, MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(hp_valid(p));
  EXPECT_FALSE(hp_valid((char *)p + 100));
  VirtualFree(p, 0, MEM_RELEASE);
  // a guarded read that faults must come back, repeatedly
  for (int i = 0; i < 100; i++) EXPECT_FALSE(hp_valid(p));
}

TEST_F(Heap, CopyHandlesOverlapAndDegenerateCases) {
  char s[16] = "abcdefgh";
  hp_copy(s + 2, s, 6);
  EXPECT_STREQ(s, "ababcdef");
  hp_copy(s, s + 2, 4);
  EXPECT_STREQ(s, "abcdcdef");
  hp_copy(s, s, 4);
  hp_copy(nullptr, s, 4);
  hp_copy(s, nullptr, 4);
  hp_copy(s, "zz", 0);
  EXPECT_STREQ(s, "abcdcdef");
}

}  // namespace
