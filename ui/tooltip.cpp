/*
** Tooltip window: created once, owned by the main window, never focused.
*/
#include <windows.h>

#include "host/trelk.h"
#include "ui/mainwin.h"
#include "ui/tooltip.h"

HWND tt_window = NULL;

void tt_create(void) {
  tt_window = CreateWindowExA(WS_EX_TOPMOST, "187561TT", NULL,
                              WS_POPUP | WS_VISIBLE, 0, 0, 1, 1, mw_window(),
                              NULL, trelk.instance, NULL);
}

LRESULT CALLBACK tt_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  return DefWindowProcA(h, msg, w, l);
}
