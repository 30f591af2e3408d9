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

/* column of tabs: the rows and the 3-pixel margins either side */
static int tab_column(struct mn_view *v) {
  RECT r;
  GetWindowRect(v->outer, &r);
  return r.right - r.left + 6;
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
  RECT rc;
  GetClientRect(v->wnd, &rc);
  int top = is_top_level(v->wnd);
  int col = tab_column(v);
  lay_tab_page(rc.right, rc.bottom, col, top, &sub->w, &sub->h);
  HWND page = mn_show(sub, v->wnd, WS_CHILD, 0, col, top ? 21 : 3);
  /* the page's own command may have rebuilt this window meanwhile */
  if (mn_view_of(v->wnd) == v && page && IsWindow(page)) v->page = page;
}
