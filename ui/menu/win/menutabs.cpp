/*
** Tabbed containers: the entries stand in a column on the left as tabs;
** the attached object of the current tab is shown beside them as a page,
** a child window sized to the room left.
*/
#include <windows.h>

#include "gui/layout.h"
#include "ui/dialog/win/dialogwin.h"
#include "ui/drag/dwgeom.h"
#include "ui/menu/win/menuwin.h"

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
  if (v->kind == MN_DIALOG) {
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
void mn_tab_size(struct mn_view *v, int width, int total, int *w, int *h) {
  int top = is_top_level(v->wnd);
  int min_w = width + 6 + 20, min_h = total + (top ? 23 : 5);
  *w = lay_size(v->c->w) < min_w ? min_w : lay_size(v->c->w);
  *h = lay_size(v->c->h) < min_h ? min_h : lay_size(v->c->h);
}

int mn_is_tab(struct gr_entry *e) {
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

/* the view of a page window: a menu window's, or a dialog frame's */
static struct mn_view *page_view(HWND page) {
  struct mn_view *o = mn_view_of(page);
  return o ? o : dw_view_of_frame(page);
}

/* whether the page window shows c */
static int page_shows(HWND page, struct gr_container *c) {
  if (page == NULL || !IsWindow(page)) return 0;
  struct mn_view *o = page_view(page);
  if (o) return o->c == c;
  struct dw_record *d = dw_rec(page);
  return d && d->desc == c;
}

/* A re-layout keeps the page that shows the current tab, moved and sized
   to the room left; only a page of another object is made anew. */
void mn_tab_keep_page(struct mn_view *v) {
  struct gr_entry *tab = v->c->tab;
  if (tab == NULL || !gr_valid_entry(tab) || tab->owner != v->c || !tab->sub ||
      !page_shows(v->page, tab->sub)) {
    mn_tab_open_page(v, tab);
    return;
  }
  struct gr_container *sub = tab->sub;
  int x, y, w = sub->w, h = sub->h;
  page_place(v, &x, &y, &sub->w, &sub->h);
  redraw_tabs(v);
  HWND page = v->page;
  /* sizes as the page was made: a dialog frame holds to its own bounds */
  int dialog = dw_rec(page) != NULL;
  int pw = dialog ? dg_size(sub->w, DG_DEFAULT_W, DG_MIN_W) : lay_size(sub->w);
  int ph = dialog ? dg_size(sub->h, DG_DEFAULT_H, DG_MIN_H) : lay_size(sub->h);
  RECT r;
  GetWindowRect(page, &r);
  MapWindowPoints(NULL, GetParent(page), (POINT *)&r, 2);
  int moved = r.left != x || r.top != y;
  int sized = w != sub->w || h != sub->h || r.right - r.left != pw ||
              r.bottom - r.top != ph;
  if (moved || sized) MoveWindow(page, x, y, pw, ph, TRUE);
  struct mn_view *o = page_view(page);
  if (sized && o && o->kind == MN_MENU) mn_build(o);   /* rows take the width */
}

/* Shows tab's page (the first tab's when tab is null or gone), replacing
   the page shown so far. */
void mn_tab_open_page(struct mn_view *v, struct gr_entry *tab) {
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
  HWND page = mn_show(sub, v->kind == MN_DIALOG ? wnd : v->wnd, WS_CHILD, 0, x, y);
  /* the page's own command may have rebuilt this window meanwhile */
  for (struct mn_view *now = mn_views; now; now = now->next)
    if (now->inner == wnd && page && IsWindow(page)) now->page = page;
}
