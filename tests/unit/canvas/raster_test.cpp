// Rasterising: pixels at known points of a rendered buffer (row 0 is the
// bottom row), with the even-odd rule, layers, images and placements.
#include <gtest/gtest.h>

#include <math.h>

#include <vector>

#include "canvas/cn_node.h"
#include "canvas/cr_raster.h"

namespace {

const uint32_t WHITE = 0xffffffff;
// opaque red over white by the blend: ((t - o) * 255*255 + o * 65536) >> 16
const uint32_t RED_ON_WHITE = 0xffff0101;

class Raster : public ::testing::Test {
 protected:
  static const int W = 100, H = 80;
  std::vector<uint32_t> px = std::vector<uint32_t>(W * H, 0x12345678);
  void SetUp() override {
    cn_reset();
    cn_node *r = cn_root();
    r->r = r->g = r->b = r->a = 255;
  }
  void TearDown() override { cn_reset(); }
  uint32_t at(int x, int y) { return px[y * W + x]; }
  bool render() { return cr_render(cn_root(), px.data(), W, H); }
  cn_node *rect(cn_node *owner, int x0, int y0, int x1, int y1) {
    cn_node *n = cn_new(owner);
    add_rect(n, x0, y0, x1, y1);
    return n;
  }
  void add_rect(cn_node *n, int x0, int y0, int x1, int y1) {
    cn_add(n, CN_MOVE, x0, y0, 0, 0);
    cn_add(n, CN_LINE, x1, y0, 0, 0);
    cn_add(n, CN_LINE, x1, y1, 0, 0);
    cn_add(n, CN_LINE, x0, y1, 0, 0);
  }
  void red(cn_node *n) {
    n->r = n->a = 255;
    n->g = n->b = 0;
  }
};

TEST_F(Raster, GammaTable) {
  EXPECT_EQ(cr_gamma[0], 0);
  EXPECT_EQ(cr_gamma[1], 0);
  EXPECT_EQ(cr_gamma[64], 42);
  EXPECT_EQ(cr_gamma[128], 104);
  EXPECT_EQ(cr_gamma[254], 253);
  EXPECT_EQ(cr_gamma[255], 255);
}

TEST_F(Raster, BlendShiftsNegativeDifferencesArithmetically) {
  EXPECT_EQ(cr_blend(0xffffffff, 0xffff0000, 255 * 255), RED_ON_WHITE);
  EXPECT_EQ(cr_blend(0x00000000, 0x00ffffff, 255 * 255), 0x00fdfdfdu);
  EXPECT_EQ(cr_blend(0x80808080, 0x00000000, 0), 0x80808080u);
}

TEST_F(Raster, SpanLoopBlendsAsTheFormula) {
  uint32_t seed = 1;
  auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
  const uint32_t edges[] = {0, 0xffffffff, 0xff00ff00, 0x00ff00ff};
  for (uint32_t o : edges)
    for (uint32_t t : edges)
      for (uint32_t e : {0u, 1u, 255u * 255u, 65535u})
        ASSERT_EQ(cr_blend_fast(o, t, e), cr_blend(o, t, e)) << o << " " << t << " " << e;
  for (int i = 0; i < 100000; i++) {
    uint32_t o = next(), t = next(), e = cr_gamma[next() >> 24] * (next() >> 24);
    ASSERT_EQ(cr_blend_fast(o, t, e), cr_blend(o, t, e)) << o << " " << t << " " << e;
  }
}

TEST_F(Raster, NoChildrenDrawsNothingNotEvenBackground) {
  EXPECT_FALSE(render());
  EXPECT_EQ(at(5, 5), 0x12345678u);
}

TEST_F(Raster, FilledRectangleInteriorAndOutside) {
  red(rect(cn_root(), 10, 10, 50, 40));
  ASSERT_TRUE(render());
  EXPECT_EQ(at(20, 20), RED_ON_WHITE);
  EXPECT_EQ(at(10, 10), RED_ON_WHITE);   // pixel cells are fully inside
  EXPECT_EQ(at(49, 39), RED_ON_WHITE);
  EXPECT_EQ(at(50, 20), WHITE);
  EXPECT_EQ(at(20, 40), WHITE);
  EXPECT_EQ(at(5, 5), WHITE);
}

TEST_F(Raster, RowsRunBottomUp) {
  red(rect(cn_root(), 0, 0, 10, 5));
  ASSERT_TRUE(render());
  EXPECT_EQ(px[0], RED_ON_WHITE);              // first row in memory
  EXPECT_EQ(px[(H - 1) * W], WHITE);
}

TEST_F(Raster, UncolouredPathIsInvisible) {
  rect(cn_root(), 10, 10, 50, 40);
  ASSERT_TRUE(render());
  EXPECT_EQ(at(20, 20), WHITE);
}

TEST_F(Raster, DiagonalEdgeHasPartialCoverage) {
  cn_node *n = cn_new(cn_root());
  red(n);
  cn_add(n, CN_MOVE, 0, 0, 0, 0);
  cn_add(n, CN_LINE, 40, 0, 0, 0);
  cn_add(n, CN_LINE, 0, 40, 0, 0);
  ASSERT_TRUE(render());
  uint32_t edge = at(29, 10);   // x + y = 40 halves this cell
  uint32_t g = edge >> 8 & 255;
  EXPECT_EQ(edge >> 16 & 255, 255u);
  EXPECT_GT(g, 120u);   // half coverage is lowered by the gamma to ~104
  EXPECT_LT(g, 180u);
  EXPECT_EQ(at(20, 10), RED_ON_WHITE);
  EXPECT_EQ(at(35, 10), WHITE);
}

TEST_F(Raster, OverlapLeavesAHoleUnderEvenOdd) {
  cn_node *n = rect(cn_root(), 10, 10, 90, 70);
  add_rect(n, 30, 30, 70, 50);
  red(n);
  ASSERT_TRUE(render());
  EXPECT_EQ(at(20, 20), RED_ON_WHITE);
  EXPECT_EQ(at(50, 40), WHITE);
}

TEST_F(Raster, ImageFillTakesImagePixelsWhereItReaches) {
  cn_node *n = rect(cn_root(), 0, 0, 60, 60);
  std::vector<uint8_t> img(40 * 30 * 3);
  for (size_t i = 0; i < img.size(); i += 3) {
    img[i] = 0x20;
    img[i + 1] = 0x40;
    img[i + 2] = 0x80;
  }
  img[(5 * 40 + 7) * 3] = 0xff;   // image row 5 (from the bottom), column 7
  ASSERT_TRUE(cn_set_image(n, img.data(), 40, 30, 3));
  n->a = 255;
  n->r = n->g = n->b = 0;
  ASSERT_TRUE(render());
  EXPECT_EQ(at(7, 5) & 0xffffff, cr_blend(WHITE, 0x00ff4080, 255 * 255) & 0xffffff);
  EXPECT_EQ(at(8, 5) & 0xffffff, cr_blend(WHITE, 0x00204080, 255 * 255) & 0xffffff);
  // beyond the image the fill colour (black) is used
  EXPECT_EQ(at(45, 5) & 0xffffff, cr_blend(WHITE, 0xff000000, 255 * 255) & 0xffffff);
}

TEST_F(Raster, BackgroundImageFromTheBottomLeft) {
  cn_node *r = cn_root();
  const uint8_t img[] = {1, 2, 3, 4, 5, 6};
  ASSERT_TRUE(cn_set_image(r, img, 2, 1, 3));
  cn_new(r);   // a child, so that the background is drawn
  ASSERT_TRUE(render());
  EXPECT_EQ(at(0, 0), 0x010203u);
  EXPECT_EQ(at(1, 0), 0x040506u);
  EXPECT_EQ(at(2, 0), WHITE);
  EXPECT_EQ(at(0, 1), WHITE);
}

TEST_F(Raster, ChildrenShowOnlyThroughTheirOwnersOutline) {
  cn_node *p = rect(cn_root(), 0, 0, 50, 80);
  p->a = 255;   // black, opaque layer background
  cn_node *k = rect(p, 20, 20, 80, 60);
  red(k);
  p->dx = 1000;   // placements are not inherited: only p's outline moves
  ASSERT_TRUE(render());
  EXPECT_EQ(at(30, 30), WHITE);
  p->dx = 0;
  ASSERT_TRUE(render());
  // red drawn into p's black layer, then p's outline copies the layer out
  uint32_t red_on_black = cr_blend(0xff000000, 0xffff0000, 255 * 255);
  EXPECT_EQ(at(30, 30), cr_blend(WHITE, red_on_black, 255 * 255));
  EXPECT_EQ(at(70, 30), WHITE);   // k reaches here, p does not
  EXPECT_EQ(p->lay, nullptr);   // the layer lives for one render only
}

TEST_F(Raster, RotatedAndScaledSquare) {
  cn_node *n = rect(cn_root(), 0, 0, 10, 10);
  red(n);
  n->sx = n->sy = 2 * CN_UNIT;
  n->angle = M_PI / 4;
  n->dx = 50;
  n->dy = 10;
  ASSERT_TRUE(render());
  // a diamond from (50, 10) up to (50, 38), 14 either side at y 24
  EXPECT_EQ(at(50, 30), RED_ON_WHITE);
  EXPECT_EQ(at(40, 24), RED_ON_WHITE);
  EXPECT_EQ(at(62, 12), WHITE);   // inside the unrotated square only
  EXPECT_EQ(at(50, 40), WHITE);
}

TEST_F(Raster, FiguresFarOutsideAreClippedSafely) {
  cn_node *n = rect(cn_root(), -2000000000, -2000000000, 2000000000, 2000000000);
  red(n);
  cn_add(n, CN_ELLIPSE, 0, 0, 2000000000, 2000000000);
  ASSERT_TRUE(render());
  EXPECT_EQ(at(50, 40), WHITE);   // inside both: a hole
}

}  // namespace
