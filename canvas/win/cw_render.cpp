/*
** Rendering into windows: one buffer the size of the client area per
** window and per render, copied bottom-up with StretchDIBits.
*/
#include <stdlib.h>

#include "canvas/cr_raster.h"
#include "canvas/win/cw_canvas.h"

#define CW_MAXWINDOWS 64

static void blit(HWND w, const uint32_t *px, int32_t width, int32_t height) {
  BITMAPINFO bi;
  ZeroMemory(&bi, sizeof bi);
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = height;   /* positive: bottom-up rows */
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC dc = GetDC(w);
  if (dc == NULL) return;
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, 0, 0, width, height, 0, 0, width, height, px, &bi,
                DIB_RGB_COLORS, SRCCOPY);
  ReleaseDC(w, dc);
}

int cw_render_window(struct cn_node *n, HWND w) {
  RECT r;
  if (n->nkids == 0 || !GetClientRect(w, &r)) return 0;
  int32_t width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return 0;
  uint32_t *px = (uint32_t *)malloc((size_t)width * height * sizeof *px);
  if (px == NULL) return 0;
  int drawn = cr_render(n, px, width, height);
  if (drawn) blit(w, px, width, height);
  free(px);
  return drawn;
}

void cw_render(struct cn_node *n, void *rec) {
  HWND ws[CW_MAXWINDOWS];
  int count = cw_windows_of(rec, ws, CW_MAXWINDOWS);
  for (int i = 0; i < count; i++) cw_render_window(n, ws[i]);
}
