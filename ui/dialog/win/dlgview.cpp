/*
** Controls of a shown dialog: one entry window per control in the dialog
** frame's client, at the control's own x, y, w, h. An attaching entry with
** its container bit shows its object embedded in that rectangle; without
** it the entry drops the object open like a menu entry does.
*/
#include <windows.h>

#include "gui/layout.h"
#include "host/base/heap.h"
#include "ui/frame/win/button.h"
#include "ui/dialog/win/dialogwin.h"
#include "ui/menu/win/menuwin.h"
#include "ui/dialog/win/numspin.h"

static struct mn_view *view_of_client(HWND client) {
  for (struct mn_view *v = mn_views; v; v = v->next)
    if (v->kind == MN_DIALOG && v->inner == client) return v;
  return NULL;
}

struct mn_view *dw_view_of_frame(HWND frame) {
  for (struct mn_view *v = mn_views; v; v = v->next)
    if (v->kind == MN_DIALOG && v->wnd == frame) return v;
  return NULL;
}

static int embeds(const struct gr_entry *e) {
  return (e->flags & GR_ATTACHED) && (e->flags & GR_CHECKED) && e->sub &&
         gr_valid_container(e->sub);
}

static HWND embed(struct mn_view *v, struct gr_entry *e) {
  struct gr_container *sub = e->sub;
  sub->w = e->w;
  sub->h = e->h;
  HWND w = mn_show(sub, v->inner, WS_CHILD, 0, e->x, e->y);
  struct mn_view *o = w ? mn_view_of(w) : NULL;
  if (o) o->from = e;
  return w;
}

/* An embedded object kept across a re-layout follows its entry's
   rectangle; only a new size lays its rows out again. */
static void keep_embedded(HWND w, struct gr_entry *e) {
  struct gr_container *sub = e->sub;
  int sized = sub->w != e->w || sub->h != e->h;
  sub->w = e->w;
  sub->h = e->h;
  RECT r;
  GetWindowRect(w, &r);
  MapWindowPoints(NULL, GetParent(w), (POINT *)&r, 2);
  int x = lay_coord(e->x), y = lay_coord(e->y);
  if (r.left != x || r.top != y) SetWindowPos(w, NULL, x, y, 0, 0,
                                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  struct mn_view *o = mn_view_of(w);
  if (!sized) return;
  if (dw_rec(w)) dw_resize_all(sub);
  else if (o) mn_build(o);
}

/* A tabbed dialog in a dialog frame: its entries are a column of tabs at
   the client's left edge, laid out as menu rows. */
static void build_tabs(struct mn_view *v, struct mn_keep_old *old) {
  int n = gr_count(v->c);
  struct lay_row *rows =
      (struct lay_row *)hp_alloc(sizeof(struct lay_row) * (n ? n : 1));
  HDC dc = GetDC(NULL);
  int i = 0;
  for (struct gr_entry *e = v->c->first; e; e = e->next, i++) {
    SIZE sz = {0, 0};
    const char *t = e->name && e->name[0] ? e->name : "M";
    GetTextExtentPoint32A(dc, t, lstrlenA(t), &sz);
    rows[i].flags = e->flags;
    rows[i].has_sub = 0;
    rows[i].text_w = e->name && e->name[0] ? sz.cx : 0;
    rows[i].text_h = sz.cy;
  }
  ReleaseDC(NULL, dc);
  int width = lay_floating(rows, n, &v->total);
  mn_keep_alloc(v, n);
  i = 0;
  for (struct gr_entry *e = v->c->first; e; e = e->next, i++)
    mn_keep_entry(v, old, i, e, 1, rows[i].y + 1, width, rows[i].h, 0);
  hp_free(rows);
  mn_keep_drop(v, old);
  mn_tab_keep_page(v);
}

/* Lays the controls out again: the windows of controls still there are
   kept and moved (menukeep.cpp), embedded objects too. */
void dw_build(struct mn_view *v) {
  HWND client = v->inner;
  struct mn_keep_old old;
  mn_keep_take(v, &old);
  if (view_of_client(client) != v) {
    mn_keep_drop(NULL, &old);
    return;
  }
  if (gr_tabbed(v->c)) {
    build_tabs(v, &old);
    return;
  }
  if (v->page) {   /* no longer tabbed */
    HWND page = v->page;
    v->page = NULL;
    if (IsWindow(page)) DestroyWindow(page);
  }
  int n = gr_count(v->c);
  mn_keep_alloc(v, n);
  int i = 0;
  for (struct gr_entry *e = v->c->first; e; e = e->next, i++) {
    if (embeds(e)) continue;   /* shown below, once the list is walked */
    mn_keep_entry(v, &old, i, e, lay_coord(e->x), lay_coord(e->y), lay_size(e->w),
             lay_size(e->h), 1);
  }
  /* embedded objects: kept ones follow their entries; a new one's command
     may change this dialog, so walk again and stop when the view is gone */
  for (i = 0; i < n; i++) {
    struct gr_entry *e = gr_at(v->c, i);
    if (e == NULL || !embeds(e)) continue;
    HWND w = mn_keep_claim(&old, e);
    if (w) keep_embedded(w, e);
    else w = embed(v, e);
    if (view_of_client(client) != v) {
      mn_keep_drop(NULL, &old);
      return;
    }
    mn_keep_embedded(v, i, e, w);
  }
  mn_keep_drop(v, &old);
  InvalidateRect(client, NULL, TRUE);
  mn_ops.built();   /* script code may run: last */
}

static LRESULT CALLBACK client_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  struct mn_view *v = view_of_client(h);
  WNDPROC prev = v ? v->prev : DefWindowProcA;
  if (msg == WM_SIZE && v && gr_tabbed(v->c)) {
    LRESULT res = CallWindowProcA(prev, h, msg, w, l);
    mn_build(v);   /* the page takes the new room */
    return res;
  }
  if (msg == WM_DESTROY && v) {
    mn_unlink_view(v);
    mn_clear_entries(v);
    hp_free(v);
  }
  return CallWindowProcA(prev, h, msg, w, l);
}

void dw_controls(HWND client, struct gr_container *desc) {
  if (view_of_client(client) || !gr_valid_container(desc)) return;
  struct mn_view *v = (struct mn_view *)hp_alloc(sizeof *v);
  v->kind = MN_DIALOG;
  v->c = desc;
  v->wnd = GetParent(client);
  v->outer = v->inner = client;
  v->prev = (WNDPROC)SetWindowLongPtrA(client, GWLP_WNDPROC, (LONG_PTR)client_proc);
  v->next = mn_views;
  mn_views = v;
  dw_build(v);
}

/* the right-click object of a dialog, opened at the pointer the way
   entries open theirs */
void dw_right_click(HWND client, struct gr_container *desc) {
  mn_rclick(client, desc->rmenu);
}
