/*
** What the object model asks of the windows: re-layout, redraw, entry
** windows going away, showing containers, dropping attached objects open;
** and the installation of all of it at start-up.
*/
#include <windows.h>

#include "gui/command.h"
#include "gui/gui.h"
#include "gui/view.h"
#include "host/heap.h"
#include "host/report.h"
#include "host/trelk.h"
#include "ui/caption.h"
#include "ui/dialogwin.h"
#include "ui/framed.h"
#include "ui/freemenu.h"
#include "ui/iconcache.h"
#include "ui/mainwin.h"
#include "ui/menuwin.h"
#include "ui/scroll.h"
#include "ui/wndprocs.h"

extern void con_message(const char *text);

static void op_refresh(struct gr_container *c) {
  for (struct mn_view *v = mn_views; v; v = v->next)
    if (v->c == c) mn_build(v);
}

static void redraw(HWND w) {
  RedrawWindow(w, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

static void op_redraw(void *rec) {
  for (struct mn_view *v = mn_views; v; v = v->next) {
    if (v->c == rec) {
      if (!(GetWindowLongA(v->wnd, GWL_STYLE) & WS_CHILD))
        SetWindowTextA(v->wnd, v->c->name ? v->c->name : "");
      redraw(v->wnd);
      continue;
    }
    for (int i = 0; i < v->count; i++)
      if (v->entries[i] && me_entry(v->entries[i]) == rec) redraw(v->entries[i]);
  }
}

static void op_entry_gone(struct gr_entry *e) {
  struct mn_view *v = mn_views;
  while (v) {
    struct mn_view *next = v->next;
    if (v->from == e && !(GetWindowLongA(v->wnd, GWL_STYLE) & WS_CHILD)) {
      DestroyWindow(v->wnd);   /* a pop-up opened from it */
      next = mn_views;
      v = next;
      continue;
    }
    for (int i = 0; i < v->count; i++)
      if (v->entries[i] && me_entry(v->entries[i]) == e) {
        HWND w = v->entries[i];
        v->entries[i] = NULL;
        if (v->current == w) v->current = NULL;
        DestroyWindow(w);
      }
    v = next;
  }
}

static void op_move(struct gr_entry *e) { (void)e; }

static void op_show(struct gr_container *c, int x, int y) {
  if (c->flags == GR_DIALOG) {
    con_message("Dialog windows are not available in this build\n");
    return;
  }
  mn_open(c, mw_window(), x, y, 1);
}

static void *op_window_of(void *rec) {
  for (struct mn_view *v = mn_views; v; v = v->next)
    for (int i = 0; i < v->count; i++)
      if (v->entries[i] && me_entry(v->entries[i]) == rec) return v->entries[i];
  return NULL;
}

static int op_instance(void *w) { (void)w; return 0; }
static int op_exists(void *w) { return w && IsWindow((HWND)w); }

static int op_shrunk(void) {
  struct fw_record *r = fw_rec(mw_window());
  return r && r->shrunk;
}

static void op_set_shrunk(int on) {
  if (!op_shrunk() != !on) mw_toggle_shrink();
}

static void *op_icon_load(const char *file) { return ic_load(file); }
static void op_icon_drop(void *icon) { ic_drop((HICON)icon); }

/* the entry window's view */
static struct mn_view *view_of_entry(HWND h) {
  HWND inner = GetParent(h);
  for (struct mn_view *v = mn_views; v; v = v->next)
    if (v->inner == inner) return v;
  return NULL;
}

void mn_drop(HWND h, struct gr_entry *e) {
  struct mn_view *v = view_of_entry(h);
  if (v == NULL || e->sub == NULL || !gr_valid_container(e->sub)) return;
  if (e->sub->flags == GR_DIALOG) return;   /* dialog windows come later */
  if (v->open && IsWindow(v->open)) {
    struct mn_view *o = mn_view_of(v->open);
    if (o && o->from == e) return;   /* already open */
    DestroyWindow(v->open);
  }
  RECT r;
  GetWindowRect(h, &r);
  int x = r.right - 4, y = r.top;
  if (e->flags & GR_VERTDROP) {
    x = r.left;
    y = r.bottom;
  }
  HWND w = mn_open(e->sub, h, x, y, 0);
  struct mn_view *o = mn_view_of(w);
  if (o) o->from = e;
  v->open = w;
}

static LRESULT CALLBACK client_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_RBUTTONDOWN) {
    HWND top = GetParent(h);
    if (GetClassLongA(top, GCW_ATOM) == GetClassLongA(h, GCW_ATOM))
      top = GetParent(top);
    struct mn_view *v = mn_view_of(top);
    if (v && v->c->rmenu && gr_valid_container(v->c->rmenu)) {
      POINT p;
      GetCursorPos(&p);
      mn_open(v->c->rmenu, h, p.x, p.y, 0);
    }
    return 0;
  }
  return DefWindowProcA(h, msg, w, l);
}

static int host_pcall(lua_State *L, int nargs) { return rep_pcall(L, nargs, 1); }

void mn_init(void) {
  gr_alloc = hp_alloc;
  gr_free = hp_free;
  cmd_pcall = host_pcall;
  cls_menu_client_proc = client_proc;
  gv.refresh = op_refresh;
  gv.redraw = op_redraw;
  gv.entry_gone = op_entry_gone;
  gv.move = op_move;
  gv.show = op_show;
  gv.window_of = op_window_of;
  gv.instance_of = op_instance;
  gv.window_exists = op_exists;
  gv.term_shrinked = op_shrunk;
  gv.set_term_shrinked = op_set_shrunk;
  gv.icon_load = op_icon_load;
  gv.icon_drop = op_icon_drop;
  cap_menu_height_hook = mn_content_height;
  fm_init();
  sb_init();
  dw_init();
}
