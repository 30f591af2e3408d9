/*
** Handles of the drag frame. The grab offset keeps the edge where the
** pointer took it: the distance from the pointer to the moved edge.
*/
#include <windows.h>

#include "host/base/heap.h"
#include "ui/colour.h"
#include "ui/drag/win/drag.h"
#include "ui/drag/win/draghandle.h"

#define DH_SIZE 7
#define DH_MIN 8   /* smallest frame side left by a resize */

static HWND handles[4];

static struct dg_handle_record *dh_rec(HWND w) {
  return dg_is_handle(w) ? (struct dg_handle_record *)fw_btn_rec(w) : NULL;
}

int dg_is_handle(HWND w) {
  if (w == NULL) return 0;
  for (int i = 0; i < 4; i++)
    if (handles[i] == w) return IsWindow(w);
  return 0;
}

POINT dg_handle_position(int side, int cw, int ch) {
  POINT p = {0, 0};
  switch (side) {
    case DG_RIGHT: p.x = cw - DH_SIZE; p.y = ch / 2 - 3; break;
    case DG_BOTTOM: p.x = cw / 2 - 3; p.y = ch - DH_SIZE; break;
    case DG_TOP: p.x = cw / 2 - 3; p.y = 0; break;
    default: p.x = 0; p.y = ch / 2 - 3; break;
  }
  return p;
}

static void outline(HWND h, HDC dc) {
  RECT rc;
  GetClientRect(h, &rc);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(153, 31, 36));
  HGDIOBJ op = SelectObject(dc, pen);
  HGDIOBJ ob = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(pen);
}

static int resizable(void) { return dg.frame && (dg.info.bits & DG_RESIZE); }

static void grab(HWND h, struct dg_handle_record *r, LPARAM l) {
  RECT rc;
  GetClientRect(h, &rc);
  int x = (short)LOWORD(l), y = (short)HIWORD(l);
  SetCapture(h);
  switch (r->side) {
    case DG_LEFT: r->offset = x; break;
    case DG_RIGHT: r->offset = rc.right - x; break;
    case DG_TOP: r->offset = y; break;
    default: r->offset = rc.bottom - y; break;
  }
}

/* the frame's edge on the handle's side follows the pointer */
static void pull(struct dg_handle_record *r) {
  POINT p;
  RECT f;
  GetCursorPos(&p);
  GetWindowRect(dg.frame, &f);
  switch (r->side) {
    case DG_LEFT: f.left = p.x - r->offset; if (f.left > f.right - DH_MIN) f.left = f.right - DH_MIN; break;
    case DG_RIGHT: f.right = p.x + r->offset; if (f.right < f.left + DH_MIN) f.right = f.left + DH_MIN; break;
    case DG_TOP: f.top = p.y - r->offset; if (f.top > f.bottom - DH_MIN) f.top = f.bottom - DH_MIN; break;
    default: f.bottom = p.y + r->offset; if (f.bottom < f.top + DH_MIN) f.bottom = f.top + DH_MIN; break;
  }
  SetWindowPos(dg.frame, NULL, f.left, f.top, f.right - f.left,
               f.bottom - f.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

static LRESULT CALLBACK dh_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  struct dg_handle_record *r = dh_rec(h);
  if (r == NULL) return fw_btn_pass(h, msg, w, l);
  switch (msg) {
    case WM_ERASEBKGND: {
      if (r->btn.colour == COL_MS_INACTIVE) r->btn.colour = COL_INACTIVE;
      LRESULT res = fw_btn_pass(h, msg, w, l);
      outline(h, (HDC)w);
      return res;
    }
    case WM_LBUTTONDOWN:
      if (resizable()) grab(h, r, l);
      return 0;
    case WM_MOUSEMOVE:
      if ((w & MK_LBUTTON) && resizable() && GetCapture() == h) {
        pull(r);
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (GetCapture() == h) ReleaseCapture();
      r->offset = 0;
      return 0;
    case WM_DESTROY:
      for (int i = 0; i < 4; i++)
        if (handles[i] == h) handles[i] = NULL;
      break;
  }
  return fw_btn_pass(h, msg, w, l);
}

void dg_handle_create(HWND frame, HWND out[4]) {
  static const int side[4] = {DG_LEFT, DG_TOP, DG_BOTTOM, DG_RIGHT};
  for (int i = 0; i < 4; i++) {
    HWND b = fw_btn_create(frame, "", 0, 0, 0, DH_SIZE, DH_SIZE,
                        sizeof(struct dg_handle_record), dh_proc, 0xFFFF - 4 + i, NULL);
    out[i] = handles[i] = b;
    struct dg_handle_record *r = b ? (struct dg_handle_record *)fw_btn_rec(b) : NULL;
    if (r) r->side = side[i];
    if (b) ShowWindow(b, SW_SHOWNA);
  }
}

void dg_handle_init(void) {
  for (int i = 0; i < 4; i++) handles[i] = NULL;
}
