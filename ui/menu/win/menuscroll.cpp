/*
** Scrolled rows: a menu or table whose rows do not fit shows as many as
** fit and a scroll bar beside them. The inner client holds every row and
** slides inside the outer one by whole rows; the bar counts rows (range
** the row count, page the rows that the last position shows).
*/
#include <windows.h>

#include "gui/layout.h"
#include "host/base/heap.h"
#include "ui/menu/win/menuwin.h"
#include "ui/scroll/win/scroll.h"

#define BAR_W 15
#define BAR_ID 0xFFF0

/* A top-level window keeps below the work area's height; a child window
   keeps to its own height. Only scrolled containers have a limit. */
int mn_scroll_limit(struct mn_view *v, int top_level) {
  if (v->docked || !(v->c->cflags & GR_CF_SCROLLED)) return -1;
  if (!top_level) return lay_size(v->c->h - 5);
  RECT wa;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  return lay_size(wa.bottom - wa.top - 23 - 8);
}

static int row_count(struct mn_view *v) { return v->rows ? v->count : 0; }

static void slide(struct mn_view *v) {
  int n = row_count(v);
  v->first = v->rows ? lay_clamp_first(v->rows, n, v->view_h, v->first) : 0;
  int top = n ? v->rows[v->first].y : 0;
  RECT r;
  GetClientRect(v->outer, &r);
  int h = v->total > v->view_h ? v->total : v->view_h;
  MoveWindow(v->inner, 0, -top, r.right, h, TRUE);
}

static void scrolled(HWND bar, int pos, int zero, void *arg) {
  (void)zero;
  (void)arg;   /* the view may have gone: find it through the window */
  struct mn_view *v = mn_view_of(GetParent(bar));
  if (v == NULL || v->bar != bar) return;
  v->first = pos;
  slide(v);
}

void mn_scroll_place(struct mn_view *v, int scroll, int x, int y, int width) {
  if (!scroll) {
    if (v->bar && IsWindow(v->bar)) DestroyWindow(v->bar);
    v->bar = NULL;
    v->first = 0;
    slide(v);
    return;
  }
  int n = row_count(v);
  int last = lay_last_first(v->rows, n, v->view_h);
  if (v->bar == NULL || !IsWindow(v->bar))
    v->bar = sc_create(v->wnd, n, n - last, 1, 1, x + width, y, BAR_W,
                       v->view_h, BAR_ID, v->c, scrolled, NULL);
  else
    MoveWindow(v->bar, x + width, y, BAR_W, v->view_h, TRUE);
  slide(v);
  struct sc_info info = {sizeof info, SC_RANGE | SC_PAGE | SC_POS, 0, n,
                         (uint32_t)(n - last), v->first, 0};
  if (v->bar) sc_set_bar(v->bar, &info);
}

/* The wheel moves three rows a notch; the bar follows. */
int mn_scroll_wheel(struct mn_view *v, int delta) {
  if (v == NULL || v->bar == NULL || !IsWindow(v->bar)) return 0;
  v->first -= delta / WHEEL_DELTA * 3;
  slide(v);
  struct sc_info info = {sizeof info, SC_POS, 0, 0, 0, v->first, 0};
  sc_set_bar(v->bar, &info);
  return 1;
}

void mn_scroll_free(struct mn_view *v) {
  if (v->rows) hp_free(v->rows);
  v->rows = NULL;
  v->bar = NULL;   /* a child of the window: it goes with it */
}
