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
  struct lay_row rows[4] = {{GR_BUTTON, 0, 0, 0, 0, 0}, {GR_SEPARATOR, 0, 0, 0, 0, 0},
                            {GR_BUTTON, 0, 0, 0, 0, 0}, {GR_BUTTON, 0, 0, 0, 0, 0}};
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
  struct lay_row rows[2] = {{GR_SEPARATOR, 0, 0, 0, 0, 0}, {GR_BUTTON, 0, 0, 0, 0, 0}};
  lay_docked(rows, 2, 3);
  EXPECT_EQ(rows[1].h, 0);
}

}  // namespace

namespace {

// 30 rows of 18 pixels and a 1-pixel gap: 19 pixels a row
void tall(struct lay_row *rows, int n) {
  for (int i = 0; i < n; i++) rows[i] = {GR_BUTTON, 0, 40, 16, 0, 0};
  int total;
  lay_floating(rows, n, &total);
}

TEST(Scrolled, RowsThatFitDoNotScroll) {
  struct lay_row rows[3];
  tall(rows, 3);
  EXPECT_EQ(lay_last_first(rows, 3, 200), 0);
  EXPECT_EQ(lay_clamp_first(rows, 3, 200, 2), 0);
  EXPECT_EQ(lay_last_first(rows, 0, 0), 0);
}

TEST(Scrolled, TheLastPositionShowsTheLastRowAtTheBottom) {
  struct lay_row rows[30];
  tall(rows, 30);
  // 95 pixels hold five rows (the last one without its gap)
  int last = lay_last_first(rows, 30, 95);
  EXPECT_EQ(last, 25);
  EXPECT_EQ(lay_last_first(rows, 30, 94), 25);
  EXPECT_EQ(lay_last_first(rows, 30, 93), 26);
  EXPECT_EQ(lay_clamp_first(rows, 30, 95, 99), 25);
  EXPECT_EQ(lay_clamp_first(rows, 30, 95, -3), 0);
}

TEST(Scrolled, AViewLowerThanOneRowStillReachesTheLastRow) {
  struct lay_row rows[4];
  tall(rows, 4);
  EXPECT_EQ(lay_last_first(rows, 4, 5), 3);
  EXPECT_EQ(lay_last_first(rows, 4, -10), 3);
}

TEST(Scrolled, ChildTablesGiveFifteenPixelsToTheBar) {
  EXPECT_EQ(lay_table_width(200, 100, 100), 194);
  EXPECT_EQ(lay_table_width(200, 101, 100), 179);
  EXPECT_EQ(lay_table_width(3, 500, 10), 0);
}

TEST(Tabs, PageIsTheClientLessTheColumnAndMargins) {
  int w, h;
  lay_tab_page(400, 300, 98, 1, &w, &h);
  EXPECT_EQ(w, 400 - 98 - 3);
  EXPECT_EQ(h, 275);
  lay_tab_page(400, 300, 98, 0, &w, &h);
  EXPECT_EQ(h, 294);
  lay_tab_page(50, 4, 98, 1, &w, &h);   // smaller than the column
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
}

TEST(Bounds, ScriptSizesAreHeldToTheWindowSystemsRange) {
  EXPECT_EQ(lay_size(-5), 0);
  EXPECT_EQ(lay_size(2147483647), LAY_MAX);
  EXPECT_EQ(lay_size(300), 300);
  EXPECT_EQ(lay_coord(-2147483647 - 1), -LAY_MAX);
  EXPECT_EQ(lay_coord(-20), -20);
}

}  // namespace
