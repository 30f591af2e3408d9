// Dialog geometry: shown sizes, moves past the maximised screen, outlines.
#include <gtest/gtest.h>

#include <climits>

#include "ui/dwgeom.h"

namespace {

TEST(DialogSize, MissingSmallAndHugeSizes) {
  EXPECT_EQ(dwg_size(0, 200, 40), 200);
  EXPECT_EQ(dwg_size(-7, 200, 40), 200);
  EXPECT_EQ(dwg_size(3, 200, 40), 40);
  EXPECT_EQ(dwg_size(640, 200, 40), 640);
  EXPECT_EQ(dwg_size(INT_MAX, 200, 40), DWG_MAX);
}

TEST(DialogPlace, InsideTheScreenNothingMoves) {
  dwg_rect win = {100, 100, 400, 300}, owner = {800, 0, 1600, 1000};
  int x, y;
  EXPECT_FALSE(dwg_place(&win, &owner, 1600, 1000, 200, &x, &y));
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 100);
}

TEST(DialogPlace, PastTheWidthGoesLeftOfTheOwnerLevelWithIt) {
  dwg_rect win = {1500, 300, 1800, 500}, owner = {800, 20, 1600, 1000};
  int x, y;
  EXPECT_TRUE(dwg_place(&win, &owner, 1600, 1000, 200, &x, &y));
  EXPECT_EQ(x + 300, 804);   // right edge 4 pixels into the owner
  EXPECT_EQ(y, 20);
}

TEST(DialogPlace, NeverPastTheLeftEdgeAndWithoutAnOwnerStays) {
  dwg_rect win = {1500, 0, 2500, 200}, owner = {100, 0, 900, 900};
  int x, y;
  dwg_place(&win, &owner, 1600, 1000, 200, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_FALSE(dwg_place(&win, nullptr, 1600, 1000, 200, &x, &y));
}

TEST(DialogPlace, PastTheHeightMovesUp) {
  dwg_rect win = {10, 900, 310, 1100};
  int x, y;
  EXPECT_TRUE(dwg_place(&win, nullptr, 1600, 1000, 200, &x, &y));
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 1000 - 200 - 8);
  dwg_rect tall = {10, 50, 310, 5050};
  dwg_place(&tall, nullptr, 1600, 1000, 5000, &x, &y);
  EXPECT_EQ(y, 0);   // taller than the screen: top stays reachable
}

TEST(GripOutline, TheGrabOffsetKeepsThePressedPointUnderThePointer) {
  dwg_rect win = {100, 100, 400, 300};
  // pressed 4 and 6 pixels in from the grip's right and bottom edges
  dwg_rect o = dwg_outline(&win, 396, 294, 4, 6);
  int w, h;
  dwg_outline_size(&o, &w, &h);
  EXPECT_EQ(w, 300);
  EXPECT_EQ(h, 200);
  o = dwg_outline(&win, 426, 314, 4, 6);
  dwg_outline_size(&o, &w, &h);
  EXPECT_EQ(w, 330);
  EXPECT_EQ(h, 220);
}

TEST(GripOutline, InvertedAndHugeOutlinesGiveSoundSizes) {
  dwg_rect win = {100, 100, 400, 300};
  dwg_rect o = dwg_outline(&win, -5000, -5000, 4, 4);
  int w, h;
  dwg_outline_size(&o, &w, &h);
  EXPECT_EQ(w, DWG_MIN_W);
  EXPECT_EQ(h, DWG_MIN_H);
  o = dwg_outline(&win, INT_MAX, INT_MAX, INT_MAX, INT_MAX);
  dwg_outline_size(&o, &w, &h);
  EXPECT_EQ(w, DWG_MAX);
  EXPECT_EQ(h, DWG_MAX);
}

}  // namespace
