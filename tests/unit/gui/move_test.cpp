// Moving entries between containers, as the designer's drops do.
#include <gtest/gtest.h>

#include "gui/gui.h"
#include "gui/move.h"
#include "gui/record.h"
#include "tests/unit/gui/harness.h"

namespace {

struct Move : ::testing::Test {
  void SetUp() override { gh_state(); }
  void TearDown() override { gh_close(); }
};

struct gr_entry *entry_of(const char *expr) {
  gh_run((std::string("_probe = ") + expr + ".msHANDLE").c_str());
  lua_getglobal(gui_L, "_probe");
  void *p = lua_touserdata(gui_L, -1);
  lua_pop(gui_L, 1);
  return (struct gr_entry *)p;
}

struct gr_container *container_of(const char *expr) {
  gh_run((std::string("_probe = ") + expr + ".HANDLE").c_str());
  lua_getglobal(gui_L, "_probe");
  void *p = lua_touserdata(gui_L, -1);
  lua_pop(gui_L, 1);
  return (struct gr_container *)p;
}

TEST_F(Move, BetweenMenusOnBothSides) {
  gh_run("a = menu() b = menu() x = button{name='x'} y = button{name='y'}"
         " z = button{name='z'} a:ins(x) a:ins(y) b:ins(z)");
  ASSERT_TRUE(mv_move(gui_L, entry_of("x"), container_of("b"), 0));
  EXPECT_EQ(gh_eval("a.n, a[1] == y, a[2], b.n, b[1] == x, b[2] == z, x.parent == b"),
            "1\ttrue\tnil\t2\ttrue\ttrue\ttrue");
  EXPECT_STREQ(gr_at(container_of("b"), 0)->name, "x");
  EXPECT_EQ(gr_count(container_of("a")), 1);
}

TEST_F(Move, WithinAMenu) {
  gh_run("a = menu() for i = 1, 3 do a:ins(button{name=tostring(i)}) end");
  ASSERT_TRUE(mv_move(gui_L, entry_of("a[1]"), container_of("a"), -1));
  EXPECT_EQ(gh_eval("a[1].name, a[2].name, a[3].name, a.n"), "2\t3\t1\t3");
  EXPECT_STREQ(gr_at(container_of("a"), 2)->name, "1");
}

TEST_F(Move, IntoADialogGoesInFrontAndIsKeyed) {
  gh_run("a = menu() d = dialog{w=100, h=100} x = button{name='x'} a:ins(x)");
  ASSERT_TRUE(mv_move(gui_L, entry_of("x"), container_of("d"), 5));
  EXPECT_EQ(gh_eval("a.n, d.n, d[1] == x, d[x.msHANDLE] == x, x.parent == d"),
            "0\t1\ttrue\ttrue\ttrue");
  // and out again: the key goes
  ASSERT_TRUE(mv_move(gui_L, entry_of("x"), container_of("a"), 0));
  EXPECT_EQ(gh_eval("d.n, d[x.msHANDLE], a[1] == x"), "0\tnil\ttrue");
}

// A table lists its rows as a menu does: its array is in display order and
// the drop row holds on both sides.
TEST_F(Move, IntoATableAtTheDropRow) {
  gh_run("a = menu() t = table() for i = 1, 3 do t:ins(button{name='r'..i}) end"
         " x = button{name='x'} a:ins(x)");
  ASSERT_TRUE(mv_move(gui_L, entry_of("x"), container_of("t"), 1));
  EXPECT_EQ(gh_eval("t.n, t[1].name, t[2].name, t[3].name, t[4].name, x.parent == t"),
            "4	r1	x	r2	r3	true");
  struct gr_container *t = container_of("t");
  for (int i = 0; i < 4; i++) {
    gh_run(("_probe = t[" + std::to_string(i + 1) + "].name").c_str());
    EXPECT_STREQ(gr_at(t, i)->name, gh_eval("_probe").c_str()) << i;
  }
  EXPECT_EQ(gh_eval("rawget(t, x.msHANDLE)"), "nil");
}

TEST_F(Move, NotIntoItsOwnAttachedObject) {
  gh_run("outer = menu() inner = menu() deeper = menu()"
         " e = outer:ins(inner) inner:ins(deeper)");
  EXPECT_FALSE(mv_move(gui_L, entry_of("e"), container_of("inner"), 0));
  EXPECT_FALSE(mv_move(gui_L, entry_of("e"), container_of("deeper"), 0));
  EXPECT_EQ(gh_eval("outer.n, outer[1] == e"), "1\ttrue");
}

TEST_F(Move, NewControlHasItsObject) {
  struct gr_entry *e = mv_new_control(gui_L, GR_BUTTON);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->flags, GR_BUTTON);
  ASSERT_TRUE(mv_move(gui_L, e, gui_main_menu, 0));
  EXPECT_EQ(gh_eval("trelk.n, trelk[1].TYPE, trelk[1].name, trelk[1].w"),
            "1\tMenuString\tnil\t128");
  EXPECT_EQ(mv_new_control(gui_L, GR_ATT_MENU), nullptr);
}

}  // namespace
