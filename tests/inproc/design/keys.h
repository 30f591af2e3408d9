// What the design tests share: an Alt + left click as the terminal's
// message loop hands it to the drag frame, and the Alt key's state.
#ifndef keys_h
#define keys_h

#include <windows.h>

#include "ui/drag/win/drag.h"

inline int alt_click(HWND w, POINT at = {0, 0}) {
  MSG m = {};
  m.hwnd = w;
  m.message = WM_LBUTTONDOWN;
  m.wParam = MK_LBUTTON;
  m.pt = at;
  return dg_altclick(&m);
}

inline void set_alt(bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_MENU] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

#endif
