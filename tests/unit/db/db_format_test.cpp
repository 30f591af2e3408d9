// Varints and adaptive-width integer columns.
#include <gtest/gtest.h>

#include <random>

#include "data/db/dbfmt.h"

namespace {

DbBytes varint(int32_t v) {
  DbBytes b;
  dbfmt_put_varint(b, v);
  return b;
}

TEST(DbFormat, VarintBytes) {
  EXPECT_EQ(varint(0), (DbBytes{0x80}));
  EXPECT_EQ(varint(20000), (DbBytes{0x01, 0x1C, 0xA0}));
  EXPECT_EQ(varint(127), (DbBytes{0xFF}));
  EXPECT_EQ(varint(128), (DbBytes{0x01, 0x80}));
  EXPECT_EQ(varint(-1), (DbBytes{0x00, 0x80}));
  EXPECT_EQ(varint(INT32_MAX), (DbBytes{0x07, 0x7F, 0x7F, 0x7F, 0xFF}));
}

TEST(DbFormat, VarintRoundTripAndLimits) {
  std::mt19937 rng(7);
  for (int n = 0; n < 20000; n++) {
    int32_t v = (int32_t)rng();
    if (n % 3 == 0) v >>= (n % 31);
    DbBytes b = varint(v);
    const uint8_t *p = b.data();
    int32_t got = 0;
    ASSERT_TRUE(dbfmt_get_varint(p, b.data() + b.size(), got));
    EXPECT_EQ(got, v);
    EXPECT_EQ(p, b.data() + b.size());
    p = b.data();
    EXPECT_FALSE(dbfmt_get_varint(p, b.data() + b.size() - 1, got));
  }
  DbBytes big = {0x08, 0x00, 0x00, 0x00, 0x80};  // 2^31
  const uint8_t *p = big.data();
  int32_t got;
  EXPECT_FALSE(dbfmt_get_varint(p, big.data() + big.size(), got));
  DbBytes endless(40, 0x7F);
  p = endless.data();
  EXPECT_FALSE(dbfmt_get_varint(p, endless.data() + endless.size(), got));
}

TEST(DbFormat, WidthOfValues) {
  auto w = [](std::vector<int32_t> v) { return dbfmt_width(v.data(), v.size()); };
  EXPECT_EQ(w({0, 0}), 0);
  EXPECT_EQ(w({1, 0}), 1);
  EXPECT_EQ(w({3, 2, 1}), 2);
  EXPECT_EQ(w({15, 9}), 4);
  EXPECT_EQ(w({16}), 8);
  EXPECT_EQ(w({-1}), 8);
  EXPECT_EQ(w({-128, 127}), 8);
  EXPECT_EQ(w({128}), 16);
  EXPECT_EQ(w({-129}), 16);
  EXPECT_EQ(w({32767, -32768}), 16);
  EXPECT_EQ(w({32768}), 32);
  EXPECT_EQ(w({INT32_MIN}), 32);
}

TEST(DbFormat, PaddedSizesOfNarrowColumns) {
  EXPECT_EQ(dbfmt_colsize(1, 3), 4u);  // three 1-bit values take 4 bytes
  int widths[] = {1, 2, 4};
  size_t want[3][4] = {{3, 3, 4, 5}, {5, 5, 1, 1}, {6, 1, 2, 2}};
  for (int w = 0; w < 3; w++)
    for (size_t rows = 1; rows <= 4; rows++) EXPECT_EQ(dbfmt_colsize(widths[w], rows), want[w][rows - 1]);
}

TEST(DbFormat, ReaderFindsEveryWidthAgain) {
  for (int w : {1, 2, 4, 8, 16, 32, 64})
    for (size_t rows = 1; rows < 300; rows++)
      EXPECT_EQ(dbfmt_readwidth(dbfmt_colsize(w, rows), rows), w) << w << " bits, " << rows << " rows";
  EXPECT_EQ(dbfmt_readwidth(0, 5), 0);
  EXPECT_EQ(dbfmt_readwidth(3, 0), -1);
  EXPECT_EQ(dbfmt_readwidth(5, 4), 1);
  EXPECT_EQ(dbfmt_readwidth(3, 4), -1);  // no writer makes it
  EXPECT_EQ(dbfmt_readwidth(7, 10), -1);
}

TEST(DbFormat, IntegerColumnsRoundTrip) {
  std::mt19937 rng(3);
  for (int32_t range : {1, 3, 15, 127, 32767, INT32_MAX})
    for (size_t rows : {1, 2, 3, 4, 5, 7, 8, 9, 33, 1000}) {
      std::vector<int32_t> v(rows);
      for (auto &x : v) {
        x = (int32_t)(rng() % ((uint32_t)range + 1));
        if (range > 15 && rng() % 2) x = -x - 1;
      }
      DbBytes b;
      dbfmt_put_ints(b, v.data(), rows);
      int w = dbfmt_readwidth(b.size(), rows);
      ASSERT_GE(w, 0);
      EXPECT_EQ(w, dbfmt_width(v.data(), rows));
      std::vector<int32_t> back(rows);
      dbfmt_get_ints(b.data(), w, rows, false, back.data());
      EXPECT_EQ(back, v);
    }
}

TEST(DbFormat, NarrowValuesPackFromTheLowBits) {
  std::vector<int32_t> v = {1, 0, 1, 1, 0, 0, 0, 1, 1};
  DbBytes b;
  dbfmt_put_ints(b, v.data(), v.size());
  EXPECT_EQ(b, (DbBytes{0x8D, 0x01}));
  v = {3, 2, 1};
  b.clear();
  dbfmt_put_ints(b, v.data(), v.size());
  EXPECT_EQ(b, (DbBytes{0x1B}));
}

}  // namespace
