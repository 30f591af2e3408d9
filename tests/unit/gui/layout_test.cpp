// Row layout: the floating widths and heights and the docked sharing.
#include <gtest/gtest.h>

#include "gui/layout.h"
#include "gui/record.h"

namespace {

TEST(Floating, NarrowMenusAreAtLeast92) {
  struct lay_row rows[2] = {{GR_BUTTON, 0, 20, 16, 0, 0}, {GR_BUTTON, 0, 30, 14, 0, 0}};
  int total;
  EXPECT_EQ(lay_floating(rows, 2, &total), 92);
  EXPECT_EQ(rows[0].h, 18);
  EXPECT_EQ(rows[1].y, 19);
  EXPECT_EQ(total, 38);
}

TEST(Floating, RoomForArrowsBoxesAndIcons) {
  struct lay_row rows[3] = {{GR_ATT_MENU, 0, 100, 16, 0, 0},
                            {GR_CHECKBOX, 0, 90, 16, 0, 0},
                            {GR_BUTTON | GR_ICON, 0, 50, 16, 0, 0}};
  int total;
  EXPECT_EQ(lay_floating(rows, 3, &total), 100 + 18 + 13 + 20 + 6);
}

TEST(Floating, SubObjectsAndNumericEditsWidenTheirRow) {
  struct lay_row rows[2] = {{GR_BUTTON, 1, 100, 16, 0, 0}, {GR_EDIT, 1, 105, 16, 0, 0}};
  int total;
  EXPECT_EQ(lay_floating(rows, 2, &total), 105 + 15 + 6);
}

TEST(Floating, SeparatorsAreFivePixels) {
  struct lay_row rows[3] = {{GR_BUTTON, 0, 10, 16, 0, 0},
                            {GR_SEPARATOR, 0, 0, 0, 0, 0},
                            {GR_BUTTON, 0, 10, 16, 0, 0}};
  int total;
  lay_floating(rows, 3, &total);
  EXPECT_EQ(rows[1].h, 5);
  EXPECT_EQ(rows[2].y, 19 + 6);
  EXPECT_EQ(total, 19 + 6 + 19);
}

TEST(Floating, EmptyMenu) {
  int total = -1;
  EXPECT_EQ(lay_floating(nullptr, 0, &total), 92);
  EXPECT_EQ(total, 0);
}

TEST(Docked, RemainderSpreadOnePixelAtATime) {
  struct lay_row rows[4] = {{GR_BUTTON}, {GR_SEPARATOR}, {GR_BUTTON}, {GR_BUTTON}};
  lay_docked(rows, 4, 6 + 3 * 10 + 2);
  EXPECT_EQ(rows[0].h, 11);
  EXPECT_EQ(rows[1].y, 11);
  EXPECT_EQ(rows[1].h, 5);
  EXPECT_EQ(rows[2].y, 17);
  EXPECT_EQ(rows[2].h, 11);
  EXPECT_EQ(rows[3].h, 10);
  EXPECT_EQ(rows[3].y + rows[3].h, 38);
}

TEST(Docked, TooSmallAreaGivesEmptyRows) {
  struct lay_row rows[2] = {{GR_SEPARATOR}, {GR_BUTTON}};
  lay_docked(rows, 2, 3);
  EXPECT_EQ(rows[1].h, 0);
}

}  // namespace
