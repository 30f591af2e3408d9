// The designer in real windows: the Develop Menu shown when a control is
// lifted or a menu is Alt-clicked, "Add Control" handing a new button to
// the drag frame, and savestate writing what was built by hand.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/inproc/terminal/driver.h"
#include "tests/inproc/design/keys.h"
#include "editor/win/edwin.h"
#include "gui/view.h"
#include "gui/designer.h"
#include "gui/gui.h"
#include "gui/dzstyle.h"
#include "gui/notify.h"
#include "ui/drag/win/develop.h"
#include "ui/dialog/win/dialogwin.h"
#include "ui/drag/win/drag.h"
#include "ui/win/mainwin.h"
#include "ui/menu/win/menuwin.h"

namespace {

HWND entry_window(const char *name) {
  for (struct mn_view *v = mn_views; v; v = v->next)
    for (int i = 0; i < v->count; i++) {
      struct gr_entry *e = v->entries[i] ? mn_entry_of(v->entries[i]) : nullptr;
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

// clicks the entry captioned name in view v
void click_at(struct mn_view *v, const char *name) {
  for (int i = 0; i < v->count; i++)
    if (v->shown[i] && v->shown[i]->name && std::string(v->shown[i]->name) == name) {
      SendMessageA(v->entries[i], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
      SendMessageA(v->entries[i], WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
      return;
    }
  ADD_FAILURE() << "no entry " << name;
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
    dg_dev_show(0);
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
  HWND d = dg_dev_window();
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
  EXPECT_NE(dg_dev_window(), nullptr);   // Escape only cancels the drag
  dg_dev_show(0);
  EXPECT_EQ(dg_dev_window(), nullptr);
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
  EXPECT_NE(dg_dev_window(), nullptr);
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
      struct gr_entry *e = v->entries[i] ? mn_entry_of(v->entries[i]) : nullptr;
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

RECT work_area() {
  RECT wa;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  return wa;
}

bool on_work_area(HWND w) {
  RECT r, wa = work_area();
  GetWindowRect(w, &r);
  return r.left >= wa.left && r.top >= wa.top && r.right <= wa.right &&
         r.bottom <= wa.bottom;
}

// the window opened from entry e of the menu window w, once it is open
HWND hover_open(HWND w, struct gr_entry *e) {
  struct mn_view *v = mn_view_of(w);
  if (v == nullptr) return nullptr;
  int i = 0;
  while (i < v->count && v->shown[i] != e) i++;
  if (i == v->count) return nullptr;
  SendMessageA(v->entries[i], WM_MOUSELEAVE, 0, 0);   /* rested on anew */
  SendMessageA(v->entries[i], WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  HWND open = nullptr;
  /* a dialog takes the keyboard and may close the menu it came from: it
     is found by its title then */
  drv_poll([&] {
    struct mn_view *now = IsWindow(w) ? mn_view_of(w) : nullptr;
    struct mn_view *o = now && now->open && IsWindow(now->open) ? mn_view_of(now->open) : nullptr;
    if (o && o->from == e) open = now->open;
    HWND titled = e->sub && e->sub->name ? FindWindowA("WtrelkUWcn", e->sub->name) : nullptr;
    if (open == nullptr && titled && IsWindowVisible(titled) && titled != w) open = titled;
    return open != nullptr;
  });
  return open;
}

// With the default layout (the Develop Menu at the top right of the main
// window, on the right half of the screen) every sheet and every part of
// a sheet opens fully on the work area: the walkthrough can be done.
TEST_F(Develop, EverySheetOpensOnTheWorkArea) {
  drv_run("trelk.drop_timeout = 0");
  ASSERT_EQ(alt_click(entry_window("x")), 1);
  HWND d = dg_dev_window();
  ASSERT_NE(d, nullptr);
  HWND sheet = hover_open(d, dz.drop);
  ASSERT_NE(sheet, nullptr);
  EXPECT_TRUE(on_work_area(sheet));
  struct gr_container *c = dz.sheets[DZ_CONTROL_SHEET];
  int opened = 0;
  for (struct gr_entry *e = c->first; e; e = e->next) {
    if (!e->sub) continue;
    /* a text pane takes the keyboard and closes the sheet: open it again */
    if (!IsWindow(sheet)) sheet = hover_open(dg_dev_window(), dz.drop);
    ASSERT_NE(sheet, nullptr);
    HWND part = hover_open(sheet, e);
    ASSERT_NE(part, nullptr) << e->name;
    EXPECT_TRUE(on_work_area(part)) << e->name;
    opened++;
    if (dw_rec(part)) DestroyWindow(part);
  }
  EXPECT_GE(opened, 7);
  // step 6 of the walkthrough: "Right Click Menu", "Menu"
  if (!IsWindow(sheet)) sheet = hover_open(dg_dev_window(), dz.drop);
  HWND rc = hover_open(sheet, dz_find(c, "Right Click Menu"));
  ASSERT_NE(rc, nullptr);
  struct mn_view *v = mn_view_of(rc);
  ASSERT_NE(v, nullptr);
  click_at(v, "Menu");
  EXPECT_EQ(drv_run("print(x.onRBUTTONCLICK.TYPE)"), "Menu");
}

// A name typed into the sheet and ended with Enter, as a keyboard sends
// it (the key press, then the character), is the name and nothing more.
TEST_F(Develop, ANameTypedWithEnterHasNoLineBreak) {
  drv_run("trelk.drop_timeout = 0");
  ASSERT_EQ(alt_click(entry_window("x")), 1);
  HWND sheet = hover_open(dg_dev_window(), dz.drop);
  ASSERT_NE(sheet, nullptr);
  HWND ed = ew_first(dz.edits[DZ_CONTROL_SHEET][DZ_NAME]);
  ASSERT_NE(ed, nullptr);
  SendMessageA(ed, WM_KEYDOWN, VK_END, 0);
  SendMessageA(ed, WM_CHAR, 'y', 0);
  SendMessageA(ed, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  SendMessageA(ed, WM_CHAR, '\r', 0x001C0001);
  drv_pump();
  EXPECT_EQ(drv_run("print('[' .. x.name .. ']')"), "[xy]");
}

// The style dialogs of an edit show every control at their own size.
TEST_F(Develop, AStyleDialogShowsEveryControl) {
  EXPECT_EQ(drv_run("sm = multiedit{name='code'} sm.style[1].font.size = 12"
                    " a:ins(sm)"), "");
  drv_pump();
  HWND w = nullptr;
  for (struct mn_view *v = mn_views; v; v = v->next)
    for (int i = 0; i < v->count; i++)
      if (v->shown && v->shown[i] && v->shown[i]->name &&
          std::string(v->shown[i]->name) == "code")
        w = v->entries[i];
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(alt_click(w), 1);
  SendMessageA(dg.cover, WM_CHAR, 27, 0);
  ASSERT_NE(dzs.styles[0], nullptr);
  gv.show(dzs.styles[0], 100, 100);
  drv_pump();
  HWND frame = (HWND)gv.window_of(dzs.styles[0]->first);
  ASSERT_NE(frame, nullptr);
  HWND client = GetParent(frame);
  RECT cr;
  GetClientRect(client, &cr);
  int n = 0;
  for (struct mn_view *v = mn_views; v; v = v->next) {
    if (v->c != dzs.styles[0]) continue;
    for (int i = 0; i < v->count; i++, n++) {
      RECT r;
      GetWindowRect(v->entries[i], &r);
      MapWindowPoints(NULL, client, (POINT *)&r, 2);
      EXPECT_GE(r.left, 0) << v->shown[i]->name;
      EXPECT_GE(r.top, 0);
      EXPECT_LE(r.right, cr.right) << (v->shown[i]->name ? v->shown[i]->name : "-");
      EXPECT_LE(r.bottom, cr.bottom) << (v->shown[i]->name ? v->shown[i]->name : "-");
    }
  }
  EXPECT_EQ(n, 19);
  DestroyWindow(GetAncestor(client, GA_ROOT));
}

}  // namespace
