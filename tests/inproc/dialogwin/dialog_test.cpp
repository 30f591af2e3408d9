// Dialog frames in real windows: the client, sizing and placement, event
// reasons, the size grip and its outline, right clicks and right-drags,
// owned blocks, bad sizes.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/inproc/terminal/driver.h"
#include "tests/inproc/dialogwin/common.h"
#include "ui/dialog/win/dialogwin.h"
#include "ui/drag/dwgeom.h"
#include "ui/win/mainwin.h"
#include "ui/menu/win/menuwin.h"

namespace {

int l_closewin(lua_State *L) {
  DestroyWindow((HWND)lua_touserdata(L, 1));
  return 0;
}

struct Dialogs : ::testing::Test {
  HWND dlg = nullptr;
  static void SetUpTestSuite() {
    lua_register(drv_state(), "closewin", l_closewin);
  }
  void TearDown() override {
    if (dlg && IsWindow(dlg)) DestroyWindow(dlg);
    drv_pump();
  }
  struct gr_container *desc(const char *make) {
    drv_run(std::string("dd = dialog") + make);
    return (struct gr_container *)handle_of("dd");
  }
  HWND show(struct gr_container *c, int x = 100, int y = 100) {
    dlg = dw_show(mw_window(), c, WS_POPUP, 1, x, y);
    return dlg;
  }
  SIZE size_of(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return {r.right - r.left, r.bottom - r.top};
  }
};

TEST_F(Dialogs, ATopLevelClientIs20DownAChildOne2Down) {
  struct gr_container *c = desc("{name='top', w=300, h=200}");
  ASSERT_NE(show(c), nullptr);
  HWND client = dw_client(dlg);
  ASSERT_NE(client, nullptr);
  char cls[64];
  GetClassNameA(client, cls, sizeof cls);
  EXPECT_STREQ(cls, "Trelk Dialog client");
  RECT r = rect_in(client, dlg);
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 298);
  EXPECT_EQ(r.bottom, 198);
  SIZE s = size_of(dlg);
  EXPECT_EQ(s.cx, 300);
  EXPECT_EQ(s.cy, 200);

  drv_run("inner = dialog{name='inner', w=120, h=80}");
  HWND child = dw_show(client, (struct gr_container *)handle_of("inner"),
                       WS_CHILD, 0, 5, 5);
  ASSERT_NE(child, nullptr);
  RECT ic = rect_in(dw_client(child), child);
  EXPECT_EQ(ic.left, 2);
  EXPECT_EQ(ic.top, 2);
  EXPECT_EQ(ic.right, 118);
  EXPECT_EQ(ic.bottom, 78);
}

TEST_F(Dialogs, ShownResizedAndDestroyedAreReported) {
  struct gr_container *c = desc("{name='events', w=200, h=100}");
  drv_run("dd.command = 'print(\"e\", reason)'");
  EXPECT_EQ(output_of([&] { show(c); }), "e\t3e\t1");
  EXPECT_EQ(output_of([&] { MoveWindow(dlg, 100, 100, 220, 120, TRUE); }), "e\t3");
  EXPECT_EQ(output_of([&] { DestroyWindow(dlg); }), "e\t2");
}

TEST_F(Dialogs, PastTheMaximisedWidthItMovesLeftOfItsOwner) {
  struct gr_container *c = desc("{name='far', w=300, h=200}");
  int maxw = GetSystemMetrics(SM_CXMAXIMIZED);
  ASSERT_NE(show(c, maxw - 100, 50), nullptr);
  RECT owner, r;
  GetWindowRect(mw_window(), &owner);
  GetWindowRect(dlg, &r);
  int want = owner.left + 4 - 300;
  EXPECT_EQ(r.left, want < 0 ? 0 : want);
  EXPECT_EQ(r.top, owner.top);
  // moved back out, the next resize brings it back
  SetWindowPos(dlg, NULL, maxw - 50, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  MoveWindow(dlg, maxw - 50, 50, 310, 200, TRUE);
  GetWindowRect(dlg, &r);
  EXPECT_LT(r.right, maxw);
}

// Low on the screen it moves up, and all of it stays on the work area
// (the maximised height alone would leave its bottom below it).
TEST_F(Dialogs, PastTheMaximisedHeightItMovesUp) {
  struct gr_container *c = desc("{name='low', w=200, h=150}");
  int maxh = GetSystemMetrics(SM_CYMAXIMIZED);
  ASSERT_NE(show(c, 50, maxh - 40), nullptr);
  RECT r, wa;
  GetWindowRect(dlg, &r);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  EXPECT_EQ(r.bottom, wa.bottom);
  // and so after a resize that would take it past the bottom
  SetWindowPos(dlg, NULL, 50, wa.bottom - 160, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  MoveWindow(dlg, 50, wa.bottom - 160, 200, 300, TRUE);
  GetWindowRect(dlg, &r);
  EXPECT_LE(r.bottom, wa.bottom);
  EXPECT_GE(r.top, wa.top);
}

struct Grip : Dialogs {
  HWND grip = nullptr;
  struct gr_container *c = nullptr;
  void SetUp() override {
    c = desc("{name='grip', w=300, h=200}");
    drv_run("dd.resizeable = true");
    ASSERT_NE(show(c), nullptr);
    grip = dw_rec(dlg)->grip;
    ASSERT_NE(grip, nullptr);
  }
};

TEST_F(Grip, SitsInTheBottomRightCornerAsAnL) {
  RECT r = rect_in(grip, dlg);
  EXPECT_EQ(r.left, 290);
  EXPECT_EQ(r.top, 190);
  EXPECT_EQ(r.right, 300);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(grip, rgn), ERROR);
  EXPECT_TRUE(PtInRegion(rgn, 9, 1));
  EXPECT_TRUE(PtInRegion(rgn, 1, 9));
  EXPECT_FALSE(PtInRegion(rgn, 3, 3));
  DeleteObject(rgn);
  EXPECT_EQ(painted_pixel(grip, 8, 0), RGB(255, 0, 0));
  EXPECT_EQ(painted_pixel(grip, 4, 9), RGB(255, 0, 0));
}

TEST_F(Grip, PressAndReleaseWithoutMovingKeepsTheSizeAndNoOutline) {
  SendMessageA(grip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 6));
  EXPECT_TRUE(dw_rec(dlg)->state & DW_RESIZING);
  SendMessageA(grip, WM_LBUTTONUP, 0, MAKELPARAM(4, 6));
  EXPECT_FALSE(dw_rec(dlg)->state & DW_RESIZING);
  EXPECT_EQ(dw_outlines_shown, 0);
  SIZE s = size_of(dlg);
  EXPECT_EQ(s.cx, 300);
  EXPECT_EQ(s.cy, 200);
  EXPECT_EQ(c->w, 300);
  EXPECT_EQ(c->h, 200);
}

TEST_F(Grip, DraggingStoresTheNewSizeInTheDescription) {
  drv_run("dd.command = 'print(\"g\", reason)'");
  SendMessageA(grip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(grip, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 15));
  EXPECT_EQ(dw_outlines_shown, 1);
  SendMessageA(grip, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(35, 25));
  EXPECT_EQ(dw_outlines_shown, 1);
  std::string out = output_of([&] {
    SendMessageA(grip, WM_LBUTTONUP, 0, MAKELPARAM(35, 25));
  });
  EXPECT_EQ(dw_outlines_shown, 0);
  EXPECT_EQ(c->w, 330);
  EXPECT_EQ(c->h, 220);
  SIZE s = size_of(dlg);
  EXPECT_EQ(s.cx, 330);
  EXPECT_EQ(s.cy, 220);
  EXPECT_EQ(out, "g\t3");
  EXPECT_EQ(rect_in(grip, dlg).left, 320);
  EXPECT_EQ(drv_run("print(dd.w, dd.h)"), "330\t220");
}

TEST_F(Grip, LaterKindsMoveOnlyTheWindow) {
  dw_rec(dlg)->size_kind = 2;
  SendMessageA(grip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(grip, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-15, -5));
  SendMessageA(grip, WM_LBUTTONUP, 0, MAKELPARAM(-15, -5));
  SIZE s = size_of(dlg);
  EXPECT_EQ(s.cx, 280);
  EXPECT_EQ(s.cy, 190);
  EXPECT_EQ(c->w, 300);
  EXPECT_EQ(c->h, 200);
}

TEST_F(Grip, DraggingPastTheTopLeftGivesTheSmallestSize) {
  SendMessageA(grip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(grip, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-2000, -2000));
  SendMessageA(grip, WM_LBUTTONUP, 0, MAKELPARAM(-2000, -2000));
  EXPECT_EQ(c->w, DG_MIN_W);
  EXPECT_EQ(c->h, DG_MIN_H);
  EXPECT_EQ(dw_outlines_shown, 0);
}

TEST_F(Grip, LosingTheCaptureErasesTheOutline) {
  SendMessageA(grip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(grip, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 30));
  EXPECT_EQ(dw_outlines_shown, 1);
  SendMessageA(grip, WM_CAPTURECHANGED, 0, (LPARAM)mw_window());
  EXPECT_EQ(dw_outlines_shown, 0);
  EXPECT_EQ(c->w, 300);
}

TEST_F(Grip, EveryWindowShowingTheDescriptionFollows) {
  HWND second = dw_show(mw_window(), c, WS_POPUP, 1, 200, 200);
  ASSERT_NE(second, nullptr);
  SendMessageA(grip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(grip, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(15, 15));
  SendMessageA(grip, WM_LBUTTONUP, 0, MAKELPARAM(15, 15));
  EXPECT_EQ(size_of(second).cx, 310);
  DestroyWindow(second);
}

TEST_F(Grip, RightDragResizesAResizableDialog) {
  HWND client = dw_client(dlg);
  RECT r;
  GetWindowRect(client, &r);
  SetCursorPos(r.left + 50, r.top + 50);
  SendMessageA(client, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 50));
  SetCursorPos(r.left + 70, r.top + 60);
  SendMessageA(client, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(70, 60));
  POINT p;
  GetCursorPos(&p);
  if (p.x != r.left + 70) GTEST_SKIP() << "the pointer cannot be moved here";
  SIZE s = size_of(dlg);
  EXPECT_EQ(s.cx, 320);
  EXPECT_EQ(s.cy, 210);
  // the dialog's own size follows, as after a grip resize
  EXPECT_EQ(c->w, 320);
  EXPECT_EQ(c->h, 210);
  EXPECT_EQ(drv_run("print(dd.w, dd.h)"), "320\t210");
}

TEST_F(Dialogs, RightClickOnTheEmptyClientOpensTheRightClickMenu) {
  struct gr_container *c = desc("{name='rc', w=200, h=150}");
  drv_run("rcm = menu{name='dialog right menu'} rcm:ins(button{name='x'})");
  c->rmenu = (struct gr_container *)handle_of("rcm");
  ASSERT_NE(show(c), nullptr);
  SendMessageA(dw_client(dlg), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 30));
  HWND w = FindWindowA("WtrelkUWcn", "dialog right menu");
  ASSERT_NE(w, nullptr);
  EXPECT_NE(mn_view_of(w), nullptr);
  DestroyWindow(w);
  c->rmenu = nullptr;
}

TEST_F(Dialogs, OwnedBlocksGoWithTheClient) {
  struct gr_container *c = desc("{name='owned', w=200, h=150}");
  ASSERT_NE(show(c), nullptr);
  void *a = dw_own(dlg, 64);
  void *b = dw_own(dlg, 4000);
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(heap_has(a));
  EXPECT_TRUE(heap_has(b));
  DestroyWindow(dw_client(dlg));
  EXPECT_FALSE(heap_has(a));
  EXPECT_FALSE(heap_has(b));
  void *d = dw_own(dlg, 10);
  EXPECT_TRUE(heap_has(d));
  DestroyWindow(dlg);
  EXPECT_FALSE(heap_has(d));
  EXPECT_EQ(dw_own(mw_window(), 10), nullptr);
}

TEST_F(Dialogs, BadSizesAreShownSoundly) {
  struct { int rw, rh, w, h; } cases[] = {
      {0, 0, DG_DEFAULT_W, DG_DEFAULT_H},
      {-50, -1, DG_DEFAULT_W, DG_DEFAULT_H},
      {3, 2, DG_MIN_W, DG_MIN_H},
      {1000000000, 70000, DG_MAX, DG_MAX},
  };
  for (auto &k : cases) {
    struct gr_container *c = desc("{name='bad size'}");
    c->w = k.rw;
    c->h = k.rh;
    ASSERT_NE(show(c), nullptr) << k.rw;
    SIZE s = size_of(dlg);
    EXPECT_EQ(s.cx, k.w) << k.rw;
    EXPECT_EQ(s.cy, k.h) << k.rw;
    EXPECT_EQ(c->w, k.rw);   // the description keeps its own values
    EXPECT_EQ(c->h, k.rh);
    DestroyWindow(dlg);
  }
}

TEST_F(Dialogs, ClosingFromItsOwnCommand) {
  struct gr_container *c = desc("{name='close1', w=200, h=150}");
  drv_run("dd.command = 'if reason == 1 then closewin(hWnd) end'");
  EXPECT_EQ(show(c), nullptr);
  c = desc("{name='close3', w=200, h=150}");
  drv_run("dd.command = 'if reason == 3 and shown3 then closewin(hWnd) end'");
  ASSERT_NE(show(c), nullptr);
  drv_run("shown3 = true");
  MoveWindow(dlg, 10, 10, 250, 150, TRUE);
  EXPECT_FALSE(IsWindow(dlg));
  drv_run("shown3 = nil");
}

TEST_F(Dialogs, ACaptionDoubleClickFillsTheWorkAreaWhenResizable) {
  struct gr_container *c = desc("{name='max', w=200, h=150}");
  drv_run("dd.resizeable = true");
  ASSERT_NE(show(c), nullptr);
  SendMessageA(dw_rec(dlg)->fw.caption, WM_LBUTTONDBLCLK, MK_LBUTTON,
               MAKELPARAM(50, 5));
  RECT wa, r;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  GetWindowRect(dlg, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, wa.right);
}

TEST_F(Dialogs, TabbedDescriptionsAreShownAsMenuWindows) {
  struct gr_container *c = desc("{name='tabs', w=200, h=150}");
  drv_run("dd.tabbed = true");
  ASSERT_NE(show(c), nullptr);
  EXPECT_NE(mn_view_of(dlg), nullptr);
  EXPECT_EQ(dw_rec(dlg), nullptr);
}

TEST_F(Dialogs, ControlsAreMadeInTheClientWhenShown) {
  struct gr_container *c = desc("{name='ctl', w=300, h=200}");
  struct gr_entry *e = gr_entry_new(GR_BUTTON, "in dialog", NULL, NULL);
  e->x = 10, e->y = 20, e->w = 100, e->h = 22;
  gr_insert(c, e, 0);
  ASSERT_NE(show(c), nullptr);
  HWND b = FindWindowExA(dw_client(dlg), NULL, "BtrelkUBcn", "in dialog");
  ASSERT_NE(b, nullptr);
  RECT r = rect_in(b, dw_client(dlg));
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 110);
  DestroyWindow(dlg);
  gr_entry_free(e);
}

}  // namespace
