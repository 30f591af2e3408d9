/*
** The size grip of resizable dialogs: an L-shaped button in the bottom
** right corner. Dragging it draws the new outline on the screen with
** R2_NOTXORPEN (drawing it twice erases it); releasing applies the size.
*/
#include <windows.h>

#include "gui/record.h"
#include "host/base/win/state.h"
#include "ui/frame/win/button.h"
#include "ui/colour.h"
#include "ui/dialog/win/dialogwin.h"
#include "ui/drag/dwgeom.h"

#define GRIP_RECORD_SIZE 92

struct grip_record {
  struct fw_btn_record b;
  RECT outline;   /* screen coordinates */
  int drawn;      /* the outline is on the screen */
  int stop;       /* the next move only erases */
};

int dw_outlines_shown = 0;   /* outlines drawn and not yet erased */

static struct dw_record *dialog_of(HWND grip) {
  return dw_rec(GetParent(grip));
}

static void draw_outline(const RECT *o) {
  HDC dc = CreateDCA("DISPLAY", NULL, NULL, NULL);
  if (dc == NULL) return;
  HPEN pen = CreatePen(PS_DASH, 3, (COLORREF)-1);
  HGDIOBJ op = SelectObject(dc, pen);
  HGDIOBJ ob = SelectObject(dc, GetStockObject(NULL_BRUSH));
  SetROP2(dc, R2_NOTXORPEN);
  Rectangle(dc, o->left, o->top, o->right, o->bottom);
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(pen);
  DeleteDC(dc);
}

static void squares(HDC dc) {
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HGDIOBJ op = SelectObject(dc, pen);
  HGDIOBJ ob = SelectObject(dc, GetStockObject(NULL_BRUSH));
  for (int i = 0; i <= 8; i += 4) {
    Rectangle(dc, 8, i, 10, i + 2);
    Rectangle(dc, i, 8, i + 2, 10);
  }
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(pen);
}

static POINT screen_point(HWND h, LPARAM l) {
  POINT p = {(short)LOWORD(l), (short)HIWORD(l)};
  ClientToScreen(h, &p);
  return p;
}

static RECT outline_at(struct dw_record *d, POINT p) {
  RECT rc;
  GetWindowRect(d->fw.own, &rc);
  struct dg_rect win = {rc.left, rc.top, rc.right, rc.bottom};
  struct dg_rect o = dg_outline(&win, p.x, p.y, d->grab_x, d->grab_y);
  return {o.left, o.top, o.right, o.bottom};
}

static void press(HWND h, struct grip_record *g, struct dw_record *d, LPARAM l) {
  SetCapture(h);
  RECT rc;
  GetClientRect(h, &rc);
  d->grab_x = rc.right - (short)LOWORD(l);
  d->grab_y = rc.bottom - (short)HIWORD(l);
  d->state |= DW_RESIZING;
  g->outline = outline_at(d, screen_point(h, l));
  g->drawn = g->stop = 0;
}

static void erase(struct grip_record *g) {
  if (!g->drawn) return;
  draw_outline(&g->outline);
  dw_outlines_shown--;
  g->drawn = 0;
}

static void moved(HWND h, struct grip_record *g, struct dw_record *d, LPARAM l) {
  erase(g);
  if (g->stop) return;
  g->outline = outline_at(d, screen_point(h, l));
  draw_outline(&g->outline);
  dw_outlines_shown++;
  g->drawn = 1;
}

static void apply(struct dw_record *d, const RECT *o) {
  struct dg_rect r = {o->left, o->top, o->right, o->bottom};
  int w, ht;
  dg_outline_size(&r, &w, &ht);
  struct gr_container *desc = d->desc;
  if (d->size_kind < 2 && gr_valid_container(desc)) {
    desc->w = w;
    desc->h = ht;
    dw_resize_all(desc);
  } else {
    SetWindowPos(d->fw.own, NULL, o->left, o->top, w, ht,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

static void release(HWND h, struct grip_record *g, struct dw_record *d, LPARAM l) {
  g->stop = 1;
  SendMessageA(h, WM_MOUSEMOVE, 0, l);
  RECT o = g->outline;
  d->state &= ~DW_RESIZING;
  HWND dialog = d->fw.own;
  apply(d, &o);
  if (IsWindow(h)) ReleaseCapture();
  if ((d = dw_rec(dialog)) != NULL) d->grab_x = d->grab_y = 0;
}

static LRESULT CALLBACK grip_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  struct grip_record *g = (struct grip_record *)fw_btn_rec(h);
  struct dw_record *d = dialog_of(h);
  if (g == NULL || d == NULL) return fw_btn_pass(h, msg, w, l);
  int resizing = (d->state & DW_RESIZING) != 0;
  switch (msg) {
    case WM_ERASEBKGND: {
      if (g->b.colour == COL_MS_INACTIVE) g->b.colour = COL_INACTIVE;
      LRESULT res = fw_btn_pass(h, msg, w, l);
      squares((HDC)w);
      return res;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(h, &ps);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      press(h, g, d, l);
      return 0;
    case WM_MOUSEMOVE:
      if (resizing) {
        moved(h, g, d, l);
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (resizing) release(h, g, d, l);
      return 0;
    case WM_CAPTURECHANGED:
      /* capture taken away mid-resize: erase and give up */
      if (resizing && (HWND)l != h) {
        erase(g);
        d->state &= ~DW_RESIZING;
      }
      return 0;
  }
  return fw_btn_pass(h, msg, w, l);
}

HWND dw_grip_create(HWND dialog) {
  RECT rc;
  GetClientRect(dialog, &rc);
  HWND g = fw_btn_create(dialog, "", 0, rc.right - 10, rc.bottom - 10, 10, 10,
                      GRIP_RECORD_SIZE, grip_proc, 0xFFFF, NULL);
  if (g == NULL) return NULL;
  static const POINT l_shape[] = {{8, 0}, {10, 0}, {10, 10}, {0, 10},
                                  {0, 8}, {8, 8}, {8, 0}};
  HRGN rgn = CreatePolygonRgn(l_shape, 7, WINDING);
  if (rgn && !SetWindowRgn(g, rgn, TRUE)) DeleteObject(rgn);
  ShowWindow(g, SW_SHOWNA);
  return g;
}
