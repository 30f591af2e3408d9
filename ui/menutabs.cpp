/*
** Tabbed containers: the entries stand in a column on the left as tabs;
** the attached object of the current tab is shown beside them as a page,
** a child window sized to the room left.
*/
#include <windows.h>

#include "gui/layout.h"
#include "ui/menuwin.h"

static int is_top_level(HWND w) {
  return !(GetWindowLongA(w, GWL_STYLE) & WS_CHILD);
}

/* Where the page goes and how big it is. A menu window's column of tabs
   is its rows with 3-pixel margins either side; in a dialog frame the tabs
   stand at the client's left edge and the page fills the rest of the
   client with 2-pixel margins. */
static void page_place(struct mn_view *v, int *x, int *y, int *w, int *h) {
  RECT rc;
  GetClientRect(v->wnd, &rc);
  if (v->kind == MV_DIALOG) {
    GetClientRect(v->inner, &rc);
    int col = v->count && v->entries[0] ? 0 : 2;
    if (v->count && v->entries[0]) {
      RECT t;
      GetWindowRect(v->entries[0], &t);
      col = t.right - t.left + 3;
    }
    *x = col;
    *y = 2;
    *w = lay_size(rc.right - col - 2);
    *h = lay_size(rc.bottom - 4);
    return;
  }
  RECT r;
  GetWindowRect(v->outer, &r);
  int top = is_top_level(v->wnd);
  int col = r.right - r.left + 6;
  lay_tab_page(rc.right, rc.bottom, col, top, w, h);
  *x = col;
  *y = top ? 21 : 3;
}

/* The window keeps the container's size, but never hides the tabs. */
void mt_size(struct mn_view *v, int width, int total, int *w, int *h) {
  int top = is_top_level(v->wnd);
  int min_w = width + 6 + 20, min_h = total + (top ? 23 : 5);
  *w = lay_size(v->c->w) < min_w ? min_w : lay_size(v->c->w);
  *h = lay_size(v->c->h) < min_h ? min_h : lay_size(v->c->h);
}

int mt_is_tab(struct gr_entry *e) {
  return e && e->owner && gr_tabbed(e->owner) && e->owner->tab == e;
}

/* whether c is shown by w or a window w lies in: a page of c there
   would open pages without end */
static int shown_around(HWND w, struct gr_container *c) {
  for (; w; w = GetParent(w)) {
    struct mn_view *v = mn_view_of(w);
    if (v && v->c == c) return 1;
    if (!(GetWindowLongA(w, GWL_STYLE) & WS_CHILD)) break;
  }
  return 0;
}

static struct gr_entry *first_tab(struct gr_container *c) {
  for (struct gr_entry *e = c->first; e; e = e->next)
    if (e->sub && gr_valid_container(e->sub)) return e;
  return NULL;
}

static void redraw_tabs(struct mn_view *v) {
  for (int i = 0; i < v->count; i++)
    if (v->entries[i])
      RedrawWindow(v->entries[i], NULL, NULL, RDW_INVALIDATE | RDW_ERASE);
}

/* Shows tab's page (the first tab's when tab is null or gone), replacing
   the page shown so far. */
void mt_open_page(struct mn_view *v, struct gr_entry *tab) {
  struct gr_container *c = v->c;
  if (tab == NULL || !gr_valid_entry(tab) || tab->owner != c || !tab->sub)
    tab = first_tab(c);
  if (v->page && IsWindow(v->page)) DestroyWindow(v->page);
  v->page = NULL;
  c->tab = tab;
  if (tab == NULL) return;
  struct gr_container *sub = tab->sub;
  redraw_tabs(v);
  if (!gr_valid_container(sub) || shown_around(v->wnd, sub)) return;
  int x, y;
  page_place(v, &x, &y, &sub->w, &sub->h);
  HWND wnd = v->inner;
  HWND page = mn_show(sub, v->kind == MV_DIALOG ? wnd : v->wnd, WS_CHILD, 0, x, y);
  /* the page's own command may have rebuilt this window meanwhile */
  for (struct mn_view *now = mn_views; now; now = now->next)
    if (now->inner == wnd && page && IsWindow(page)) now->page = page;
}
