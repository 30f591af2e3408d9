/*
** Main window: placement on the right half of the work area, the frame
** around the terminal, and the shrink toggle.
*/
#include <windows.h>

#include "ui/frame/win/framed.h"
#include "ui/win/mainwin.h"

static HWND main_wnd, main_menu, free_menu;

HWND mw_window(void) {
  return main_wnd && IsWindow(main_wnd) ? main_wnd : NULL;
}
HWND mw_main_menu(void) { return main_menu; }
HWND mw_free_menu(void) { return free_menu; }

static void right_half(RECT *r) {
  RECT wa;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  int w = wa.right - wa.left, h = wa.bottom - wa.top;
  SetRect(r, w / 2, 0, w / 2 + w / 2, h);
}

static void frame_terminal(HWND h, HDC dc) {
  RECT rc;
  SIZE sz;
  GetClientRect(h, &rc);
  GetTextExtentPoint32A(dc, "Menu", 4, &sz);
  HBRUSH b = CreateSolidBrush(RGB(127, 127, 127));
  RECT f = {rc.left + 5, rc.top + 33 + sz.cy, rc.right - 5, rc.bottom - 5};
  FrameRect(dc, &f, b);
  DeleteObject(b);
}

static LRESULT CALLBACK mw_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == MW_QUERY) return -1;
  struct fw_record *r = fw_rec(h);
  LRESULT res = fw_pass(h, msg, w, l);
  if (msg == WM_ERASEBKGND && r && !r->shrunk) frame_terminal(h, (HDC)w);
  if (msg == WM_DESTROY && h == main_wnd) main_wnd = NULL;
  return res;
}

static HWND make_menu(const char *title, int x) {
  return fw_create(main_wnd, title, FW_KIND_MENU, x, 22, 60, 22, 0, NULL, 0,
                   WS_CHILD, 0);
}

int mw_create(int (*terminal)(HWND main)) {
  RECT r;
  right_half(&r);
  main_wnd = fw_create(NULL, "Trelk Main Window", FW_KIND_MAIN, r.left, r.top,
                       r.right - r.left, r.bottom - r.top, 96, mw_proc, 1,
                       WS_POPUP, 0);
  if (main_wnd == NULL) return 0;
  ShowWindow(main_wnd, SW_SHOW);
  UpdateWindow(main_wnd);
  SendMessageA(main_wnd, WM_ACTIVATE, WA_ACTIVE, 0);
  fw_rec(main_wnd)->shrunk_height = 49;
  if (!terminal(main_wnd)) return 0;
  main_menu = make_menu("Main Menu", 7);
  RECT mr;
  GetWindowRect(main_menu, &mr);
  free_menu = make_menu("Free Windows Menu", 7 + (mr.right - mr.left) + 4);
  ShowWindow(main_menu, SW_SHOW);
  ShowWindow(free_menu, SW_SHOW);
  SendMessageA(main_wnd, WM_ACTIVATE, WA_ACTIVE, 0);
  return 1;
}

void mw_toggle_shrink(void) {
  struct fw_record *rec = fw_rec(main_wnd);
  if (rec == NULL) return;
  if (!rec->shrunk) {
    RECT wr;
    rec->shrunk = 1;
    GetWindowRect(main_wnd, &wr);
    SetWindowPos(main_wnd, NULL, 0, 0, wr.right - wr.left,
                 rec->shrunk_height - 1, SWP_NOMOVE | SWP_NOZORDER);
  } else {
    RECT r;
    rec->shrunk = 0;
    right_half(&r);
    SetWindowPos(main_wnd, NULL, r.left, r.top, r.right - r.left,
                 r.bottom - r.top, SWP_NOZORDER);
  }
}
