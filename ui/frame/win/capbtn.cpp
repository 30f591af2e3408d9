/*
** Caption buttons: glyphs drawn over the button class's background, and
** the action of a left-button press.
*/
#include <windows.h>

#include "host/base/win/state.h"
#include "ui/frame/win/button.h"
#include "ui/frame/win/capbtn.h"
#include "ui/frame/win/caption.h"
#include "ui/colour.h"
#include "ui/win/mainwin.h"

typedef void (*glyph_fn)(HDC dc, RECT *rc, HWND h);
typedef void (*press_fn)(HWND h);

static void outline(HDC dc, RECT *rc) {
  HGDIOBJ ob = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, rc->left, rc->top, rc->right, rc->bottom);
  SelectObject(dc, ob);
}

static void line(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, NULL);
  LineTo(dc, x1, y1);
}

static void glyph_close(HDC dc, RECT *rc, HWND) {
  outline(dc, rc);
  line(dc, rc->left, rc->top, rc->right, rc->bottom);
  line(dc, rc->left, rc->bottom - 1, rc->right, rc->top - 1);
}

static void glyph_minimise(HDC dc, RECT *rc, HWND) {
  outline(dc, rc);
  line(dc, rc->left, rc->top + 7, rc->right, rc->top + 7);
  line(dc, rc->left, rc->top + 9, rc->right, rc->top + 9);
}

static void glyph_text(HDC dc, RECT *rc, const char *text) {
  outline(dc, rc);
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, text, -1, rc, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

static void glyph_exit(HDC dc, RECT *rc, HWND) { glyph_text(dc, rc, "Exit Trelk"); }
static void glyph_shrink(HDC dc, RECT *rc, HWND) { glyph_text(dc, rc, "Shrink Terminal"); }

/* The framed window the caption (our parent) belongs to. */
static HWND frame_of(HWND h) { return GetParent(GetParent(h)); }

static void press_close(HWND h) { DestroyWindow(frame_of(h)); }
static void press_minimise(HWND h) {
  HWND w = frame_of(h);
  SetActiveWindow(w);
  ShowWindow(w, SW_MINIMIZE);
}
static void press_exit(HWND) { fw_cap_ops.exit(); }
static void press_shrink(HWND) { mw_toggle_shrink(); }

static LRESULT common(HWND h, UINT msg, WPARAM w, LPARAM l, glyph_fn glyph,
                      press_fn press, int text_button) {
  struct fw_btn_record *r = fw_btn_rec(h);
  switch (msg) {
    case WM_ERASEBKGND: {
      if (r && r->colour == COL_MS_INACTIVE) r->colour = COL_INACTIVE;
      LRESULT res = fw_btn_pass(h, msg, w, l);
      RECT rc;
      GetClientRect(h, &rc);
      HDC dc = (HDC)w;
      HGDIOBJ of = SelectObject(dc, fw_font);
      glyph(dc, &rc, h);
      SelectObject(dc, of);
      return res;
    }
    case WM_PAINT:
      if (text_button) {   /* validate only: BeginPaint sends the erase */
        PAINTSTRUCT ps;
        BeginPaint(h, &ps);
        EndPaint(h, &ps);
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
      press(h);
      return 0;
  }
  return fw_btn_pass(h, msg, w, l);
}

LRESULT CALLBACK fw_close_btn_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  return common(h, msg, w, l, glyph_close, press_close, 0);
}
LRESULT CALLBACK fw_minimise_btn_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  return common(h, msg, w, l, glyph_minimise, press_minimise, 0);
}
LRESULT CALLBACK fw_exit_btn_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  return common(h, msg, w, l, glyph_exit, press_exit, 1);
}
LRESULT CALLBACK fw_shrink_btn_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  return common(h, msg, w, l, glyph_shrink, press_shrink, 1);
}
