/*
** Caption bar: title drawing, moving by drag, making the caption buttons.
*/
#include <windows.h>

#include "host/base/win/state.h"
#include "ui/frame/win/button.h"
#include "ui/frame/win/capbtn.h"
#include "ui/frame/win/caption.h"
#include "ui/colour.h"
#include "ui/frame/win/framed.h"
#include "ui/win/mainwin.h"

HFONT fw_font = NULL;
static int never_maximisable(HWND) { return 0; }
static int keep_height(HWND) { return -1; }
static void no_exit(void) {}
struct fw_cap_ops fw_cap_ops = {never_maximisable, keep_height, no_exit};
static HWND clicked;   /* window whose caption is being pressed */

static int text_width(HDC dc, const char *s) {
  SIZE sz;
  GetTextExtentPoint32A(dc, s, lstrlenA(s), &sz);
  return sz.cx;
}

static void make_buttons(HWND cap) {
  HWND w = GetParent(cap);
  struct fw_record *r = fw_rec(w);
  if (r == NULL) return;
  int is_main = (w == mw_window());
  RECT rc;
  GetClientRect(cap, &rc);
  HDC dc = GetDC(cap);
  HGDIOBJ of = SelectObject(dc, fw_font);
  int lw = is_main ? text_width(dc, "Exit Trelk") + 6 : 30;
  int rw = is_main ? text_width(dc, "Shrink Terminal") + 6 : 30;
  SelectObject(dc, of);
  ReleaseDC(cap, dc);
  r->left_btn = fw_btn_create(cap, "", 0, 0, 0, lw, rc.bottom, 72,
                           is_main ? fw_exit_btn_proc : fw_close_btn_proc, 0xFFFF, NULL);
  r->right_btn = fw_btn_create(cap, "", 0, rc.right - rw, 0, rw, rc.bottom, 72,
                            is_main ? fw_shrink_btn_proc : fw_minimise_btn_proc, 0xFFFF,
                            NULL);
  ShowWindow(r->left_btn, SW_SHOW);
  ShowWindow(r->right_btn, SW_SHOW);
  InvalidateRect(cap, NULL, TRUE);
}

void fw_cap_finish(HWND w) {
  struct fw_record *r = fw_rec(w);
  if (r == NULL || (GetWindowLongA(w, GWL_STYLE) & WS_CHILD)) return;
  ReleaseCapture();
  if (w == clicked) {
    if (mw_window())
      DefWindowProcA(w, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    else
      SendMessageA(w, WM_LBUTTONDOWN, 0, 0);
  }
  if (!r->buttons_made) {
    PostMessageA(r->caption, WM_PAINT, (WPARAM)-1, 0);
    r->buttons_made = -1;
    r->owner_rec = NULL;
    fw_ops.listed(w, 1);
  }
  SendMessageA(w, WM_ACTIVATE, WA_ACTIVE, 0);
  if ((r->kind & ~FW_KIND_BIT) == FW_KIND_MENU && w != mw_window()) {
    int h = fw_cap_ops.menu_height(w);
    if (h >= 0) {
      RECT rc;
      GetWindowRect(w, &rc);
      SetWindowPos(w, NULL, 0, 0, rc.right - rc.left, h + 23,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
}

static void paint(HWND h) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  HWND w = GetParent(h);
  struct fw_record *r = fw_rec(w);
  RECT rc;
  GetClientRect(h, &rc);
  HBRUSH b = CreateSolidBrush(col_get(COL_CAP_BG));
  FillRect(dc, &rc, b);
  DeleteObject(b);
  FrameRect(dc, &rc, (HBRUSH)GetStockObject(BLACK_BRUSH));
  char title[1024];
  GetWindowTextA(w, title, sizeof title);
  HGDIOBJ of = SelectObject(dc, fw_font);
  SetBkMode(dc, TRANSPARENT);
  if (r && r->buttons_made) InflateRect(&rc, -31, 0);
  DrawTextA(dc, title, -1, &rc,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  SelectObject(dc, of);
  EndPaint(h, &ps);
}

LRESULT CALLBACK fw_cap_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_LBUTTONDOWN:
      clicked = GetParent(h);
      fw_cap_finish(clicked);
      clicked = NULL;
      return 0;
    case WM_LBUTTONDBLCLK: {
      HWND p = GetParent(h);
      struct fw_record *r = fw_rec(p);
      if (r && (r->kind & ~FW_KIND_BIT) == FW_KIND_DIALOG &&
          fw_cap_ops.maximisable(p)) {
        RECT wa;
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
        SetWindowPos(p, NULL, 0, 0, wa.right, wa.bottom, SWP_NOZORDER);
      }
      return 0;
    }
    case WM_SIZE:
      if (w != SIZE_MINIMIZED) {
        struct fw_record *r = fw_rec(GetParent(h));
        if (r && r->right_btn) {
          RECT br;
          GetWindowRect(r->right_btn, &br);
          int bw = br.right - br.left;
          MoveWindow(r->right_btn, LOWORD(l) - bw, 0, bw, br.bottom - br.top, TRUE);
        }
      }
      return 0;
    case WM_PAINT:
      if (w == (WPARAM)-1) {
        make_buttons(h);
        RedrawWindow(GetParent(h), NULL, NULL,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return 0;
      }
      paint(h);
      return 0;
  }
  return DefWindowProcA(h, msg, w, l);
}
