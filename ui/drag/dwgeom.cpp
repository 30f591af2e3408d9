/*
** Dialog geometry.
*/
#include "ui/drag/dwgeom.h"

int dg_size(int want, int dflt, int min) {
  if (want <= 0) want = dflt;
  if (want < min) want = min;
  if (want > DG_MAX) want = DG_MAX;
  return want;
}

int dg_place(const struct dg_rect *win, const struct dg_rect *owner,
              int max_w, int max_h, int h, int *x, int *y) {
  int nx = win->left, ny = win->top;
  int w = win->right - win->left;
  if (win->right > max_w && owner) {
    /* just left of the owner, level with it; never off the left edge */
    nx = owner->left + 4 - w;
    ny = owner->top;
    if (nx < 0) nx = 0;
  }
  if (ny + (win->bottom - win->top) > max_h) {
    ny = max_h - h - 8;
    if (ny < 0) ny = 0;
  }
  *x = nx;
  *y = ny;
  return nx != win->left || ny != win->top;
}

static int clamp(long long v, int lo, int hi) {
  return v < lo ? lo : v > hi ? hi : (int)v;
}

/* held to lo .. hi - size, the low end winning */
static int inside(long long v, int size, int lo, int hi) {
  if (v > (long long)hi - size) v = (long long)hi - size;
  if (v < lo) v = lo;
  return (int)v;
}

void dg_on_screen(const struct dg_rect *area, const struct dg_rect *from,
                   int w, int h, int *x, int *y) {
  long long nx = *x, ny = *y;
  if (nx + w > area->right && from) {
    nx = (long long)from->left + 4 - w;
    ny = from->top;
  }
  *x = inside(nx, w, area->left, area->right);
  *y = inside(ny, h, area->top, area->bottom);
}

struct dg_rect dg_outline(const struct dg_rect *win, int px, int py,
                            int grab_x, int grab_y) {
  struct dg_rect o = *win;
  o.right = clamp((long long)px + grab_x, -DG_MAX * 2, DG_MAX * 2);
  o.bottom = clamp((long long)py + grab_y, -DG_MAX * 2, DG_MAX * 2);
  return o;
}

void dg_outline_size(const struct dg_rect *o, int *w, int *h) {
  *w = dg_size(o->right - o->left, DG_MIN_W, DG_MIN_W);
  *h = dg_size(o->bottom - o->top, DG_MIN_H, DG_MIN_H);
}
