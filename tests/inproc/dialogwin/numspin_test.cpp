// Numeric edits: the spinner beside the edit steps its number in its base.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/inproc/terminal/driver.h"
#include "tests/inproc/dialogwin/common.h"
#include "ui/menu/win/menuwin.h"
#include "ui/dialog/win/numspin.h"
#include "ui/scroll/win/scroll.h"

namespace {

int allowed = 0;   // steps a press may still take
int asked = 0;
int left_held() {
  asked++;
  return allowed-- > 0;
}

struct NumericEdits : ::testing::Test {
  HWND menu_wnd = nullptr;
  static void SetUpTestSuite() { drv_state(); }
  void SetUp() override { sc_ops.left_down = left_held; }
  void TearDown() override {
    allowed = 0;
    if (menu_wnd && IsWindow(menu_wnd)) DestroyWindow(menu_wnd);
    drv_pump();
  }
  // shows a menu holding one edit with the text and base; its spinner
  struct sc_record *spinner(const char *text, int base) {
    drv_run(std::string("nm = menu{name='numbers'} ne = edit{name='") + text +
            "', command='print(\"n\", reason, scrollCurPos)'} ne.digital = " +
            std::to_string(base) + " nm:ins(ne) nm:show(30, 30)");
    menu_wnd = FindWindowA("WtrelkUWcn", "numbers");
    struct mn_view *v = mn_view_of(menu_wnd);
    if (v == nullptr || v->count != 1) return nullptr;
    HWND bar = FindWindowExA(v->entries[0], NULL, "BtrelkScrollcn", NULL);
    return sc_rec(bar);
  }
  // one press of an arrow: a single step, and the button is up when the
  // press repeats
  std::string press(HWND arrow) {
    return output_of([&] {
      allowed = 1;
      int before = asked;
      SendMessageA(arrow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
      drv_poll([&] { return asked >= before + 2; });
      allowed = 0;
    });
  }
  std::string text() { return drv_run("print(ne.name)"); }
};

TEST_F(NumericEdits, TheSpinnerSitsAtTheRightEndOfTheEdit) {
  struct sc_record *r = spinner("7", 10);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->thumb, nullptr);
  RECT e, b;
  GetClientRect(GetParent(r->bar), &e);
  b = rect_in(r->bar, GetParent(r->bar));
  // inside the one-pixel frame of the edit
  EXPECT_EQ(b.right, e.right - 1);
  EXPECT_EQ(b.right - b.left, DW_SPIN_WIDTH);
  EXPECT_EQ(b.top, 1);
  EXPECT_EQ(b.bottom, e.bottom - 1);
}

TEST_F(NumericEdits, UpCountsUpAndDownCountsDownInEachBase) {
  struct { const char *text; int base; const char *up, *down; } cases[] = {
      {"101", 2, "110", "101"},
      {"9", 10, "10", "9"},
      {"ff", 16, "100", "FF"},   // no letters left to follow
      {"FF", 16, "100", "FF"},
      {"ZZ", 36, "100", "ZZ"},
      {"-1", 10, "0", "-1"},
  };
  for (auto &k : cases) {
    struct sc_record *r = spinner(k.text, k.base);
    ASSERT_NE(r, nullptr) << k.text;
    std::string out = press(r->first);
    EXPECT_EQ(text(), k.up) << k.text << " base " << k.base;
    EXPECT_EQ(out.substr(0, 5), "n\t11\t") << k.text;
    press(r->second);
    EXPECT_EQ(text(), k.down) << k.text;
    DestroyWindow(menu_wnd);
  }
}

TEST_F(NumericEdits, HoldingTheSpinnerKeepsCounting) {
  struct sc_record *r = spinner("FE", 16);
  ASSERT_NE(r, nullptr);
  allowed = 3;
  int before = asked;
  SendMessageA(r->first, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  ASSERT_TRUE(drv_poll([&] { return asked >= before + 4; }));
  EXPECT_EQ(text(), "101");
}

TEST_F(NumericEdits, BadTextStaysAsItIs) {
  for (const char *bad : {"12z", "", "abc"}) {
    struct sc_record *r = spinner(bad, 10);
    ASSERT_NE(r, nullptr) << bad;
    press(r->first);
    EXPECT_EQ(text(), bad);
    DestroyWindow(menu_wnd);
  }
}

TEST_F(NumericEdits, TurningTheBaseOffRemovesTheSpinner) {
  ASSERT_NE(spinner("5", 10), nullptr);
  drv_run("ne.digital = 0");
  struct mn_view *v = mn_view_of(menu_wnd);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(FindWindowExA(v->entries[0], NULL, "BtrelkScrollcn", NULL), nullptr);
  drv_run("ne.digital = 36");
  EXPECT_NE(FindWindowExA(v->entries[0], NULL, "BtrelkScrollcn", NULL), nullptr);
}

TEST_F(NumericEdits, StepsAreNotTakenForPlainEdits) {
  drv_run("pe = edit{name='12'}");
  struct gr_entry *e = (struct gr_entry *)handle_of("pe");
  EXPECT_EQ(dw_spin_step(e, 1), 0);
  EXPECT_EQ(drv_run("print(pe.name)"), "12");
  EXPECT_EQ(dw_spin_step(nullptr, 1), 0);
}

}  // namespace
