#include "tests/inproc/dialogwin/common.h"

#include "tests/inproc/terminal/driver.h"
#include "host/base/heap.h"

void *handle_of(const char *global) {
  lua_State *L = drv_state();
  lua_getglobal(L, global);
  lua_getfield(L, -1, "HANDLE");
  if (lua_isnil(L, -1)) {
    lua_pop(L, 1);
    lua_getfield(L, -1, "msHANDLE");
  }
  void *p = lua_touserdata(L, -1);
  lua_pop(L, 2);
  return p;
}

RECT rect_in(HWND w, HWND in) {
  RECT r;
  GetWindowRect(w, &r);
  MapWindowPoints(NULL, in, (POINT *)&r, 2);
  return r;
}

std::string output_of(const std::function<void()> &f) {
  LONG from = drv_end();
  f();
  return drv_text(from, drv_end());
}

bool heap_has(const void *p) {
  PROCESS_HEAP_ENTRY e;
  e.lpData = NULL;
  bool found = false;
  HeapLock((HANDLE)hp_heap);
  while (HeapWalk((HANDLE)hp_heap, &e)) {
    if (!(e.wFlags & PROCESS_HEAP_ENTRY_BUSY)) continue;
    const char *b = (const char *)e.lpData;
    if ((const char *)p >= b && (const char *)p < b + e.cbData) {
      found = true;
      break;
    }
  }
  HeapUnlock((HANDLE)hp_heap);
  return found;
}

COLORREF painted_pixel(HWND w, int x, int y) {
  RECT r;
  GetClientRect(w, &r);
  HDC screen = GetDC(NULL);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bm = CreateCompatibleBitmap(screen, r.right, r.bottom);
  HGDIOBJ old = SelectObject(dc, bm);
  SendMessageA(w, WM_ERASEBKGND, (WPARAM)dc, 0);
  COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteObject(bm);
  DeleteDC(dc);
  ReleaseDC(NULL, screen);
  return c;
}
