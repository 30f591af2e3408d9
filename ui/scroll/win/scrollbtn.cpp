/*
** The buttons of a scroll bar: arrows that step while held, and the thumb,
** moved by the system's move loop and held on its track.
*/
#include <windows.h>

#include "ui/frame/win/button.h"
#include "ui/colour.h"
#include "ui/scroll/win/scroll.h"

static struct sc_btn_record *sc_btn_rec(HWND h) {
  struct sc_btn_record *r = (struct sc_btn_record *)fw_btn_rec(h);
  if (r == NULL || sc_rec(GetParent(GetParent(h))) != r->bar) return NULL;
  return r;
}

static int is_thumb(int kind) { return kind == SC_BTN_VTHUMB || kind == SC_BTN_HTHUMB; }

static void triangle(HDC dc, int kind, int w, int h) {
  int s = (w < h ? w : h) - 7;
  if (s < 2) s = 2;
  int half = s / 2, cx = w / 2, cy = h / 2;
  POINT p[4];
  switch (kind) {
    case SC_BTN_UP:
      p[0] = {cx, 3}, p[1] = {cx + half, 3 + half}, p[2] = {cx - half, 3 + half};
      break;
    case SC_BTN_DOWN:
      p[0] = {cx, h - 4}, p[1] = {cx + half, h - 4 - half}, p[2] = {cx - half, h - 4 - half};
      break;
    case SC_BTN_LEFT:
      p[0] = {3, cy}, p[1] = {3 + half, cy - half}, p[2] = {3 + half, cy + half};
      break;
    default:
      p[0] = {w - 4, cy}, p[1] = {w - 4 - half, cy - half}, p[2] = {w - 4 - half, cy + half};
      break;
  }
  p[3] = p[0];
  Polyline(dc, p, 4);
}

static void grip_lines(HDC dc, int kind, int w, int h) {
  for (int d = -2; d <= 2; d += 2) {
    if (kind == SC_BTN_VTHUMB) {
      MoveToEx(dc, 4, h / 2 + d, NULL);
      LineTo(dc, w - 4, h / 2 + d);
    } else {
      MoveToEx(dc, w / 2 + d, 4, NULL);
      LineTo(dc, w / 2 + d, h - 4);
    }
  }
}

static void outline(HDC dc, int w, int h, COLORREF c, int rop) {
  HPEN pen = CreatePen(PS_SOLID, 1, c);
  HGDIOBJ op = SelectObject(dc, pen);
  HGDIOBJ ob = SelectObject(dc, GetStockObject(NULL_BRUSH));
  int old = SetROP2(dc, rop);
  Rectangle(dc, 0, 0, w, h);
  SetROP2(dc, old);
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(pen);
}

static void paint(HWND h, HDC dc, struct sc_btn_record *r) {
  RECT rc;
  GetClientRect(h, &rc);
  HPEN pen = CreatePen(PS_SOLID, 1, col_get(COL_MS_SEPARATOR));
  HGDIOBJ op = SelectObject(dc, pen);
  int old = SetROP2(dc, R2_MASKPEN);
  if (is_thumb(r->kind))
    grip_lines(dc, r->kind, rc.right, rc.bottom);
  else
    triangle(dc, r->kind, rc.right, rc.bottom);
  SetROP2(dc, old);
  SelectObject(dc, op);
  DeleteObject(pen);
  outline(dc, rc.right, rc.bottom, col_get(COL_SCROLLBAR_FRAME), R2_COPYPEN);
}

/* the thumb, moved by the system: held on its axis and its track */
static void held(HWND h, struct sc_btn_record *r, WINDOWPOS *wp) {
  struct sc_record *bar = r->bar;
  if ((wp->flags & SWP_NOMOVE) || bar->placing) return;
  int *along = bar->vertical ? &wp->y : &wp->x;
  int *cross = bar->vertical ? &wp->x : &wp->y;
  *cross = 0;
  int before = bar->m.thumb_off;
  *along = sc_model_drag(&bar->m, *along);
  r->offset = *along;
  (void)h;
  if (*along != before) sc_notify(bar);
}

static void press_thumb(HWND h) {
  POINT p;
  GetCursorPos(&p);
  ReleaseCapture();
  DefWindowProcA(h, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
}

LRESULT CALLBACK sc_btn_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  struct sc_btn_record *r = sc_btn_rec(h);
  if (r == NULL) return fw_btn_pass(h, msg, w, l);
  switch (msg) {
    case WM_ERASEBKGND: {
      LRESULT res = fw_btn_pass(h, msg, w, l);
      paint(h, (HDC)w, r);
      return res;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(h, &ps);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      r->bar->m.last_step = 0;
      if (is_thumb(r->kind))
        press_thumb(h);
      else
        sc_press(h, r->bar, r->kind, l);
      return 0;
    case WM_TIMER:
      if (!is_thumb(r->kind)) sc_repeat(h, r->bar, r->kind, w);
      return 0;
    case WM_WINDOWPOSCHANGING:
      if (is_thumb(r->kind)) held(h, r, (WINDOWPOS *)l);
      return 0;
  }
  return fw_btn_pass(h, msg, w, l);
}
