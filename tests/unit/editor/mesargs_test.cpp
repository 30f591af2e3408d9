#include <gtest/gtest.h>

#include "editor/mesargs.h"

namespace {

int kind(unsigned m) { return ma_classify(m) & 0xF; }

TEST(MesArgs, BuffersTheComponentFills) {
  for (unsigned m : {2182u, 2161u, 2027u, 2153u, 4008u, 2687u})
    EXPECT_EQ(MA_OUT, kind(m)) << m;
  EXPECT_TRUE(ma_classify(2182) & MA_WP_SIZE);    // GETTEXT: wParam sizes it
  EXPECT_FALSE(ma_classify(2153) & MA_WP_SIZE);   // GETLINE: a line number
  EXPECT_TRUE(ma_classify(4008) & MA_WP_TEXT);    // GETPROPERTY: key in, value out
}

TEST(MesArgs, StructuresAndObjectsAreRefused) {
  for (unsigned m : {2150u, 2162u, 2151u, 2358u, 2377u, 4033u, 4013u,
                     0x0002u, 0x0082u})
    EXPECT_EQ(MA_REFUSED, kind(m)) << m;
}

TEST(MesArgs, TextParameters) {
  EXPECT_TRUE(ma_classify(2181) & MA_LP_TEXT);   // SETTEXT
  EXPECT_TRUE(ma_classify(4004) & MA_WP_TEXT);   // SETPROPERTY: both
  EXPECT_TRUE(ma_classify(4004) & MA_LP_TEXT);
  EXPECT_TRUE(ma_classify(4012) & MA_WP_TEXT);   // the integer property
  EXPECT_FALSE(ma_classify(4012) & MA_LP_TEXT);
  EXPECT_TRUE(ma_classify(2001) & MA_WP_LENGTH); // ADDTEXT: length, text
  EXPECT_TRUE(ma_classify(2282) & MA_WP_LENGTH);
}

TEST(MesArgs, NumbersOnly) {
  for (unsigned m : {2006u, 2008u, 2024u, 2051u, 4001u, 4002u, 2091u, 0u, 15u})
    EXPECT_EQ(MA_PLAIN, ma_classify(m)) << m;
}

}  // namespace
