#include "tests/inproc/editor/harness.h"

#include <stdio.h>
#include <stdlib.h>

#include "Scintilla.h"
#include "editor/win/edwin.h"
#include "gui/gui.h"
#include "ui/menu/win/menuwin.h"
#include "tests/support/ts_lua.h"

extern "C" {
#include "lauxlib.h"
}

std::string lua(const std::string &code) {
  lua_State *L = drv_state();
  LONG from = drv_end();
  std::string err = ts_do(L, code);
  drv_pump();
  return drv_text(from, drv_end()) + err;
}

double num(const std::string &expr) {
  lua_State *L = drv_state();
  std::string e;
  if (!ts_run(L, "return " + expr, e, 1)) return -12345;
  double v = lua_tonumber(L, -1);
  lua_pop(L, 1);
  return v;
}

std::string str(const std::string &expr) {
  lua_State *L = drv_state();
  std::string e;
  if (!ts_run(L, "return tostring(" + expr + ")", e, 1)) return "<error>";
  std::string v = lua_tostring(L, -1);
  lua_pop(L, 1);
  return v;
}

std::vector<HWND> editors() {
  std::vector<HWND> out;
  for (struct mn_view *v = mn_views; v; v = v->next)
    for (int i = 0; i < v->count; i++) {
      HWND h = v->entries[i] ? ew_find(v->entries[i]) : NULL;
      if (h) out.push_back(h);
    }
  return out;
}

HWND editor_of(const std::string &obj) {
  lua_State *L = drv_state();
  lua_getglobal(L, obj.c_str());
  lua_getfield(L, -1, "msHANDLE");
  auto *e = static_cast<struct gr_entry *>(lua_touserdata(L, -1));
  lua_pop(L, 2);
  return e ? ew_first(e) : NULL;
}

void close_menus() {
  for (;;) {
    HWND w = NULL;
    for (struct mn_view *v = mn_views; v; v = v->next)
      if (!v->docked && !(GetWindowLongA(v->wnd, GWL_STYLE) & WS_CHILD)) {
        w = v->wnd;
        break;
      }
    if (w == NULL) break;
    DestroyWindow(w);
  }
  drv_pump();
}

int shot::count(COLORREF c, int x0, int y0, int x1, int y1) const {
  int n = 0;
  for (int y = y0 < 0 ? 0 : y0; y < y1 && y < h; y++)
    for (int x = x0 < 0 ? 0 : x0; x < x1 && x < w; x++) n += at(x, y) == c;
  return n;
}

shot capture(HWND h) {
  shot s;
  RedrawWindow(h, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  drv_pump();
  RECT rc;
  GetClientRect(h, &rc);
  s.w = rc.right;
  s.h = rc.bottom;
  HDC wdc = GetDC(h);
  HDC mem = CreateCompatibleDC(wdc);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = s.w;
  bi.bmiHeader.biHeight = -s.h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void *bits = NULL;
  HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, s.w, s.h, wdc, 0, 0, SRCCOPY);
  GdiFlush();
  s.px.resize((size_t)s.w * s.h);
  const unsigned char *p = static_cast<const unsigned char *>(bits);
  for (size_t i = 0; i < s.px.size(); i++)
    s.px[i] = RGB(p[4 * i + 2], p[4 * i + 1], p[4 * i]);
  if (const char *dump = getenv("TRELK_SHOT")) {   // a PPM to look at
    FILE *f = fopen(dump, "wb");
    if (f) {
      fprintf(f, "P6\n%d %d\n255\n", s.w, s.h);
      for (COLORREF c : s.px) {
        unsigned char rgb[3] = {GetRValue(c), GetGValue(c), GetBValue(c)};
        fwrite(rgb, 1, 3, f);
      }
      fclose(f);
    }
  }
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(h, wdc);
  return s;
}
