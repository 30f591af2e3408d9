/*
** What the object model asks of the windows: re-layout, redraw, entry
** windows going away, showing containers, dropping attached objects open;
** all of it in one table the start-up list installs.
*/
#include <windows.h>

#include "gui/command.h"
#include "gui/gui.h"
#include "gui/view.h"
#include "host/base/heap.h"
#include "host/script/report.h"
#include "host/base/win/state.h"
#include "gui/layout.h"
#include "ui/frame/win/caption.h"
#include "ui/dialog/win/dialogwin.h"
#include "ui/frame/win/framed.h"
#include "ui/menu/win/freemenu.h"
#include "ui/win/iconcache.h"
#include "ui/win/mainwin.h"
#include "ui/menu/win/menuwin.h"
#include "ui/scroll/win/scroll.h"
#include "ui/win/wndprocs.h"
#include "host/base/message.h"

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
      if (v->entries[i] && mn_entry_of(v->entries[i]) == rec) redraw(v->entries[i]);
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
      if (v->entries[i] && mn_entry_of(v->entries[i]) == e) {
        HWND w = v->entries[i];
        v->entries[i] = NULL;
        if (v->current == w) v->current = NULL;
        DestroyWindow(w);
      }
    v = next;
  }
}

/* A control of a dialog moved or sized: its windows follow; an embedded
   object's window follows through a re-layout of the dialog. */
static void op_move(struct gr_entry *e) {
  if (e->owner == NULL) return;
  if ((e->flags & GR_ATTACHED) && (e->flags & GR_CHECKED)) {
    op_refresh(e->owner);
    return;
  }
  for (struct mn_view *v = mn_views; v; v = v->next) {
    if (v->kind != MN_DIALOG || v->c != e->owner || v->shown == NULL) continue;
    for (int i = 0; i < v->count; i++)
      if (v->shown[i] == e && v->entries[i] && IsWindow(v->entries[i]))
        MoveWindow(v->entries[i], lay_coord(e->x), lay_coord(e->y),
                   lay_size(e->w), lay_size(e->h), TRUE);
  }
}

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
      if (v->entries[i] && mn_entry_of(v->entries[i]) == rec) return v->entries[i];
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

void mn_rclick(HWND h, struct gr_container *c) {
  if (c == NULL || !gr_valid_container(c) || c->flags == GR_TABLE) return;
  POINT p;
  GetCursorPos(&p);
  RECT at = {p.x, p.y, p.x, p.y};   /* past the right edge: left of it */
  mn_from = &at;
  mn_show(c, h, WS_POPUP, 0, p.x, p.y);
  mn_from = NULL;
}

/* whether w goes with `open': it is open itself or hangs from it */
static int goes_with(HWND w, HWND open) {
  struct fw_record *r = fw_rec(GetAncestor(w, GA_ROOT));
  for (int guard = 0; r && hp_valid(r) && guard < 100; r = r->owner_rec, guard++)
    if (r->own == open) return 1;
  return 0;
}

/* Closes the pop-up open from v. When it holds the activation, the window
   of v's entries takes it first: otherwise the system would hand it to the
   main window, whose activation closes every pop-up, v's own window too. */
static void close_open(struct mn_view *v, HWND h) {
  HWND open = v->open, top = GetAncestor(h, GA_ROOT), active = GetActiveWindow();
  if (active && active != top && goes_with(active, open)) SetActiveWindow(top);
  if (IsWindow(open)) DestroyWindow(open);
}

void mn_drop(HWND h, struct gr_entry *e) {
  struct mn_view *v = view_of_entry(h);
  if (v == NULL || e->sub == NULL || !gr_valid_container(e->sub)) return;
  if (gr_tabbed(v->c) && !v->docked) {
    mn_tab_open_page(v, e);
    return;
  }
  if (v->open && IsWindow(v->open)) {
    struct mn_view *o = mn_view_of(v->open);
    if (o && o->from == e) return;   /* already open */
    close_open(v, h);
  }
  /* closing may have run commands: the entry's window must still be there
     to open from (never a rectangle that was not filled in) */
  RECT r;
  if (!IsWindow(h) || !GetWindowRect(h, &r) || !gr_valid_entry(e) ||
      e->sub == NULL || !gr_valid_container(e->sub))
    return;
  int x = r.right - 4, y = r.top;
  if (e->flags & GR_VERTDROP) {   /* below: held inside the area, no flip */
    x = r.left;
    y = r.bottom;
  } else {
    mn_from = &r;   /* beside: past the right edge, left of the entry */
  }
  HWND w = mn_show(e->sub, h, WS_POPUP, 0, x, y);
  mn_from = NULL;
  struct mn_view *o = w ? mn_view_of(w) : NULL;
  if (o) o->from = e;
  v = view_of_entry(h);   /* the dialog's command may have changed things */
  if (v) v->open = w;
}

LRESULT CALLBACK mn_client_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_RBUTTONDOWN) {
    HWND top = GetParent(h);
    if (GetClassLongA(top, GCW_ATOM) == GetClassLongA(h, GCW_ATOM))
      top = GetParent(top);
    struct mn_view *v = mn_view_of(top);
    if (v) mn_rclick(h, v->c->rmenu);
    return 0;
  }
  return DefWindowProcA(h, msg, w, l);
}

const struct gv_ops mn_view_ops = {
  op_refresh, op_redraw, op_entry_gone, op_move, op_show, op_window_of,
  op_instance, op_exists, op_shrunk, op_set_shrunk, op_icon_load,
  op_icon_drop};

void mn_init(void) { mn_free_init(); }
