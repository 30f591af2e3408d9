// Menus in real windows: the built-in bars, drop-downs, clicks, colours at
// paint time, hover opening and the tooltip.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "tests/inproc/terminal/driver.h"
#include "gui/gui.h"
#include "gui/record.h"
#include "ui/menu/win/freemenu.h"
#include "ui/win/mainwin.h"
#include "ui/menu/win/menuwin.h"
#include "ui/win/tooltip.h"

namespace {

struct Menus : ::testing::Test {
  static void SetUpTestSuite() { drv_state(); }
  void SetUp() override {
    drv_run("for i = trelk.n, 1, -1 do local e = trelk[i] if e.del then e:del() end"
            " trelk[i] = nil end trelk.n = 0 trelk.color.ms_text = 0x111111"
            " trelk.drop_timeout = 140");
    close_popups();
  }
  static void close_popups() {
    struct mn_view *bar = mn_view_of(mw_main_menu());
    if (bar && bar->open && IsWindow(bar->open)) DestroyWindow(bar->open);
    drv_pump();
  }
};

struct mn_view *bar_view() { return mn_view_of(mw_main_menu()); }

// opens the main menu's drop-down by clicking its bar entry
struct mn_view *open_main_menu() {
  struct mn_view *bar = bar_view();
  if (bar == nullptr || bar->count != 1) return nullptr;
  SendMessageA(bar->entries[0], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(bar->entries[0], WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  drv_poll([&] { return bar->open && IsWindow(bar->open); });
  return bar->open ? mn_view_of(bar->open) : nullptr;
}

void click(HWND w) {
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

std::string click_output(HWND w) {
  LONG from = drv_end();
  click(w);
  drv_pump();
  return drv_text(from, drv_end());
}

TEST_F(Menus, MainWindowBarsAreRealMenus) {
  struct mn_view *bar = bar_view();
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(bar->docked);
  ASSERT_EQ(bar->count, 1);
  EXPECT_EQ(bar->c->first->sub, gui_main_menu);
  EXPECT_EQ(bar->c->first->flags, 0x1004u);
  struct mn_view *free_bar = mn_view_of(mw_free_menu());
  ASSERT_NE(free_bar, nullptr);
  EXPECT_EQ(free_bar->c->first->sub, mn_free_windows);
  RECT a, b;
  GetWindowRect(mw_main_menu(), &a);
  GetWindowRect(mw_free_menu(), &b);
  EXPECT_EQ(b.left - a.right, 4);
  EXPECT_EQ(drv_run("print(trelk.TYPE, trelk.menu, trelk.drop_timeout)"),
            "Menu\tnil\t140");
}

TEST_F(Menus, ClickingAButtonRunsItsCommand) {
  drv_run("trelk:ins(button{name = 'b', command = 'print(1)'})");
  struct mn_view *v = open_main_menu();
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->count, 1);
  EXPECT_EQ(click_output(v->entries[0]), "1");
}

TEST_F(Menus, FloatingLayout) {
  drv_run("trelk:ins(button{name='one'}) trelk:ins(separator())"
          " trelk:ins(checkbox{name='a much longer entry text'})");
  struct mn_view *v = open_main_menu();
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->count, 3);
  RECT r0, r1, r2, w;
  GetWindowRect(v->entries[0], &r0);
  GetWindowRect(v->entries[1], &r1);
  GetWindowRect(v->entries[2], &r2);
  GetWindowRect(v->wnd, &w);
  EXPECT_EQ(r1.bottom - r1.top, 5);
  EXPECT_EQ(r1.top - r0.bottom, 1);
  EXPECT_EQ(r2.top - r1.bottom, 1);
  EXPECT_EQ(w.right - w.left, (r0.right - r0.left) + 6);
  EXPECT_EQ(w.bottom - w.top, (r2.bottom - r0.top) + 1 + 23);
  // the drop-down hangs below the bar entry
  RECT be;
  GetWindowRect(bar_view()->entries[0], &be);
  EXPECT_EQ(w.left, be.left);
  EXPECT_EQ(w.top, be.bottom);
}

TEST_F(Menus, CheckBoxesAndRadiosByClicks) {
  drv_run("trelk:ins(checkbox{command='print(\"c\", reason)'})"
          " for i = 1, 3 do trelk:ins(radio{name=i, command='print(this.name, reason)'}) end");
  struct mn_view *v = open_main_menu();
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->count, 4);
  EXPECT_EQ(click_output(v->entries[0]), "c\t4");
  EXPECT_EQ(click_output(v->entries[0]), "c\t0");
  EXPECT_EQ(click_output(v->entries[1]), "nil\t4");
  EXPECT_EQ(drv_run("trelk[2].name = 'r1' trelk[3].name = 'r2'"), "");
  v = mn_view_of(bar_view()->open);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(click_output(v->entries[2]), "r1\t0r2\t4");
  EXPECT_EQ(drv_run("print(trelk[2].checked, trelk[3].checked, trelk[4].checked)"),
            "false\ttrue\tfalse");
}

// renders an entry window into a bitmap and counts pixels of one colour
int count_pixels(HWND w, COLORREF colour) {
  RECT r;
  GetClientRect(w, &r);
  HDC screen = GetDC(NULL);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bm = CreateCompatibleBitmap(screen, r.right, r.bottom);
  HGDIOBJ old = SelectObject(dc, bm);
  SendMessageA(w, WM_ERASEBKGND, (WPARAM)dc, 0);
  int n = 0;
  for (int y = 0; y < r.bottom; y++)
    for (int x = 0; x < r.right; x++)
      if (GetPixel(dc, x, y) == colour) n++;
  SelectObject(dc, old);
  DeleteObject(bm);
  DeleteDC(dc);
  ReleaseDC(NULL, screen);
  return n;
}

TEST_F(Menus, TextColourIsReadAtPaint) {
  drv_run("trelk:ins(button{name = 'MMMMMMMM'})");
  struct mn_view *v = open_main_menu();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(drv_run("print(trelk.color.ms_text == 0x111111)"), "true");
  EXPECT_EQ(count_pixels(v->entries[0], RGB(255, 0, 0)), 0);
  EXPECT_GT(count_pixels(v->entries[0], 0x111111), 10);
  drv_run("trelk.color.ms_text = 0xFF");
  EXPECT_GT(count_pixels(v->entries[0], RGB(255, 0, 0)), 10);
  drv_run("trelk.color.ms_text = 'blue'");
  EXPECT_EQ(drv_run("print(trelk.color.ms_text)"), "255");
}

TEST_F(Menus, HoverOpensAnAttachedMenuAfterTheDelay) {
  drv_run("sub = menu{name='inner'} sub:ins(button{name='x'}) trelk:ins(sub)"
          " trelk.drop_timeout = 50");
  struct mn_view *v = open_main_menu();
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->count, 1);
  EXPECT_EQ(v->open, nullptr);
  SendMessageA(v->entries[0], WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(drv_poll([&] { return v->open && IsWindow(v->open); }));
  struct mn_view *inner = mn_view_of(v->open);
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->count, 1);
  RECT e, p;
  GetWindowRect(v->entries[0], &e);
  GetWindowRect(v->open, &p);
  EXPECT_EQ(p.left, e.right - 4);
  EXPECT_EQ(p.top, e.top);
}

TEST_F(Menus, CleanInsideACommandOfACleanedEntry) {
  drv_run("sub = menu() trelk:ins(sub)"
          " sub:ins(button{name='go', command='sub:clean() print(\"done\")'})"
          " sub:ins(button())");
  struct mn_view *v = open_main_menu();
  ASSERT_NE(v, nullptr);
  drv_run("trelk.drop_timeout = 0");
  SendMessageA(v->entries[0], WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(drv_poll([&] { return v->open && IsWindow(v->open); }));
  struct mn_view *inner = mn_view_of(v->open);
  ASSERT_NE(inner, nullptr);
  ASSERT_EQ(inner->count, 2);
  EXPECT_EQ(click_output(inner->entries[0]), "done");
  EXPECT_EQ(inner->count, 0);
  EXPECT_EQ(drv_run("print(sub.n)"), "0");
}

TEST_F(Menus, ACommandThatFailsWhilePainting) {
  drv_run("trelk:ins(button{name='p', paint=true, command='error(\"in paint\")'})"
          " trelk[1].paint = true");
  struct mn_view *v = open_main_menu();
  ASSERT_NE(v, nullptr);
  LONG from = drv_end();
  RedrawWindow(v->entries[0], NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW);
  drv_pump();
  EXPECT_NE(drv_text(from, drv_end()).find("in paint"), std::string::npos);
  EXPECT_EQ(drv_run("print(trelk[1].paint)"), "true");
}

TEST_F(Menus, ShownMenusAreListedInTheFreeWindowsMenu) {
  int before = gr_count(mn_free_windows);
  drv_run("free = menu{name='free one'} free:ins(label{name='l'}) free:show(10, 10)");
  EXPECT_EQ(gr_count(mn_free_windows), before + 1);
  HWND w = FindWindowA("WtrelkUWcn", "free one");
  ASSERT_NE(w, nullptr);
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 10);
  ShowWindow(w, SW_MINIMIZE);
  struct gr_entry *e = mn_free_windows->first;
  while (e && e->cb_data != w) e = e->next;
  ASSERT_NE(e, nullptr);
  // choose it from the drop-down of the free-windows bar
  struct mn_view *fb = mn_view_of(mw_free_menu());
  click(fb->entries[0]);
  ASSERT_TRUE(drv_poll([&] { return fb->open && IsWindow(fb->open); }));
  struct mn_view *list = mn_view_of(fb->open);
  ASSERT_NE(list, nullptr);
  int i = 0;
  for (struct gr_entry *p = mn_free_windows->first; p != e; p = p->next) i++;
  click(list->entries[i]);
  EXPECT_FALSE(IsIconic(w));
  DestroyWindow(w);
  EXPECT_EQ(gr_count(mn_free_windows), before);
}

TEST_F(Menus, TooltipShowsAfterASecond) {
  drv_run("trelk:ins(button{name='tip', comment='the tip text'})");
  struct mn_view *v = open_main_menu();
  ASSERT_NE(v, nullptr);
  RECT r;
  GetWindowRect(v->entries[0], &r);
  SetCursorPos(r.left + 5, r.top + 5);
  drv_pump();
  DWORD t0 = GetTickCount();
  SendMessageA(v->entries[0], WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(drv_poll([] { return tt.visible != 0; }, 5000));
  EXPECT_GE(GetTickCount() - t0, 900u);
  EXPECT_STREQ(tt.text, "the tip text");
  RECT tr;
  GetWindowRect(tt_window, &tr);
  EXPECT_EQ(tr.left, tt.anchor.x - 30);
  EXPECT_EQ(tr.top, tt.anchor.y + 30);
  EXPECT_EQ(tr.right - tr.left, tt.size.cx);
  // moving to another window hides it
  MSG m = {};
  m.pt.x = 1;
  m.pt.y = 1;
  m.time = GetTickCount();
  tt_hover(&m);
  GetWindowRect(tt_window, &tr);
  EXPECT_EQ(tr.right - tr.left, 0);
}

TEST_F(Menus, NoTooltipWhenThePointerLeavesFirst) {
  drv_run("trelk:ins(button{name='tip', comment='never'})");
  struct mn_view *v = open_main_menu();
  ASSERT_NE(v, nullptr);
  RECT r;
  GetWindowRect(v->entries[0], &r);
  SetCursorPos(r.left + 5, r.top + 5);
  drv_pump();
  SendMessageA(v->entries[0], WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_NE(tt.show_timer, 0u);
  MSG m = {};
  m.pt.x = 1;
  m.pt.y = 1;
  m.time = GetTickCount() - 1000;
  tt_hover(&m);   // queued before the request: where the pointer was then
  EXPECT_NE(tt.show_timer, 0u);
  m.time = GetTickCount();
  tt_hover(&m);   // what the terminal loop does with the next message
  EXPECT_EQ(tt.show_timer, 0u);   // nothing is left to show the tip
  EXPECT_EQ(tt.visible, 0);
}

}  // namespace

namespace {

TEST_F(Menus, ShownMenusReportCreationAndDestruction) {
  drv_run("shown = menu{name='reasons'} shown.command = 'print(\"m\", reason)'");
  EXPECT_EQ(drv_run("shown:show(20, 20)"), "m\t1");
  HWND w = FindWindowA("WtrelkUWcn", "reasons");
  ASSERT_NE(w, nullptr);
  LONG from = drv_end();
  DestroyWindow(w);
  EXPECT_EQ(drv_text(from, drv_end()), "m\t2");
}

TEST_F(Menus, RightClickOpensTheRightClickMenu) {
  drv_run("rc = menu{name='right menu'} rc:ins(button{name='r'})"
          " trelk:ins(button{name='has menu', onRBUTTONCLICK = rc})");
  struct mn_view *v = open_main_menu();
  ASSERT_NE(v, nullptr);
  SendMessageA(v->entries[0], WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  HWND w = FindWindowA("WtrelkUWcn", "right menu");
  ASSERT_NE(w, nullptr);
  ASSERT_NE(mn_view_of(w), nullptr);
  EXPECT_EQ(mn_view_of(w)->count, 1);
  DestroyWindow(w);
}

TEST_F(Menus, DeletingAnEntryRemovesItsWindow) {
  drv_run("a = button{name='a'} trelk:ins(a) trelk:ins(button{name='b'})");
  struct mn_view *v = open_main_menu();
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->count, 2);
  drv_run("a:del() a:del()");
  v = mn_view_of(bar_view()->open);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->count, 1);
}

}  // namespace

namespace {

TEST_F(Menus, TermShrinkedFollowsTheMainWindow) {
  EXPECT_EQ(drv_run("print(trelk.term_shrinked)"), "false");
  drv_run("trelk.term_shrinked = true");
  RECT r;
  GetWindowRect(mw_window(), &r);
  EXPECT_EQ(r.bottom - r.top, 48);
  EXPECT_EQ(drv_run("print(button().term_shrinked)"), "true");
  drv_run("trelk.term_shrinked = false");
  GetWindowRect(mw_window(), &r);
  EXPECT_GT(r.bottom - r.top, 48);
  EXPECT_EQ(drv_run("print(trelk.term_shrinked)"), "false");
}

TEST_F(Menus, ConstructorsAndInsWithBadInput) {
  EXPECT_EQ(drv_run("for _, f in ipairs{menu, dialog, table, separator, button,"
                    " edit, multiedit, label, checkbox, radio} do"
                    " f(5) f('x') f{name = {}, command = 5, comment = true,"
                    " x = 'a', onRBUTTONCLICK = 1} end"
                    " trelk:ins(5) trelk:ins('x', 'y') trelk.ins(1, 2)"),
            "Invalid arg!");
  EXPECT_EQ(drv_run("print(trelk.n)"), "0");
}

}  // namespace

namespace {

TEST_F(Menus, RenamingAShownMenuRetitlesItsWindow) {
  drv_run("named = menu{name='before'} named:ins(button{name='x'}) named:show(30, 30)");
  HWND w = FindWindowA("WtrelkUWcn", "before");
  ASSERT_NE(w, nullptr);
  drv_run("named.name = 'after'");
  char t[32];
  GetWindowTextA(w, t, sizeof t);
  EXPECT_STREQ(t, "after");
  DestroyWindow(w);
}

}  // namespace

namespace {

TEST_F(Menus, AFunctionCommandPrintsItsReason) {
  drv_run("trelk:ins(button{name = 'f', command = function() print(reason) end})");
  EXPECT_EQ(drv_run("print('[' .. trelk[1].command .. ']')"), "[ print(reason) ]");
  struct mn_view *v = open_main_menu();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(click_output(v->entries[0]), "10");
}

}  // namespace

namespace {

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

// the drop-down opened from entry i of the menu window w, once it is open
HWND hover_open(HWND w, int i) {
  struct mn_view *v = mn_view_of(w);
  if (v == nullptr || i >= v->count) return nullptr;
  SendMessageA(v->entries[i], WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  HWND open = nullptr;
  drv_poll([&] {
    struct mn_view *now = IsWindow(w) ? mn_view_of(w) : nullptr;
    open = now && now->open && IsWindow(now->open) && mn_view_of(now->open) &&
                   mn_view_of(now->open)->from == gr_at(now->c, i)
               ? now->open
               : nullptr;
    return open != nullptr || now == nullptr;
  });
  return open;
}

// A click in a drop-down makes its window the active one; resting then on
// another drop-down entry of the menu it came from closes the first and
// opens the second beside its entry, and the chain above stays open.
TEST_F(Menus, AClickThenAHoverKeepsTheChainOpen) {
  drv_run("trelk.drop_timeout = 0 chain = menu{name='chain'}"
          " s1 = menu{name='s1'} s1:ins(button{name='in s1', command='print(\"s1\")'})"
          " s2 = menu{name='s2'} s2:ins(button{name='in s2'})"
          " chain:ins(s1) chain:ins(s2) trelk:ins(chain)");
  struct mn_view *top = open_main_menu();
  ASSERT_NE(top, nullptr);
  HWND topw = top->wnd;
  HWND chain = hover_open(topw, 0);
  ASSERT_NE(chain, nullptr);
  HWND first = hover_open(chain, 0);
  ASSERT_NE(first, nullptr);
  SetActiveWindow(first);
  drv_pump();
  EXPECT_EQ(click_output(mn_view_of(first)->entries[0]), "s1");
  HWND second = hover_open(chain, 1);
  ASSERT_TRUE(IsWindow(chain)) << "the chain closed";
  ASSERT_TRUE(IsWindow(topw));
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(IsWindow(first));
  RECT e, o;
  GetWindowRect(mn_view_of(chain)->entries[1], &e);
  GetWindowRect(second, &o);
  EXPECT_EQ(o.left, e.right - 4);
  EXPECT_EQ(o.top, e.top);
  EXPECT_TRUE(on_work_area(second));
}

// A tip near the bottom of the work area shows on it, not below it.
TEST_F(Menus, ATipLowOnTheScreenStaysOnIt) {
  RECT wa = work_area();
  drv_run("low = menu{name='t_low'} low:ins(button{name='tip', comment='low tip'})"
          " low:show(0, " + std::to_string(wa.bottom) + ")");
  HWND w = FindWindowA("WtrelkUWcn", "t_low");
  ASSERT_NE(w, nullptr);
  HWND e = mn_view_of(w)->entries[0];
  RECT r;
  GetWindowRect(e, &r);
  SetCursorPos(r.left + 5, r.top + 5);
  drv_pump();
  SendMessageA(e, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(drv_poll([] { return tt.visible != 0; }, 5000));
  EXPECT_TRUE(on_work_area(tt_window));
  DestroyWindow(w);
}

// Every window opened lies on the work area: a drop-down that would pass
// the right edge opens to the left of its entry; a window asked for past
// the right edge goes to the left of its owner (the main window), level
// with it; one asked for below the bottom is moved up.
TEST_F(Menus, WindowsOpenOnTheWorkArea) {
  RECT wa = work_area(), main;
  GetWindowRect(mw_window(), &main);
  drv_run("trelk.drop_timeout = 0 edge = menu{name='t_edge'}"
          " far = menu{name='far'} far:ins(button{name='a rather long entry text'})"
          " edge:ins(far)");
  drv_run("edge:show(" + std::to_string(wa.right - 40) + ", 300)");
  HWND w = FindWindowA("WtrelkUWcn", "t_edge");
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(on_work_area(w));
  RECT r;
  GetWindowRect(w, &r);
  int want = main.left + 4 - (r.right - r.left);
  EXPECT_EQ(r.left, want < wa.left ? wa.left : want);
  EXPECT_EQ(r.top, main.top);
  // put against the right edge, its drop-down flips
  SetWindowPos(w, NULL, wa.right - (r.right - r.left), 300, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  HWND open = hover_open(w, 0);
  ASSERT_NE(open, nullptr);
  EXPECT_TRUE(on_work_area(open));
  RECT e, o;
  GetWindowRect(mn_view_of(w)->entries[0], &e);
  GetWindowRect(open, &o);
  EXPECT_EQ(o.right, e.left + 4);
  EXPECT_EQ(o.top, e.top);
  DestroyWindow(w);
  // a dialog asked for below the screen
  drv_run("wide = dialog{name='t_wide', w=300, h=200} wide:show(20, " +
          std::to_string(wa.bottom + 500) + ")");
  w = FindWindowA("WtrelkUWcn", "t_wide");
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(on_work_area(w));
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.bottom, wa.bottom);
  DestroyWindow(w);
}

}  // namespace
