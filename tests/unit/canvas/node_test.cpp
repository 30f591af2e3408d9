// Node tree: children, deletion, liveness of references, fill images.
#include <gtest/gtest.h>

#include <vector>

#include "canvas/cn_node.h"

namespace {

class Nodes : public ::testing::Test {
 protected:
  void SetUp() override { cn_reset(); }
  void TearDown() override {
    cn_ops.gone = [](struct cn_node *) {};
    cn_reset();
  }
};

TEST_F(Nodes, RootStartsWithOneMoveToOrigin) {
  cn_node *r = cn_root();
  ASSERT_EQ(r->count, 1);
  EXPECT_EQ(r->v[0].kind, CN_MOVE);
  EXPECT_EQ(r->v[0].x, 0);
  EXPECT_EQ(r->v[0].y, 0);
  EXPECT_EQ(r->owner, nullptr);
  EXPECT_EQ(r->sx, CN_UNIT);
}

TEST_F(Nodes, NewChildHasIdentityPlacementAndNoColour) {
  cn_node *k = cn_new(cn_root());
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(k->sx, CN_UNIT);
  EXPECT_EQ(k->sy, CN_UNIT);
  EXPECT_EQ(k->angle, 0);
  EXPECT_EQ(k->a, 0);
  EXPECT_EQ(k->owner, cn_root());
  EXPECT_EQ(cn_root()->nkids, 1);
}

TEST_F(Nodes, VerticesKeepOrderAndOwnerAcrossGrowth) {
  cn_node *k = cn_new(cn_root());
  for (int i = 0; i < 1000; i++) ASSERT_TRUE(cn_add(k, CN_LINE, i, -i, 0, 0));
  ASSERT_EQ(k->count, 1000);
  EXPECT_EQ(k->v[999].x, 999);
  EXPECT_EQ(k->v[999].y, -999);
  EXPECT_EQ(k->v[500].owner, k);
}

TEST_F(Nodes, DeleteKeepsSiblingOrderAndKillsReferences) {
  cn_node *a = cn_new(cn_root()), *b = cn_new(cn_root()), *c = cn_new(cn_root());
  cn_node *under = cn_new(b);
  uint32_t sb = b->serial, su = under->serial;
  cn_del(b);
  ASSERT_EQ(cn_root()->nkids, 2);
  EXPECT_EQ(cn_root()->kids[0], a);
  EXPECT_EQ(cn_root()->kids[1], c);
  EXPECT_FALSE(cn_live(b, sb));
  EXPECT_FALSE(cn_live(under, su));
  EXPECT_TRUE(cn_live(a, a->serial));
}

TEST_F(Nodes, ReusedAddressIsNotTheOldNode) {
  cn_node *a = cn_new(cn_root());
  uint32_t s = a->serial;
  cn_del(a);
  cn_node *b = cn_new(cn_root());
  EXPECT_FALSE(cn_live(b, s));   // even when malloc hands back the address
}

TEST_F(Nodes, RootIsNeverDeleted) {
  cn_del(cn_root());
  EXPECT_EQ(cn_root()->count, 1);
  EXPECT_TRUE(cn_live(cn_root(), 0));
}

std::vector<cn_node *> gone;
void note(cn_node *n) { gone.push_back(n); }

TEST_F(Nodes, ClearFreesChildrenDeepestFirst) {
  cn_node *p = cn_new(cn_root());
  cn_node *q = cn_new(p);
  cn_add(p, CN_LINE, 1, 1, 0, 0);
  gone.clear();
  cn_ops.gone = note;
  cn_clear(cn_root());
  ASSERT_EQ(gone.size(), 2u);
  EXPECT_EQ(gone[0], q);
  EXPECT_EQ(gone[1], p);
  EXPECT_EQ(cn_root()->nkids, 0);
  EXPECT_EQ(cn_root()->count, 1);   // the node's own vertices stay
}

TEST_F(Nodes, ImageBytesBecomeRgbWithoutAlpha) {
  cn_node *k = cn_new(cn_root());
  const uint8_t px[] = {0x11, 0x22, 0x33, 0xff, 0x44, 0x55, 0x66, 0xee};
  ASSERT_TRUE(cn_set_image(k, px, 2, 1, 4));
  EXPECT_EQ(k->img[0], 0x112233u);
  EXPECT_EQ(k->img[1], 0x445566u);
  EXPECT_FALSE(cn_set_image(k, px, 0, 1, 3));
  EXPECT_EQ(k->img_w, 2);   // a refused image leaves the old one
}

}  // namespace
