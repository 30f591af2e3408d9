/*
** Text outlines: the glyph outlines GDI records in a path for TextOut of
** the text at (0, 0), turned upright (y from the text's height down) so
** that the text's bottom-left stands at the node's origin.
*/
#include <stdlib.h>
#include <string.h>

#include "canvas/win/cw_canvas.h"

static void add_points(struct cn_node *n, const POINT *pt, const BYTE *ty,
                       int count, LONG height) {
  for (int i = 0; i < count; i++) {
    int t = ty[i];
    int32_t x = pt[i].x, y = height - pt[i].y;
    if (t == PT_MOVETO) {
      cn_add(n, CN_MOVE, x, y, 0, 0);
    } else if ((t & ~PT_CLOSEFIGURE) == PT_LINETO) {
      cn_add(n, CN_LINE, x, y, 0, 0);
    } else if ((t & ~PT_CLOSEFIGURE) == PT_BEZIERTO && i + 2 < count) {
      cn_add(n, CN_CONTROL, x, y, 0, 0);
      cn_add(n, CN_CONTROL, pt[i + 1].x, height - pt[i + 1].y, 0, 0);
      cn_add(n, CN_CURVE, pt[i + 2].x, height - pt[i + 2].y, 0, 0);
      i += 2;
    }
  }
}

int cw_text(struct cn_node *n, const char *s, int32_t height, const char *face) {
  HDC dc = GetDC(NULL);
  if (dc == NULL) return 0;
  LOGFONTA lf;
  ZeroMemory(&lf, sizeof lf);
  lf.lfHeight = height;
  lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
  HFONT font = CreateFontIndirectA(&lf);
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  int len = (int)strlen(s), ok = 0;
  SIZE ext = {0, 0};
  BeginPath(dc);
  TextOutA(dc, 0, 0, s, len);
  EndPath(dc);
  GetTextExtentPoint32A(dc, s, len, &ext);
  int count = GetPath(dc, NULL, NULL, 0);
  POINT *pt = count > 0 ? (POINT *)malloc(count * sizeof *pt) : NULL;
  BYTE *ty = count > 0 ? (BYTE *)malloc(count) : NULL;
  if (pt && ty && GetPath(dc, pt, ty, count) == count) {
    add_points(n, pt, ty, count, ext.cy);
    ok = 1;
  }
  free(pt);
  free(ty);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(NULL, dc);
  return ok;
}
