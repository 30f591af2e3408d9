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
#include "gui/layout.h"
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

/* a dialog's frame no longer has the size of its description: a resize
   that would change nothing would still tell the dialog's command */
static int size_changed(struct gr_container *c) {
  HWND f = dw_window_of(c);
  RECT r;
  if (f == NULL || c->w <= 0 || c->h <= 0 || !GetWindowRect(f, &r)) return 0;
  return r.right - r.left != lay_size(c->w) || r.bottom - r.top != lay_size(c->h);
}

/* Rebuilding a view may destroy and create others (pages, embedded
   objects): take the list first and rebuild those still there. */
static void op_refresh(struct gr_container *c) {
  int n = 0;
  for (struct mn_view *v = mn_views; v; v = v->next) n += v->c == c;
  if (c->flags == GR_DIALOG && size_changed(c)) dw_resize_all(c);
  if (n == 0) return;
  struct mn_view **list = (struct mn_view **)hp_alloc(sizeof *list * n);
  int i = 0;
  for (struct mn_view *v = mn_views; v && i < n; v = v->next)
    if (v->c == c) list[i++] = v;
  for (i = 0; i < n; i++)
    for (struct mn_view *v = mn_views; v; v = v->next)
      if (v == list[i] && v->c == c) {
        mn_build(v);
        break;
      }
  hp_free(list);
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
    if (v->from == e) {
      DestroyWindow(v->wnd);   /* opened from it, or embedded for it */
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

HWND mn_show(struct gr_container *c, HWND owner, DWORD style, int finish,
             int x, int y) {
  if (c == NULL || !gr_valid_container(c)) return NULL;
  /* a tabbed dialog is a menu window of tabs, unless it is resizeable:
     then it keeps its dialog frame for the grip */
  if (c->flags != GR_DIALOG || (gr_tabbed(c) && !(c->cflags & GR_CF_RESIZE))) {
    if (style & WS_CHILD) return mn_open_child(c, owner, x, y);
    return mn_open(c, owner, x, y, finish);
  }
  /* a dialog takes the keyboard when shown: a pop-up that is not finished
     would be closed as a stray by the activations that follow */
  if (!(style & WS_CHILD)) {
    owner = owner ? GetAncestor(owner, GA_ROOT) : mw_window();
    finish = 1;
  }
  return dw_show(owner, c, style, finish, lay_coord(x), lay_coord(y));
}

static void op_show(struct gr_container *c, int x, int y) {
  mn_show(c, mw_window(), WS_POPUP, 1, x, y);
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
  if (gr_tabbed(v->c) && !v->docked) {
    mt_open_page(v, e);
    return;
  }
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
  HWND w = mn_show(e->sub, h, WS_POPUP, 0, x, y);
  struct mn_view *o = w ? mn_view_of(w) : NULL;
  if (o) o->from = e;
  v = view_of_entry(h);   /* the dialog's command may have changed things */
  if (v) v->open = w;
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
      mn_show(v->c->rmenu, h, WS_POPUP, 0, p.x, p.y);
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
  dv_init();   /* after dw_init: it installs the controls hook */
}
