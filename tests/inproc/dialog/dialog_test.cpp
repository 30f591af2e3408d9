// Dialogs, tables, tabs and scrolled rows in real windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "tests/inproc/terminal/driver.h"
#include "gui/gui.h"
#include "gui/layout.h"
#include "gui/record.h"
#include "ui/dialog/win/dialogwin.h"
#include "ui/menu/win/menuwin.h"
#include "ui/scroll/win/scroll.h"

extern "C" {
#include "lua.h"
}

namespace {

// the record behind a global script object
struct gr_container *container(const char *global) {
  lua_State *L = drv_state();
  lua_getglobal(L, global);
  lua_getfield(L, -1, "HANDLE");
  void *p = lua_touserdata(L, -1);
  lua_pop(L, 2);
  return gr_valid_container(p) ? (struct gr_container *)p : nullptr;
}

// the top-level window showing a container
HWND shown(const char *global) {
  struct gr_container *c = container(global);
  for (struct mn_view *v = mn_views; v; v = v->next)
    if (v->c == c && !(GetWindowLongA(v->wnd, GWL_STYLE) & WS_CHILD))
      return v->wnd;
  return c ? dw_window_of(c) : nullptr;
}

struct mn_view *view_showing(const char *global, int child) {
  struct gr_container *c = container(global);
  for (struct mn_view *v = mn_views; v; v = v->next)
    if (v->c == c && !!(GetWindowLongA(v->wnd, GWL_STYLE) & WS_CHILD) == child)
      return v;
  return nullptr;
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

RECT rect_in(HWND w, HWND parent) {
  RECT r;
  GetWindowRect(w, &r);
  MapWindowPoints(NULL, parent, (POINT *)&r, 2);
  return r;
}

struct Dialogs : ::testing::Test {
  static void SetUpTestSuite() { drv_state(); }
  void TearDown() override {
    // every top-level window a test left open goes
    for (struct mn_view *v = mn_views; v; v = v->next)
      if (!(GetWindowLongA(v->wnd, GWL_STYLE) & WS_CHILD) &&
          v->c != gui_main_menu && v->c->name &&
          strncmp(v->c->name, "t_", 2) == 0) {
        DestroyWindow(v->wnd);
        v = mn_views;
        if (!v) break;
      }
    drv_pump();
  }
};

TEST_F(Dialogs, ControlsStandAtTheirPlacesInTheClient) {
  drv_run("d = dialog{name='t_d', w=300, h=200}"
          " b = button{name='b', command='print(\"hi\", reason)'} d:ins(b, 10, 20)"
          " c = label{name='c'} d:ins(c, 120, 30, 60, 25) d:show()");
  HWND frame = shown("d");
  ASSERT_NE(frame, nullptr);
  struct mn_view *v = dw_view_of_frame(frame);
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->count, 2);
  // the record lists the newer control first
  RECT rc = rect_in(v->entries[0], v->inner), rb = rect_in(v->entries[1], v->inner);
  EXPECT_EQ(rb.left, 10);
  EXPECT_EQ(rb.top, 20);
  EXPECT_EQ(rb.right - rb.left, 100);
  EXPECT_EQ(rb.bottom - rb.top, 100);
  EXPECT_EQ(rc.left, 120);
  EXPECT_EQ(rc.right - rc.left, 60);
  EXPECT_EQ(click_output(v->entries[1]), "hi\t10");
  // a numeric edit in a dialog has its spinner
  drv_run("n = edit{name='7'} n.digital = 10 d:ins(n, 10, 130, 80, 22)");
  v = dw_view_of_frame(frame);
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->count, 3);
  EXPECT_NE(FindWindowExA(v->entries[0], NULL, "BtrelkScrollcn", NULL), nullptr);
  // a move by property reaches the window
  drv_run("b.x = 40");
  v = dw_view_of_frame(frame);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(rect_in(v->entries[2], v->inner).left, 40);
  DestroyWindow(frame);
}

TEST_F(Dialogs, TopLevelClientIsTwentyPixelsDown) {
  drv_run("d = dialog{name='t_d2', w=200, h=120} d:show(30, 40)");
  HWND frame = shown("d");
  ASSERT_NE(frame, nullptr);
  HWND client = dw_client(frame);
  ASSERT_NE(client, nullptr);
  RECT r = rect_in(client, frame);
  EXPECT_GE(r.top, 20);
  RECT f;
  GetWindowRect(frame, &f);
  EXPECT_EQ(f.right - f.left, 200);
  EXPECT_EQ(f.bottom - f.top, 120);
  DestroyWindow(frame);
}

TEST_F(Dialogs, ADialogWithoutSizeIsShownButKeepsZero) {
  drv_run("d = dialog{name='t_d3'}");
  EXPECT_EQ(drv_run("print(d.w, d.h)"), "0\t0");
  drv_run("d:ins(button(), 150, 90, 50, 20) d:show()");
  HWND frame = shown("d");
  ASSERT_NE(frame, nullptr);
  RECT f;
  GetWindowRect(frame, &f);
  EXPECT_GT(f.right - f.left, 0);
  EXPECT_EQ(drv_run("print(d.w, d.h)"), "0\t0");
  DestroyWindow(frame);
}

TEST_F(Dialogs, WildSizesDoNotReachTheWindowSystem) {
  drv_run("d = dialog{name='t_d4', w=-40, h=1e12}"
          " d:ins(button(), -1e9, 1e9, -5, 1e10) d:ins(button(), 5, 5, 2^31, -2^31)"
          " d:show()");
  HWND frame = shown("d");
  ASSERT_NE(frame, nullptr);
  RECT f;
  GetWindowRect(frame, &f);
  EXPECT_LE(f.right - f.left, LAY_MAX);
  EXPECT_LE(f.bottom - f.top, LAY_MAX);
  EXPECT_GT(f.right - f.left, 0);
  EXPECT_EQ(drv_run("d.w = 0 d.h = -3 print(d.w, d.h)"), "0\t-3");
  EXPECT_TRUE(IsWindow(frame));
  DestroyWindow(frame);
}

TEST_F(Dialogs, ACommandThatInsertsOnResizeDoesNotLoop) {
  drv_run("n3 = 0 d = dialog{name='t_loop', w=200, h=150}"
          " d.command = 'if reason == 3 then n3 = n3 + 1 d:ins(button(), 1, 1) end'"
          " d:show(20, 20)");
  HWND frame = shown("d");
  ASSERT_NE(frame, nullptr);
  drv_run("n3 = 0 d.w = 260");
  drv_pump();
  EXPECT_EQ(drv_run("print(n3 >= 1 and n3 <= 3)"), "true");
  RECT f;
  GetWindowRect(frame, &f);
  EXPECT_EQ(f.right - f.left, 260);
  drv_run("d.command = nil");
  DestroyWindow(frame);
}

TEST_F(Dialogs, DeletingControlsWhileShown) {
  drv_run("d = dialog{name='t_d5', w=300, h=200} a = button{name='a'} d:ins(a, 1, 1)"
          " b = button{name='b'} d:ins(b, 1, 40) c = button{name='c'} d:ins(c, 1, 80)"
          " d:show()");
  HWND frame = shown("d");
  ASSERT_NE(frame, nullptr);
  struct mn_view *v = dw_view_of_frame(frame);
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->count, 3);
  HWND bw = v->entries[1];
  drv_run("b:del()");
  EXPECT_FALSE(IsWindow(bw));
  v = dw_view_of_frame(frame);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->count, 2);
  // a command that deletes its own control, then one that cleans the dialog
  drv_run("a.command = 'a:del() print(\"gone\")' c.command = 'd:clean() print(\"clean\")'");
  v = dw_view_of_frame(frame);
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->count, 2);
  EXPECT_EQ(click_output(v->entries[1]), "gone");
  v = dw_view_of_frame(frame);
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->count, 1);
  EXPECT_EQ(click_output(v->entries[0]), "clean");
  v = dw_view_of_frame(frame);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->count, 0);
  EXPECT_EQ(drv_run("print(d.n)"), "0");
  DestroyWindow(frame);
}

TEST_F(Dialogs, ClosingADialogFromItsOwnCommand) {
  drv_run("u = ldlyb('user32.dll')"
          " d = dialog{name='t_d6', w=200, h=100,"
          "   command='if reason == 2 then print(\"closed\") d:clean() end'}"
          " d:ins(button{name='x', command='u.DestroyWindow(u.GetParent(u.GetParent(hWnd)))'},"
          "   5, 5, 80, 20) d:show()");
  HWND frame = shown("d");
  ASSERT_NE(frame, nullptr);
  struct mn_view *v = dw_view_of_frame(frame);
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->count, 1);
  EXPECT_EQ(click_output(v->entries[0]), "closed");
  EXPECT_FALSE(IsWindow(frame));
  EXPECT_EQ(dw_view_of_frame(frame), nullptr);
  EXPECT_EQ(drv_run("print(d.n)"), "0");
  // shown again, it is whole
  drv_run("d:ins(button{name='y'}, 5, 5) d:show()");
  frame = shown("d");
  ASSERT_NE(frame, nullptr);
  v = dw_view_of_frame(frame);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->count, 1);
  drv_run("d.command = nil");
  DestroyWindow(frame);
}

TEST_F(Dialogs, TabbedDialogShowsThePageOfTheClickedTab) {
  EXPECT_EQ("", drv_run("d = dialog{name='t_tabs', w=400, h=300} d.tabbed = true"
          " p1 = dialog{name='One'} p1:ins(button{name='in one'}, 5, 5, 80, 20)"
          " p2 = table{name='Two'} for i = 1, 3 do p2:ins(button{name='row' .. i}) end"
          " d:ins(p2) d:ins(p1) d:show(10, 10)"));
  struct mn_view *v = view_showing("d", 0);
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->count, 2);
  // the first tab's page is open at once
  ASSERT_NE(v->page, nullptr);
  ASSERT_TRUE(IsWindow(v->page));
  EXPECT_NE(dw_view_of_frame(v->page), nullptr);
  RECT client, col;
  GetClientRect(v->wnd, &client);
  GetWindowRect(v->outer, &col);
  int tab_col = col.right - col.left + 6;
  EXPECT_EQ(drv_run("print(p1.w, p1.h)"),
            std::to_string(client.right - tab_col - 3) + "\t" +
                std::to_string(client.bottom - 25));
  HWND first_page = v->page;
  click(v->entries[1]);
  ASSERT_TRUE(drv_poll([&] { return v->page && v->page != first_page; }));
  EXPECT_FALSE(IsWindow(first_page));
  struct mn_view *page = mn_view_of(v->page);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->c, container("p2"));
  EXPECT_EQ(page->count, 3);
  EXPECT_EQ(container("d")->tab, v->c->first->next);
  DestroyWindow(v->wnd);
}

TEST_F(Dialogs, ATabbedTableActsAsTabs) {
  drv_run("t = table{name='t_tt'} t.tabbed = true t.w = 300 t.h = 200"
          " a = menu{name='A'} a:ins(button{name='in a'})"
          " b = menu{name='B'} b:ins(button{name='in b'}) b:ins(button{name='more'})"
          " t:ins(button{name='plain'}) t:ins(a) t:ins(b)");
  drv_run("t:show(20, 20)");
  struct mn_view *v = view_showing("t", 0);
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->count, 3);
  RECT w;
  GetWindowRect(v->wnd, &w);
  EXPECT_EQ(w.right - w.left, 300);
  EXPECT_EQ(w.bottom - w.top, 200);
  // the first entry with an object is the first page
  ASSERT_NE(v->page, nullptr);
  struct mn_view *page = mn_view_of(v->page);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->c, container("a"));
  // hovering a tab does not drop anything; clicking it changes the page
  SendMessageA(v->entries[2], WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  drv_pump();
  EXPECT_EQ(v->open, nullptr);
  click(v->entries[2]);
  ASSERT_TRUE(drv_poll([&] {
    struct mn_view *p = v->page ? mn_view_of(v->page) : nullptr;
    return p && p->c == container("b");
  }));
  EXPECT_EQ(mn_view_of(v->page)->count, 2);
  DestroyWindow(v->wnd);
}

TEST_F(Dialogs, TabsDeletedAndCleanedWhileShown) {
  drv_run("d = dialog{name='t_tabdel', w=400, h=300} d.tabbed = true"
          " p1 = dialog{name='One'} p1:ins(button{name='x'}, 5, 5)"
          " p2 = menu{name='Two'} p2:ins(button{name='y'})"
          " e1 = d:ins(p1, 1) e2 = d:ins(p2, 2)"
          " e2.command = 'd:clean() print(\"cleaned\")' d:show(10, 10)");
  struct mn_view *v = view_showing("d", 0);
  ASSERT_NE(v, nullptr);
  ASSERT_NE(v->page, nullptr);
  HWND first = v->page;
  // the shown page's tab goes: the next tab's page takes its place
  drv_run("e1:del()");
  v = view_showing("d", 0);
  ASSERT_NE(v, nullptr);
  EXPECT_FALSE(IsWindow(first));
  ASSERT_EQ(v->count, 1);
  ASSERT_NE(v->page, nullptr);
  EXPECT_EQ(mn_view_of(v->page)->c, container("p2"));
  // a tab whose command cleans the whole container
  EXPECT_EQ(click_output(v->entries[0]), "cleaned");
  drv_pump();
  v = view_showing("d", 0);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->count, 0);
  EXPECT_EQ(v->page, nullptr);
  DestroyWindow(v->wnd);
}

TEST_F(Dialogs, AnAttachedTabbedDialogCannotOpenItselfForEver) {
  drv_run("d = dialog{name='t_self', w=300, h=200} d.tabbed = true d:ins(d) d:show()");
  struct mn_view *v = view_showing("d", 0);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->page, nullptr);
  DestroyWindow(v->wnd);
}

TEST_F(Dialogs, ALongEmbeddedTableScrollsByRows) {
  drv_run("d = dialog{name='t_scroll', w=300, h=260} t = table{name='list'}"
          " for i = 1, 40 do t:ins(button{name='row ' .. i}) end"
          " e = d:ins(t, 10, 10, 200, 150) e.container = true d:show()");
  struct mn_view *v = view_showing("t", 1);
  ASSERT_NE(v, nullptr);
  ASSERT_NE(v->bar, nullptr);
  EXPECT_EQ(v->count, 40);
  RECT w;
  GetWindowRect(v->wnd, &w);
  EXPECT_EQ(w.right - w.left, 200);
  EXPECT_LE(w.bottom - w.top, 150);
  struct sc_record *bar = sc_rec(v->bar);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->m.range, 40);
  int last = lay_last_first(v->rows, v->count, v->view_h);
  EXPECT_EQ(bar->m.page, 40 - last);
  // a step down shows the second row at the top
  bar->notify(v->bar, 1, 0, bar->arg);
  EXPECT_EQ(v->first, 1);
  RECT r0 = rect_in(v->entries[1], v->outer);
  EXPECT_EQ(r0.top, 0);
  bar->notify(v->bar, 1000, 0, bar->arg);
  EXPECT_EQ(v->first, last);
  // the wheel: three rows a notch, the bar follows, the ends hold
  SendMessageA(v->entries[last], WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(v->first, last - 3);
  EXPECT_EQ(bar->m.position, last - 3);
  SendMessageA(v->entries[last], WM_MOUSEWHEEL, MAKEWPARAM(0, -10 * WHEEL_DELTA), 0);
  EXPECT_EQ(v->first, last);
  RECT rl = rect_in(v->entries[39], v->outer);
  EXPECT_LE(rl.bottom, v->view_h);
  DestroyWindow(shown("d"));
}

TEST_F(Dialogs, AShortEmbeddedMenuTakesTheEntrysWidth) {
  drv_run("d = dialog{name='t_short', w=300, h=260} m = menu{name='short'}"
          " m:ins(button{name='a'}) m:ins(button{name='b'})"
          " e = d:ins(m, 10, 10, 200, 150) e.container = true d:show()");
  struct mn_view *v = view_showing("m", 1);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->bar, nullptr);
  ASSERT_EQ(v->count, 2);
  RECT r;
  GetWindowRect(v->entries[0], &r);
  EXPECT_EQ(r.right - r.left, 194);
  GetWindowRect(v->wnd, &r);
  EXPECT_EQ(r.right - r.left, 200);
  EXPECT_LT(r.bottom - r.top, 150);   // the rows' height: nothing to scroll
  DestroyWindow(shown("d"));
}

TEST_F(Dialogs, AMenuTallerThanTheScreenScrolls) {
  drv_run("m = menu{name='t_tall'} for i = 1, 80 do m:ins(button{name='entry ' .. i}) end"
          " m:show(0, 0)");
  struct mn_view *v = view_showing("m", 0);
  ASSERT_NE(v, nullptr);
  ASSERT_NE(v->bar, nullptr);
  RECT wa, w;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  GetWindowRect(v->wnd, &w);
  EXPECT_LE(w.bottom - w.top, wa.bottom - wa.top);
  DestroyWindow(v->wnd);
  // dropped from low on the screen, it moves up to stay on it
  drv_run("m:show(0, 500)");
  v = view_showing("m", 0);
  ASSERT_NE(v, nullptr);
  GetWindowRect(v->wnd, &w);
  EXPECT_LE(w.bottom, wa.bottom);
  EXPECT_GE(w.top, wa.top);
  // rows that fit do not scroll
  drv_run("trelk.rearrange = false for i = m.n, 4, -1 do m[i]:del() m[i] = nil end"
          " m.n = 3 trelk.rearrange = true");
  v = view_showing("m", 0);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->bar, nullptr);
  EXPECT_EQ(v->first, 0);
  DestroyWindow(v->wnd);
}

TEST_F(Dialogs, AMenuEntryDropsItsDialogOpen) {
  drv_run("m = menu{name='t_drop'} dd = dialog{name='dd', w=150, h=80}"
          " dd:ins(button{name='z'}, 5, 5, 60, 20) m:ins(dd) m:show(50, 50)");
  struct mn_view *v = view_showing("m", 0);
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->count, 1);
  click(v->entries[0]);
  ASSERT_TRUE(drv_poll([&] { return v->open && IsWindow(v->open); }));
  struct mn_view *o = dw_view_of_frame(v->open);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->count, 1);
  // deleting the entry takes the dialog opened from it
  HWND dlg = v->open;
  drv_run("m[1]:del()");
  EXPECT_FALSE(IsWindow(dlg));
  DestroyWindow(v->wnd);
}

}  // namespace
