// The drag frame in real windows: lifting with Alt + click, the cover and
// handles, Escape, resizing by a handle, and drops that move entries.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/inproc/terminal/driver.h"
#include "tests/inproc/design/keys.h"
#include "gui/gui.h"
#include "gui/record.h"
#include "ui/drag/win/drag.h"
#include "ui/frame/win/framed.h"
#include "ui/drag/win/draghandle.h"
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

RECT screen_rect(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  return r;
}

RECT client_rect_in_parent(HWND w) {
  RECT r = screen_rect(w);
  MapWindowPoints(NULL, GetParent(w), (POINT *)&r, 2);
  return r;
}

bool same(const RECT &a, const RECT &b) {
  return a.left == b.left && a.top == b.top && a.right == b.right &&
         a.bottom == b.bottom;
}

std::string cls(HWND w) {
  char buf[64] = "";
  GetClassNameA(w, buf, sizeof buf);
  return buf;
}

POINT centre_of(HWND w) {
  RECT r = screen_rect(w);
  POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  return p;
}

struct Drag : ::testing::Test {
  static void SetUpTestSuite() { drv_state(); }
  void SetUp() override {
    drv_run("a = menu{name='A'} x = button{name='x'} y = button{name='y'}"
            " a:ins(x) a:ins(y) a:show(60, 60)"
            " b = menu{name='B'} z = button{name='z'} b:ins(z) b:show(300, 60)");
    drv_pump();
  }
  void TearDown() override {
    set_alt(false);
    if (dg.frame) DestroyWindow(dg.frame);
    std::vector<HWND> shown;
    for (struct mn_view *v = mn_views; v; v = v->next)
      if (v->wnd != mw_main_menu() && v->wnd != mw_free_menu()) shown.push_back(v->wnd);
    for (HWND w : shown)
      if (IsWindow(w)) DestroyWindow(w);
    drv_pump();
  }
};

TEST_F(Drag, AltClickLiftsTheControlIntoTheFrame) {
  HWND x = entry_window("x");
  ASSERT_NE(x, nullptr);
  HWND parent = GetParent(x);
  RECT before = screen_rect(x);
  EXPECT_EQ(alt_click(x), 1);
  ASSERT_NE(dg.frame, nullptr);
  EXPECT_EQ(cls(dg.frame), "dragWinCN");
  EXPECT_EQ(cls(dg.cover), "dragWinCCN");
  EXPECT_EQ(dg.control, x);
  EXPECT_EQ(GetParent(x), dg.frame);
  EXPECT_NE(GetParent(x), parent);
  EXPECT_TRUE(same(screen_rect(dg.frame), before));
  EXPECT_TRUE(GetWindowLongA(dg.frame, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT cover = screen_rect(dg.cover);
  EXPECT_TRUE(same(cover, before));
  EXPECT_EQ(fw_dragging, 0);
}

TEST_F(Drag, FourHandlesOnTheEdges) {
  HWND x = entry_window("x");
  ASSERT_EQ(alt_click(x), 1);
  RECT f = screen_rect(dg.frame);
  int w = f.right - f.left, h = f.bottom - f.top;
  int found = 0;
  for (HWND c = GetWindow(dg.frame, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!dg_is_handle(c)) continue;
    found++;
    RECT r = client_rect_in_parent(c);
    EXPECT_EQ(r.right - r.left, 7);
    EXPECT_EQ(r.bottom - r.top, 7);
    bool left = r.left == 0 && r.top == h / 2 - 3;
    bool right = r.left == w - 7 && r.top == h / 2 - 3;
    bool top = r.left == w / 2 - 3 && r.top == 0;
    bool bottom = r.left == w / 2 - 3 && r.top == h - 7;
    EXPECT_TRUE(left || right || top || bottom) << r.left << "," << r.top;
  }
  EXPECT_EQ(found, 4);
}

// The carried control repaints below its handles, not over them; it gets
// its own style back when it is put back.
TEST_F(Drag, HandlesStayAboveTheCarriedControl) {
  HWND x = entry_window("x");
  LONG style = GetWindowLongA(x, GWL_STYLE);
  ASSERT_EQ(alt_click(x), 1);
  drv_pump();
  EXPECT_TRUE(GetWindowLongA(x, GWL_STYLE) & WS_CLIPSIBLINGS);
  for (HWND c = GetWindow(dg.frame, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!dg_is_handle(c)) continue;
    RedrawWindow(x, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HDC dc = GetDC(c);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(153, 31, 36));   // the handle's outline
    ReleaseDC(c, dc);
  }
  SendMessageA(dg.cover, WM_CHAR, 27, 0);
  EXPECT_EQ(GetWindowLongA(x, GWL_STYLE) & ~WS_VISIBLE, style & ~WS_VISIBLE);
}

TEST_F(Drag, EscapePutsItBackExactly) {
  HWND x = entry_window("x");
  HWND parent = GetParent(x);
  RECT before = client_rect_in_parent(x);
  ASSERT_EQ(alt_click(x), 1);
  SetWindowPos(dg.frame, NULL, 500, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageA(dg.cover, WM_CHAR, 27, 0);
  EXPECT_EQ(dg.frame, nullptr);
  EXPECT_EQ(dg.control, nullptr);
  ASSERT_TRUE(IsWindow(x));
  EXPECT_EQ(GetParent(x), parent);
  EXPECT_TRUE(same(client_rect_in_parent(x), before));
  EXPECT_EQ(drv_run("print(a.n, a[1] == x, b.n)"), "2\ttrue\t1");
}

TEST_F(Drag, MainWindowFrameAndCoverStartNoDrag) {
  EXPECT_EQ(alt_click(mw_window()), 1);   // swallowed all the same
  EXPECT_EQ(dg.frame, nullptr);
  HWND x = entry_window("x");
  ASSERT_EQ(alt_click(x), 1);
  HWND frame = dg.frame;
  EXPECT_EQ(alt_click(dg.cover), 0);      // the cover gets its click
  EXPECT_EQ(dg.frame, frame);
  dg_begin(frame);
  EXPECT_EQ(dg.frame, frame);
  EXPECT_EQ(dg.control, x);
}

TEST_F(Drag, ANewDragPutsTheOldControlBack) {
  HWND x = entry_window("x"), z = entry_window("z");
  HWND px = GetParent(x);
  RECT before = client_rect_in_parent(x);
  ASSERT_EQ(alt_click(x), 1);
  ASSERT_EQ(alt_click(z), 1);
  // the old drop callback found the main window: no container, so back
  EXPECT_EQ(dg.control, z);
  ASSERT_TRUE(IsWindow(x));
  EXPECT_EQ(GetParent(x), px);
  EXPECT_TRUE(same(client_rect_in_parent(x), before));
}

TEST_F(Drag, RightHandleResizesAndEscapeRestoresTheSize) {
  HWND x = entry_window("x");
  RECT before = screen_rect(x);
  ASSERT_EQ(alt_click(x), 1);
  HWND right = nullptr;
  for (HWND c = GetWindow(dg.frame, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (dg_is_handle(c) && client_rect_in_parent(c).left > 10) {
      RECT r = client_rect_in_parent(c);
      RECT f = screen_rect(dg.frame);
      if (r.left == f.right - f.left - 7) right = c;
    }
  ASSERT_NE(right, nullptr);
  SendMessageA(right, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));   // offset 4
  SetCursorPos(before.right + 16, before.top + 5);
  SendMessageA(right, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageA(right, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  RECT after = screen_rect(dg.frame);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.right, before.right + 20);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
  EXPECT_EQ(screen_rect(x).right, before.right + 20);
  SendMessageA(dg.cover, WM_CHAR, 27, 0);
  EXPECT_EQ(screen_rect(x).right - screen_rect(x).left, before.right - before.left);
}

TEST_F(Drag, AltClickOnTheCoverDropsIntoTheMenuUnderThePointer) {
  HWND x = entry_window("x"), z = entry_window("z");
  ASSERT_EQ(alt_click(x), 1);
  POINT p = centre_of(z);
  p.y -= 3;   // upper half of z: in front of it
  // carried over there, then clicked 5 pixels inside the frame
  SetWindowPos(dg.frame, NULL, p.x - 5, p.y - 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  set_alt(true);
  SendMessageA(dg.cover, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  set_alt(false);
  drv_pump();
  EXPECT_EQ(dg.frame, nullptr);
  EXPECT_EQ(drv_run("print(a.n, a[1] == y, b.n, b[1] == x, b[2] == z, x.parent == b)"),
            "1\ttrue\t2\ttrue\ttrue\ttrue");
  EXPECT_NE(entry_window("x"), nullptr);   // shown again in b
}

TEST_F(Drag, AltClickThatReachesTheCarriedControlDrops) {
  HWND x = entry_window("x"), z = entry_window("z");
  ASSERT_EQ(alt_click(x), 1);
  POINT p = centre_of(z);
  p.y -= 3;
  SetWindowPos(dg.frame, NULL, p.x - 5, p.y - 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  MSG m = {};
  m.hwnd = x;   // as if the hit test had looked through the cover
  m.message = WM_LBUTTONDOWN;
  m.pt = p;
  set_alt(true);
  EXPECT_EQ(dg_altclick(&m), 1);
  set_alt(false);
  drv_pump();
  EXPECT_EQ(dg.frame, nullptr);
  EXPECT_EQ(drv_run("print(a.n, b.n, b[1] == x)"), "1\t2\ttrue");
}

TEST_F(Drag, DropOnNothingPutsItBack) {
  HWND x = entry_window("x");
  ASSERT_EQ(alt_click(x), 1);
  SetWindowPos(dg.frame, NULL, 0, GetSystemMetrics(SM_CYSCREEN) - 30, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  set_alt(true);
  SendMessageA(dg.cover, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  set_alt(false);
  drv_pump();
  EXPECT_EQ(dg.frame, nullptr);
  EXPECT_EQ(drv_run("print(a.n, a[1] == x, b.n)"), "2\ttrue\t1");
}

}  // namespace
