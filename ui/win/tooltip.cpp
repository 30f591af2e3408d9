/*
** Tooltip window: created once, owned by the main window, never focused.
*/
#include <windows.h>

#include "host/base/win/state.h"
#include "ui/drag/dwgeom.h"
#include "ui/win/mainwin.h"
#include "ui/win/tooltip.h"

#define TT_SHOW 1
#define TT_HIDE 2

HWND tt_window = NULL;
struct tt_state tt;

void tt_create(void) {
  tt_window = CreateWindowExA(WS_EX_TOPMOST, "187561TT", NULL,
                              WS_POPUP | WS_VISIBLE, 0, 0, 1, 1, mw_window(),
                              NULL, trelk.instance, NULL);
}

void tt_hide(void) {
  tt.visible = 0;
  KillTimer(tt_window, TT_HIDE);
  SetWindowPos(tt_window, HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

static HWND under_pointer(void) {
  POINT p;
  GetCursorPos(&p);
  return WindowFromPoint(p);
}

void tt_request(const char *text) {
  if (text == NULL || tt_window == NULL) return;
  lstrcpynA(tt.text, text, sizeof tt.text);
  if (tt.show_timer) {
    KillTimer(tt_window, TT_SHOW);
    tt.show_timer = 0;
  }
  if (tt.visible) {   /* a new request hides the tip shown */
    tt_hide();
    tt.hovered = NULL;
    return;
  }
  HDC dc = CreateDCA("DISPLAY", NULL, NULL, NULL);
  SIZE sz = {0, 0};
  GetTextExtentPoint32A(dc, tt.text, lstrlenA(tt.text), &sz);
  DeleteDC(dc);
  tt.size.cx = sz.cx + 4;
  tt.size.cy = sz.cy + 3;
  GetCursorPos(&tt.anchor);
  tt.since = GetTickCount();
  HWND w = WindowFromPoint(tt.anchor);
  if (w != tt.hovered) {
    tt.hovered = w;
    tt.shown = 0;
  }
  tt.show_timer = SetTimer(tt_window, TT_SHOW, 1000, NULL);
}

/* The pointer is over another window: nothing pending or shown stays.
   Messages queued before the request carry where the pointer was then. */
void tt_hover(const MSG *msg) {
  if (tt.hovered == NULL || (LONG)(msg->time - tt.since) < 0) return;
  if (WindowFromPoint(msg->pt) == tt.hovered) return;
  if (tt.show_timer) KillTimer(tt_window, TT_SHOW);
  tt.show_timer = 0;
  if (tt.visible) tt_hide();
  tt.hovered = NULL;
  tt.shown = 0;
}

static void on_show_timer(void) {
  KillTimer(tt_window, TT_SHOW);
  tt.show_timer = 0;
  if (tt.shown) return;
  tt.shown = 1;
  if (under_pointer() != tt.hovered) return;
  /* below and left of the pointer, but on the work area near its edges */
  RECT wa;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  struct dg_rect area = {wa.left, wa.top, wa.right, wa.bottom};
  int x = tt.anchor.x - 30, y = tt.anchor.y + 30;
  dg_on_screen(&area, NULL, tt.size.cx, tt.size.cy, &x, &y);
  SetWindowPos(tt_window, HWND_TOPMOST, x, y, tt.size.cx, tt.size.cy,
               SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  tt.visible = 1;
  SetTimer(tt_window, TT_HIDE, 5000, NULL);
}

static void paint(HWND h, HDC dc) {
  RECT rc;
  GetClientRect(h, &rc);
  HBRUSH b = CreateSolidBrush(RGB(255, 255, 224));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(170, 170, 170));
  HGDIOBJ ob = SelectObject(dc, b), op = SelectObject(dc, pen);
  Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
  SetBkColor(dc, RGB(255, 255, 224));
  TextOutA(dc, 2, 1, tt.text, lstrlenA(tt.text));
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(b);
  DeleteObject(pen);
}

LRESULT CALLBACK tt_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_TIMER:
      if (w == TT_SHOW) {
        on_show_timer();
      } else if (w == TT_HIDE) {
        KillTimer(h, TT_HIDE);
        if (tt.show_timer) KillTimer(h, TT_SHOW);
        tt.show_timer = 0;
        tt_hide();
      }
      return 0;
    case WM_ERASEBKGND:
      paint(h, (HDC)w);
      return 0;
  }
  return DefWindowProcA(h, msg, w, l);
}
