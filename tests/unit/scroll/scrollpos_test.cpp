// Scroll steps reach commands with reason 11 and `scrollCurPos'.
#include <gtest/gtest.h>

#include "tests/unit/gui/harness.h"
#include "gui/gui.h"
#include "gui/notify.h"
#include "gui/record.h"

namespace {

struct ScrollSteps : ::testing::Test {
  void SetUp() override { gh_state(); }
  void TearDown() override { gh_close(); }
};

TEST_F(ScrollSteps, PositionIsSetDuringTheCallAndNilAfter) {
  gh_run("b = trelk:ins(button{name='b', command='print(reason, scrollCurPos, instance)'})");
  nt_scroll(nullptr, gr_at(gui_main_menu, 0), 42);
  EXPECT_EQ(gh_take(), "11\t42\t0");
  EXPECT_EQ(gh_eval("scrollCurPos"), "nil");
}

TEST_F(ScrollSteps, OtherReasonsDoNotSeeAPosition) {
  gh_run("b = trelk:ins(button{name='b', command='print(reason, scrollCurPos)'})");
  nt_scroll(nullptr, gr_at(gui_main_menu, 0), 3);
  gh_take();
  nt_click(nullptr, gr_at(gui_main_menu, 0));
  EXPECT_EQ(gh_take(), "10\tnil");
}

TEST_F(ScrollSteps, AFailingCommandStillClearsThePosition) {
  gh_run("b = trelk:ins(button{name='b', command='error(\"x\" .. scrollCurPos)'})");
  nt_scroll(nullptr, gr_at(gui_main_menu, 0), 7);
  EXPECT_NE(gh_take().find("x7"), std::string::npos);
  EXPECT_EQ(gh_eval("scrollCurPos"), "nil");
}

TEST_F(ScrollSteps, NestedStepsEachSeeTheirOwnPosition) {
  gh_run("a = trelk:ins(button{name='a', command='print(\"a\", scrollCurPos)'})");
  gh_run("b = trelk:ins(button{name='b', command='print(\"b\", scrollCurPos)'})");
  // b's command steps a from inside its own call
  static struct gr_entry *a;
  a = gr_at(gui_main_menu, 0);
  struct gr_entry *b = gr_at(gui_main_menu, 1);
  b->callback = [](void *, struct gr_entry *, int, void *) {
    nt_scroll(nullptr, a, 1);
  };
  nt_scroll(nullptr, b, 2);
  EXPECT_EQ(gh_take(), "a\t1b\t2");
}

}  // namespace
