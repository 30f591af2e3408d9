// The designer in real windows: the Develop Menu shown when a control is
// lifted or a menu is Alt-clicked, "Add Control" handing a new button to
// the drag frame, and savestate writing what was built by hand.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../terminal/driver.h"
#include "keys.h"
#include "editor/edwin.h"
#include "gui/view.h"
#include "gui/designer.h"
#include "gui/gui.h"
#include "gui/notify.h"
#include "ui/develop.h"
#include "ui/drag.h"
#include "ui/mainwin.h"
#include "ui/menuwin.h"

namespace {

HWND entry_window(const char *name) {
  for (struct mn_view *v = mn_views; v; v = v->next)
    for (int i = 0; i < v->count; i++) {
      struct gr_entry *e = v->entries[i] ? me_entry(v->entries[i]) : nullptr;
      if (e && e->name && std::string(e->name) == name) return v->entries[i];
    }
  return nullptr;
}

std::string slurp(const char *file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

struct Develop : ::testing::Test {
  static void SetUpTestSuite() { drv_state(); }
  void SetUp() override {
    drv_run("for i = trelk.n, 1, -1 do trelk[i]:del() trelk[i] = nil end trelk.n = 0"
            " a = menu{name='A'} x = button{name='x'} a:ins(x) ea = trelk:ins(a)"
            " a:show(60, 60)");
    drv_pump();
  }
  void TearDown() override {
    set_alt(false);
    if (dg.frame) DestroyWindow(dg.frame);
    dm_show(0);
    std::vector<HWND> shown;
    for (struct mn_view *v = mn_views; v; v = v->next)
      if (v->wnd != mw_main_menu() && v->wnd != mw_free_menu()) shown.push_back(v->wnd);
    for (HWND w : shown)
      if (IsWindow(w)) DestroyWindow(w);
    dz_edit(nullptr);
    drv_pump();
  }
};

TEST_F(Develop, LiftingAControlShowsTheControlSheet) {
  ASSERT_EQ(alt_click(entry_window("x")), 1);
  HWND d = dm_window();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(GetParent(d), mw_window());
  RECT c, r;
  GetClientRect(mw_window(), &c);
  GetWindowRect(d, &r);
  MapWindowPoints(NULL, mw_window(), (POINT *)&r, 2);
  EXPECT_EQ(r.left, c.right - (r.right - r.left) - 7);
  EXPECT_EQ(r.top, 22);
  EXPECT_EQ(dz.sheet, DZ_CONTROL_SHEET);
  EXPECT_STREQ(dz.edits[DZ_CONTROL_SHEET][DZ_NAME]->name, "x");
  // a drop takes the menu down
  SendMessageA(dg.cover, WM_CHAR, 27, 0);
  EXPECT_NE(dm_window(), nullptr);   // Escape only cancels the drag
  dm_show(0);
  EXPECT_EQ(dm_window(), nullptr);
}

TEST_F(Develop, AltClickOnAMenuEditsTheMenu) {
  struct mn_view *v = nullptr;
  for (struct mn_view *p = mn_views; p; p = p->next)
    if (p->c && p->c->name && std::string(p->c->name) == "A") v = p;
  ASSERT_NE(v, nullptr);
  RECT r;
  GetWindowRect(v->inner, &r);
  POINT at = {r.left + 2, r.bottom - 1};
  EXPECT_EQ(alt_click(v->inner, at), 1);
  EXPECT_EQ(dg.frame, nullptr);
  EXPECT_EQ(dz.sheet, DZ_MENU_SHEET);
  EXPECT_EQ(dz.edited, (void *)v->c);
  EXPECT_NE(dm_window(), nullptr);
}

TEST_F(Develop, AddControlIsPlacedByADrop) {
  struct mn_view *v = nullptr;
  for (struct mn_view *p = mn_views; p; p = p->next)
    if (p->c && p->c->name && std::string(p->c->name) == "A") v = p;
  ASSERT_NE(v, nullptr);
  alt_click(v->inner);
  ASSERT_EQ(dz.sheet, DZ_MENU_SHEET);
  nt_click(nullptr, dz_find(dz.sheets[DZ_MENU_SHEET], "Add Control"));
  ASSERT_NE(dg.frame, nullptr);
  HWND carried = dg.control;
  EXPECT_EQ(drv_run("print(a.n, a[1].TYPE, a[2] == x)"), "2\tMenuString\ttrue");
  RECT xr;
  GetWindowRect(entry_window("x"), &xr);
  SetWindowPos(dg.frame, NULL, xr.left + 5, xr.bottom - 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  // dropped onto the lower half of x: after it
  set_alt(true);
  SendMessageA(dg.cover, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  set_alt(false);
  drv_pump();
  EXPECT_EQ(dg.frame, nullptr);
  EXPECT_FALSE(IsWindow(carried));   // the window made for the drag went
  EXPECT_EQ(drv_run("print(a.n, a[1] == x, a[2].TYPE)"), "2\ttrue\tMenuString");
  // the new control is the one being edited: naming it shows in savestate
  EXPECT_EQ(dz.sheet, DZ_CONTROL_SHEET);
  struct gr_entry *name = dz.edits[DZ_CONTROL_SHEET][DZ_NAME];
  gr_set_text(&name->name, "added");
  nt_notify(nullptr, name, 10);
  drv_run("savestate('dev_out.t')");
  EXPECT_EQ(slurp("dev_out.t"),
            "_0_ = trelk;\n\n"
            "\n\t_1_ = menu{ name=\"A\",};"
            "\n\ta = _1_;"
            "\n\t__1__ = button{ name=\"x\",};\n\t_1_:ins(__1__);"
            "\n\tx = __1__;"
            "\n\t__1__ = button{ name=\"added\",};\n\t_1_:ins(__1__);"
            "\n__0__ = _0_:ins(_1_);"
            "\nea = __0__;");
  DeleteFileA("dev_out.t");
}

// The designer's code panes have no style table: they show Lua in the
// built-in colours, keyword sets and all.
TEST_F(Develop, CodePanesGetTheBuiltInLuaColours) {
  ASSERT_EQ(alt_click(entry_window("x")), 1);
  for (int job : {DZ_COMMAND, DZ_FUNCTIONS}) {
    struct gr_entry *e = dz.edits[DZ_CONTROL_SHEET][job];
    ASSERT_NE(e, nullptr);
    gv.show(e->owner, 100, 100);
    drv_pump();
    HWND h = ew_first(e);
    ASSERT_NE(h, nullptr) << job;
    EXPECT_EQ(SendMessageA(h, 4002, 0, 0), 15);          // SCI_GETLEXER
    EXPECT_EQ(SendMessageA(h, 2481, 5, 0), 0x000090);    // SCI_STYLEGETFORE
    EXPECT_EQ(SendMessageA(h, 2484, 2, 0), 1);           // SCI_STYLEGETITALIC
    EXPECT_GT(SendMessageA(h, 2243, 0, 0), 0);           // margin 0 width
    DestroyWindow((HWND)gv.window_of(e->owner));
  }
  // a script's own multi-line edit keeps plain styles
  EXPECT_EQ(drv_run("m = multiedit{name='t'} a:ins(m)"), "");
  drv_pump();
  struct gr_entry *mine = nullptr;
  for (struct mn_view *v = mn_views; v; v = v->next)
    for (int i = 0; i < v->count; i++) {
      struct gr_entry *e = v->entries[i] ? me_entry(v->entries[i]) : nullptr;
      if (e && (e->flags & GR_MULTIEDIT) == GR_MULTIEDIT && !e->code_pane) mine = e;
    }
  ASSERT_NE(mine, nullptr);
  ASSERT_NE(ew_first(mine), nullptr);
  EXPECT_NE(SendMessageA(ew_first(mine), 4002, 0, 0), 15);
}

TEST_F(Develop, SavestateReplacesAnExistingFileAndSparesAReadOnlyOne) {
  { std::ofstream("dev_old.t") << "a much longer old text than the new one will be"; }
  drv_run("for i = trelk.n, 1, -1 do trelk[i]:del() trelk[i] = nil end trelk.n = 0");
  drv_run("savestate('dev_old.t')");
  EXPECT_EQ(slurp("dev_old.t"), "_0_ = trelk;\n\n");
  { std::ofstream("dev_ro.t") << "keep"; }
  SetFileAttributesA("dev_ro.t", FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(drv_run("savestate('dev_ro.t')"), "");
  EXPECT_EQ(slurp("dev_ro.t"), "keep");
  EXPECT_EQ(GetFileAttributesA("dev_ro.t.~save"), INVALID_FILE_ATTRIBUTES);
  SetFileAttributesA("dev_ro.t", FILE_ATTRIBUTE_NORMAL);
  DeleteFileA("dev_ro.t");
  DeleteFileA("dev_old.t");
}

}  // namespace
