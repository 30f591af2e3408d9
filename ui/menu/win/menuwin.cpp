/*
** Menu windows, their layout, and the window-side operations of the object
** model (gui/view.h).
*/
#include <windows.h>

#include "gui/gui.h"
#include "gui/layout.h"
#include "gui/notify.h"
#include "gui/view.h"
#include "host/base/heap.h"
#include "host/base/win/state.h"
#include "ui/frame/win/button.h"
#include "ui/frame/win/caption.h"
#include "ui/drag/dwgeom.h"
#include "ui/frame/win/framed.h"
#include "ui/menu/win/menuwin.h"
#include "ui/dialog/win/numspin.h"

struct mn_view *mn_views = NULL;
static void no_entry(HWND, struct gr_entry *) {}
static void none_built(void) {}
struct mn_ops mn_ops = {no_entry, none_built};

struct mn_view *mn_view_of(HWND w) {
  for (struct mn_view *v = mn_views; v; v = v->next)
    if (v->wnd == w) return v;
  return NULL;
}

void mn_clear_entries(struct mn_view *v) {
  HWND *list = v->entries;
  int n = v->count;
  if (v->shown) hp_free(v->shown);
  v->entries = NULL;
  v->shown = NULL;
  v->count = 0;
  v->current = NULL;
  for (int i = 0; i < n; i++)
    if (list[i] && IsWindow(list[i])) DestroyWindow(list[i]);
  if (list) hp_free(list);
}

void mn_unlink_view(struct mn_view *v) {
  for (struct mn_view **p = &mn_views; *p; p = &(*p)->next)
    if (*p == v) {
      *p = v->next;
      return;
    }
}

static LRESULT CALLBACK mn_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_DESTROY) {
    struct mn_view *v = mn_view_of(h);
    if (v) {
      HWND open = v->open;
      struct gr_container *c = v->c;
      mn_unlink_view(v);
      mn_clear_entries(v);
      if (v->page && IsWindow(v->page)) DestroyWindow(v->page);
      struct fw_record *r = fw_rec(h);
      if (r) r->menu = NULL;
      mn_scroll_free(v);
      hp_free(v);
      if (open && IsWindow(open)) DestroyWindow(open);
      nt_notify(h, c, NT_DESTROYED);   /* the view is gone: a command may
                                          change the container freely */
    }
  }
  if (msg == WM_MOUSEWHEEL && mn_scroll_wheel(mn_view_of(h), (short)HIWORD(w)))
    return 0;
  if (msg == WM_SIZE && w != SIZE_MINIMIZED) {
    LRESULT res = fw_pass(h, msg, w, l);
    struct mn_view *v = mn_view_of(h);
    if (v && v->docked) mn_build(v);
    return res;
  }
  return fw_pass(h, msg, w, l);
}

static HWND client(HWND parent) {
  return CreateWindowExA(0, "MenuClient187561", NULL,
                         WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 1, 1,
                         parent, NULL, trelk.instance, NULL);
}

struct mn_view *mn_adopt(HWND w, struct gr_container *c, int docked) {
  struct fw_record *r = fw_rec(w);
  if (r == NULL) return NULL;
  struct mn_view *v = (struct mn_view *)hp_alloc(sizeof *v);
  v->c = c;
  v->wnd = w;
  v->docked = docked;
  v->outer = client(w);
  v->inner = client(v->outer);
  v->next = mn_views;
  mn_views = v;
  r->menu = v;
  SetWindowLongPtrA(w, GWLP_WNDPROC, (LONG_PTR)mn_proc);
  mn_build(v);
  return v;
}

static void measure(struct mn_view *v, struct lay_row *rows) {
  HDC dc = GetDC(NULL);
  int i = 0;
  for (struct gr_entry *e = v->c->first; e; e = e->next, i++) {
    SIZE sz = {0, 0};
    const char *t = e->name ? e->name : "";
    GetTextExtentPoint32A(dc, t, lstrlenA(t), &sz);
    if (sz.cy == 0) GetTextExtentPoint32A(dc, "M", 1, &sz), sz.cx = 0;
    if (e->flags & GR_EDIT) {   /* an editor window takes the control's size */
      sz.cx = e->w;
      if ((e->flags & GR_MULTIEDIT) == GR_MULTIEDIT && e->h > sz.cy) sz.cy = e->h;
    }
    rows[i].flags = e->flags;
    rows[i].has_sub = (e->sub && !(e->flags & GR_ATTACHED)) ||
                      ((e->flags & GR_EDIT) && e->digital);
    rows[i].text_w = sz.cx;
    rows[i].text_h = sz.cy;
  }
  ReleaseDC(NULL, dc);
}

static int is_top_level(HWND w) {
  return !(GetWindowLongA(w, GWL_STYLE) & WS_CHILD);
}

/* Lays out the floating rows; returns the entry width and sets the area
   the rows are shown in and whether they scroll. */
static int floating(struct mn_view *v, struct lay_row *rows, int n, int *area,
                    int *scroll) {
  int top = is_top_level(v->wnd);
  int width = lay_floating(rows, n, &v->total);
  int fw, fh;
  *area = v->total;
  *scroll = 0;
  if (gr_tabbed(v->c)) {
    mn_tab_size(v, width, v->total, &fw, &fh);
  } else {
    int limit = mn_scroll_limit(v, top);
    *scroll = limit >= 0 && v->total > limit;
    if (*scroll) *area = limit;
    /* in another window the rows take that window's width; room for a
       bar only when they scroll */
    if (!top) width = lay_table_width(v->c->w, v->total, *scroll ? limit : v->total);
    fw = width + 6 + (*scroll ? 15 : 0);
    fh = *area + (top ? 23 : 5);
  }
  SetWindowPos(v->wnd, NULL, 0, 0, fw, fh,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return width;
}

/* Lays v out again. The windows of entries it still holds are kept and
   moved; see menukeep.cpp. */
void mn_build(struct mn_view *v) {
  if (v == NULL || trelk.shutdown) return;
  if (v->kind == MN_DIALOG) {
    dw_build(v);
    return;
  }
  HWND wnd = v->wnd;
  struct mn_keep_old old;
  mn_keep_take(v, &old);
  if (mn_view_of(wnd) != v) {   /* a command of a window that went closed it */
    mn_keep_drop(NULL, &old);
    return;
  }
  int n = gr_count(v->c);
  struct lay_row *rows =
      (struct lay_row *)hp_alloc(sizeof(struct lay_row) * (n ? n : 1));
  measure(v, rows);
  int width, x0 = 3, y0 = is_top_level(v->wnd) ? 20 : 2, area, scroll = 0;
  if (v->docked) {
    RECT rc;
    GetClientRect(v->wnd, &rc);
    width = rc.right - 4;
    area = rc.bottom - 4;
    lay_docked(rows, n, area);
    x0 = y0 = 2;
    v->total = area;
  } else {
    width = floating(v, rows, n, &area, &scroll);
  }
  if (v->rows) hp_free(v->rows);
  v->rows = rows;
  v->view_h = area;
  MoveWindow(v->outer, x0, y0, width, area, TRUE);
  mn_keep_alloc(v, n);
  int i = 0;
  for (struct gr_entry *e = v->c->first; e; e = e->next, i++)
    mn_keep_entry(v, &old, i, e, 0, rows[i].y, width, rows[i].h, 1);
  mn_keep_drop(v, &old);
  mn_scroll_place(v, scroll, x0, y0, width);
  if (gr_tabbed(v->c) && !v->docked) {
    mn_tab_keep_page(v);
  } else if (v->page) {
    HWND page = v->page;
    v->page = NULL;
    if (IsWindow(page)) DestroyWindow(page);
  }
  InvalidateRect(v->wnd, NULL, TRUE);
  mn_ops.built();   /* script code may run: last */
}

int mn_content_height(HWND w) {
  struct fw_record *r = fw_rec(w);
  struct mn_view *v = r ? (struct mn_view *)r->menu : NULL;
  if (v == NULL || gr_tabbed(v->c)) return -1;   /* tabs keep their size */
  return v->view_h;   /* the rows shown: less than all when they scroll */
}

static void centre(int *x, int *y, int w, int h) {
  RECT wa;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  if (*x < 0) *x = wa.left + (wa.right - wa.left - w) / 2;
  if (*y < 0) *y = wa.top + (wa.bottom - wa.top - h) / 2;
}

const RECT *mn_from = NULL;

void mn_on_screen(HWND owner, int w, int h, int *x, int *y) {
  const RECT *f = mn_from;
  mn_from = NULL;
  RECT wa, o;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  if (f == NULL && owner && GetWindowRect(GetAncestor(owner, GA_ROOT), &o)) f = &o;
  struct dg_rect area = {wa.left, wa.top, wa.right, wa.bottom}, from;
  if (f) from = {f->left, f->top, f->right, f->bottom};
  dg_on_screen(&area, f ? &from : NULL, w, h, x, y);
}

HWND mn_open(struct gr_container *c, HWND owner, int x, int y, int finish) {
  /* owned by a top-level window: the framed layer takes the user data of
     the owner for a framed record */
  owner = owner ? GetAncestor(owner, GA_ROOT) : NULL;
  HWND w = fw_create(owner, c->name ? c->name : "", FW_KIND_MENU, 0, 0, 100,
                     100, 0, NULL, 0, WS_POPUP, 0);
  if (w == NULL) return NULL;
  mn_adopt(w, c, 0);
  RECT r;
  GetWindowRect(w, &r);
  centre(&x, &y, r.right - r.left, r.bottom - r.top);
  mn_on_screen(owner, r.right - r.left, r.bottom - r.top, &x, &y);
  SetWindowPos(w, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  ShowWindow(w, SW_SHOWNA);
  if (finish) fw_cap_finish(w);
  nt_notify(w, c, NT_CREATED);
  return IsWindow(w) ? w : NULL;
}

HWND mn_open_child(struct gr_container *c, HWND parent, int x, int y) {
  HWND w = fw_create(parent, c->name ? c->name : "", FW_KIND_MENU,
                     lay_coord(x), lay_coord(y), lay_size(c->w),
                     lay_size(c->h), 0, NULL, 0, WS_CHILD, 0);
  if (w == NULL) return NULL;
  mn_adopt(w, c, 0);
  ShowWindow(w, SW_SHOWNA);
  nt_notify(w, c, NT_CREATED);
  return IsWindow(w) ? w : NULL;
}
