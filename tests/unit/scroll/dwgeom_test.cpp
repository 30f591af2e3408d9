// Dialog geometry: shown sizes, moves past the maximised screen, outlines.
#include <gtest/gtest.h>

#include <climits>

#include "ui/drag/dwgeom.h"

namespace {

TEST(DialogSize, MissingSmallAndHugeSizes) {
  EXPECT_EQ(dg_size(0, 200, 40), 200);
  EXPECT_EQ(dg_size(-7, 200, 40), 200);
  EXPECT_EQ(dg_size(3, 200, 40), 40);
  EXPECT_EQ(dg_size(640, 200, 40), 640);
  EXPECT_EQ(dg_size(INT_MAX, 200, 40), DG_MAX);
}

TEST(DialogPlace, InsideTheScreenNothingMoves) {
  dg_rect win = {100, 100, 400, 300}, owner = {800, 0, 1600, 1000};
  int x, y;
  EXPECT_FALSE(dg_place(&win, &owner, 1600, 1000, 200, &x, &y));
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 100);
}

TEST(DialogPlace, PastTheWidthGoesLeftOfTheOwnerLevelWithIt) {
  dg_rect win = {1500, 300, 1800, 500}, owner = {800, 20, 1600, 1000};
  int x, y;
  EXPECT_TRUE(dg_place(&win, &owner, 1600, 1000, 200, &x, &y));
  EXPECT_EQ(x + 300, 804);   // right edge 4 pixels into the owner
  EXPECT_EQ(y, 20);
}

// Every window opened lies on the work area: past the right edge it flips
// to the left of what it opens from, then it is held inside.
TEST(OnScreen, InsideNothingMoves) {
  dg_rect area = {0, 0, 1600, 970}, from = {1400, 100, 1590, 122};
  int x = 100, y = 50;
  dg_on_screen(&area, &from, 200, 300, &x, &y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 50);
}

TEST(OnScreen, PastTheRightEdgeFlipsLeftOfWhereItOpensFrom) {
  dg_rect area = {0, 0, 1600, 970}, from = {1400, 100, 1590, 122};
  int x = 1586, y = 140;
  dg_on_screen(&area, &from, 200, 300, &x, &y);
  EXPECT_EQ(x + 200, 1404);
  EXPECT_EQ(y, 100);   // level with it
  // without anything to open from it is pushed back inside
  x = 1586;
  y = 140;
  dg_on_screen(&area, nullptr, 200, 300, &x, &y);
  EXPECT_EQ(x, 1400);
  EXPECT_EQ(y, 140);
}

TEST(OnScreen, HeldInsideOnEverySide) {
  dg_rect area = {10, 20, 1600, 970}, from = {0, 0, 100, 22};
  int x = -500, y = 900;
  dg_on_screen(&area, &from, 200, 300, &x, &y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 670);
  // a flip that would pass the left edge stops there; so does its top
  x = 1550;
  y = 300;
  dg_on_screen(&area, &from, 300, 100, &x, &y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 20);
  // flipped low on the screen, it is moved up to stay on it
  dg_rect low = {900, 960, 1000, 982};
  x = 1550;
  dg_on_screen(&area, &low, 300, 100, &x, &y);
  EXPECT_EQ(x, 604);
  EXPECT_EQ(y, 870);
  // larger than the area: the top left corner wins
  x = 400;
  y = 400;
  dg_on_screen(&area, nullptr, 4000, 3000, &x, &y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 20);
  // far coordinates do not overflow
  x = INT_MAX;
  y = INT_MIN;
  dg_on_screen(&area, nullptr, 200, 300, &x, &y);
  EXPECT_EQ(x, 1400);
  EXPECT_EQ(y, 20);
}

TEST(DialogPlace, NeverPastTheLeftEdgeAndWithoutAnOwnerStays) {
  dg_rect win = {1500, 0, 2500, 200}, owner = {100, 0, 900, 900};
  int x, y;
  dg_place(&win, &owner, 1600, 1000, 200, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_FALSE(dg_place(&win, nullptr, 1600, 1000, 200, &x, &y));
}

TEST(DialogPlace, PastTheHeightMovesUp) {
  dg_rect win = {10, 900, 310, 1100};
  int x, y;
  EXPECT_TRUE(dg_place(&win, nullptr, 1600, 1000, 200, &x, &y));
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 1000 - 200 - 8);
  dg_rect tall = {10, 50, 310, 5050};
  dg_place(&tall, nullptr, 1600, 1000, 5000, &x, &y);
  EXPECT_EQ(y, 0);   // taller than the screen: top stays reachable
}

TEST(GripOutline, TheGrabOffsetKeepsThePressedPointUnderThePointer) {
  dg_rect win = {100, 100, 400, 300};
  // pressed 4 and 6 pixels in from the grip's right and bottom edges
  dg_rect o = dg_outline(&win, 396, 294, 4, 6);
  int w, h;
  dg_outline_size(&o, &w, &h);
  EXPECT_EQ(w, 300);
  EXPECT_EQ(h, 200);
  o = dg_outline(&win, 426, 314, 4, 6);
  dg_outline_size(&o, &w, &h);
  EXPECT_EQ(w, 330);
  EXPECT_EQ(h, 220);
}

TEST(GripOutline, InvertedAndHugeOutlinesGiveSoundSizes) {
  dg_rect win = {100, 100, 400, 300};
  dg_rect o = dg_outline(&win, -5000, -5000, 4, 4);
  int w, h;
  dg_outline_size(&o, &w, &h);
  EXPECT_EQ(w, DG_MIN_W);
  EXPECT_EQ(h, DG_MIN_H);
  o = dg_outline(&win, INT_MAX, INT_MAX, INT_MAX, INT_MAX);
  dg_outline_size(&o, &w, &h);
  EXPECT_EQ(w, DG_MAX);
  EXPECT_EQ(h, DG_MAX);
}

}  // namespace
