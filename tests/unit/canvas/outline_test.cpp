// Outlines: placement, ellipse polygons, curves and B-spline runs, as the
// rasteriser receives them.
#include <gtest/gtest.h>

#include <math.h>

#include <vector>

#include "canvas/cn_node.h"
#include "canvas/co_outline.h"

namespace {

struct Pt {
  bool move;
  double x, y;
};

void on_move(void *ud, double x, double y) {
  ((std::vector<Pt> *)ud)->push_back({true, x, y});
}
void on_line(void *ud, double x, double y) {
  ((std::vector<Pt> *)ud)->push_back({false, x, y});
}

std::vector<Pt> walk(const cn_node *n) {
  std::vector<Pt> pts;
  co_sink s = {on_move, on_line, &pts};
  long count = co_walk(n, &s);
  EXPECT_EQ(count, (long)pts.size());
  return pts;
}

class Outline : public ::testing::Test {
 protected:
  cn_node *n;
  void SetUp() override {
    cn_reset();
    n = cn_new(cn_root());
  }
  void TearDown() override { cn_reset(); }
};

TEST_F(Outline, IdentityPlacementLeavesPointsAlone) {
  int32_t X, Y;
  co_place(n, -7, 123456, &X, &Y);
  EXPECT_EQ(X, -7);
  EXPECT_EQ(Y, 123456);
}

TEST_F(Outline, DoubleScaleDoublesNegativePoints) {
  n->sx = n->sy = 2 * CN_UNIT;
  int32_t X, Y;
  co_place(n, -10, 5, &X, &Y);
  EXPECT_EQ(X, -20);
  EXPECT_EQ(Y, 10);
}

TEST_F(Outline, ZeroVerticalScaleFlattensOntoXAxis) {
  n->sx = 2 * CN_UNIT;
  n->sy = 0;
  int32_t X, Y;
  co_place(n, 30, 40, &X, &Y);
  EXPECT_EQ(X, 60);
  EXPECT_EQ(Y, 0);
  co_place(n, -30, 40, &X, &Y);
  EXPECT_EQ(X, -60);
  EXPECT_EQ(Y, 0);
}

TEST_F(Outline, QuarterTurnThenTranslation) {
  n->angle = M_PI / 2;
  n->dx = 100;
  n->dy = -3;
  int32_t X, Y;
  co_place(n, 10, 0, &X, &Y);
  EXPECT_EQ(X, 100);
  EXPECT_EQ(Y, 7);
  co_place(n, 0, 0, &X, &Y);   // the origin has no angle of its own
  EXPECT_EQ(X, 100);
  EXPECT_EQ(Y, -3);
}

TEST_F(Outline, HugePlacementsClampInsteadOfOverflowing) {
  n->sx = n->sy = 0x7fffffff;
  n->dx = INT32_MAX;
  int32_t X, Y;
  co_place(n, INT32_MAX, INT32_MIN, &X, &Y);
  EXPECT_EQ(X, INT32_MAX);
  EXPECT_EQ(Y, INT32_MIN);
}

TEST_F(Outline, EllipsePolygonSizes) {
  EXPECT_EQ(co_ellipse_points(10, 10), 20);
  EXPECT_EQ(co_ellipse_points(100, 100), 63);
  EXPECT_EQ(co_ellipse_points(-100, 100), 63);
  EXPECT_GT(co_ellipse_points(0, 0), 0);
  EXPECT_LE(co_ellipse_points(INT32_MAX, INT32_MAX), 100000);
}

TEST_F(Outline, EllipseStartsAtRightAndRunsClockwise) {
  cn_add(n, CN_ELLIPSE, 50, 50, 10, 20);
  auto p = walk(n);
  ASSERT_EQ(p.size(), 24u);   // ra = 15
  EXPECT_TRUE(p[0].move);
  EXPECT_NEAR(p[0].x, 60, 1e-9);
  EXPECT_NEAR(p[0].y, 50, 1e-9);
  EXPECT_FALSE(p[1].move);
  EXPECT_LT(p[1].y, 50);   // the angle runs down from 2 pi
}

TEST_F(Outline, EllipseRadiiIgnoreScale) {
  n->sx = n->sy = 3 * CN_UNIT;
  cn_add(n, CN_ELLIPSE, 10, 0, 10, 10);
  auto p = walk(n);
  EXPECT_NEAR(p[0].x, 40, 1e-9);   // centre scaled to 30, radius stays 10
}

TEST_F(Outline, CubicCurveRunsFromCurrentPointToEnd) {
  cn_add(n, CN_LINE, 0, 100, 0, 0);
  cn_add(n, CN_CONTROL, 50, 150, 0, 0);
  cn_add(n, CN_CONTROL, 100, 150, 0, 0);
  cn_add(n, CN_CURVE, 150, 100, 0, 0);
  auto p = walk(n);
  ASSERT_GT(p.size(), 4u);
  EXPECT_DOUBLE_EQ(p.back().x, 150);
  EXPECT_DOUBLE_EQ(p.back().y, 100);
  double top = 0;
  for (auto &q : p) top = fmax(top, q.y);
  EXPECT_NEAR(top, 137.5, 1);   // the curve's peak, not the control points
}

TEST_F(Outline, CurveEndWithoutTwoControlsIsIgnored) {
  cn_add(n, CN_CONTROL, 5, 5, 0, 0);
  cn_add(n, CN_CURVE, 9, 9, 0, 0);
  cn_add(n, CN_CONTROL, 5, 5, 0, 0);
  cn_add(n, CN_LINE, 1, 1, 0, 0);   // clears the pending control
  cn_add(n, CN_CONTROL, 5, 5, 0, 0);
  cn_add(n, CN_CURVE, 9, 9, 0, 0);
  auto p = walk(n);
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].x, 1);
}

TEST_F(Outline, ThirdControlPointIsIgnored) {
  cn_add(n, CN_CONTROL, 0, 10, 0, 0);
  cn_add(n, CN_CONTROL, 10, 10, 0, 0);
  cn_add(n, CN_CONTROL, 1000, 1000, 0, 0);
  cn_add(n, CN_CURVE, 10, 0, 0, 0);
  for (auto &q : walk(n)) EXPECT_LE(q.x, 10.0);
}

TEST_F(Outline, SplineRunIsFlattenedAtEndAndBeforeOtherKinds) {
  cn_add(n, CN_SPLINE, 100, 0, 0, 0);
  cn_add(n, CN_SPLINE, 100, 100, 0, 0);
  cn_add(n, CN_SPLINE, 0, 100, 0, 0);
  cn_add(n, CN_LINE, -5, -5, 0, 0);
  auto p = walk(n);
  // 4 points (with the start) over 3 intervals at step 0.02
  ASSERT_GT(p.size(), 140u);
  EXPECT_EQ(p.back().x, -5);
  EXPECT_DOUBLE_EQ(p[p.size() - 2].x, 0);
  EXPECT_DOUBLE_EQ(p[p.size() - 2].y, 100);
  for (size_t i = 1; i < p.size(); i++) EXPECT_FALSE(p[i].move);
}

TEST_F(Outline, ShortSplineRunIsAStraightLine) {
  cn_add(n, CN_SPLINE, 7, 8, 0, 0);
  auto p = walk(n);
  ASSERT_EQ(p.size(), 2u);   // the run's start and its point
  EXPECT_EQ(p[1].x, 7);
}

}  // namespace
