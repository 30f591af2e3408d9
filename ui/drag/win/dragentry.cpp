/*
** Entry windows carried by the drag frame. The frame moves windows; the
** drop here moves the entry behind the window, and the re-layout of both
** containers then rebuilds their windows.
*/
#include <windows.h>

#include "gui/gui.h"
#include "gui/move.h"
#include "ui/dialog/win/dialogwin.h"
#include "ui/drag/win/drag.h"
#include "ui/drag/win/dragentry.h"
#include "ui/menu/win/menuwin.h"

static int none_fixed(const struct gr_container *) { return 0; }
static void no_begin(struct gr_entry *) {}
struct dg_entry_ops dg_entry_ops = {none_fixed, no_begin};

static struct mn_view *view_showing(HWND t) {
  for (struct mn_view *v = mn_views; v; v = v->next)
    if (t == v->wnd || t == v->outer || t == v->inner) return v;
  return NULL;
}

/* first entry window of v whose middle lies below the point */
static int row_at(struct mn_view *v, POINT p) {
  for (int i = 0; i < v->count; i++) {
    RECT r;
    if (v->entries[i] && GetWindowRect(v->entries[i], &r) &&
        p.y < (r.top + r.bottom) / 2)
      return i;
  }
  return -1;
}

/* a dialog frame shows its description even before it has controls */
static struct gr_container *dialog_of_frame(HWND t) {
  struct dw_record *d = dw_rec(t);
  return d && gr_valid_container(d->desc) ? d->desc : NULL;
}

struct gr_container *dg_container_at(HWND t, POINT p, int *pos) {
  for (; t; t = GetParent(t)) {
    struct gr_entry *e = mn_entry_of(t);
    if (e && e->owner) {
      struct mn_view *v = view_showing(GetParent(t));
      *pos = v ? row_at(v, p) : gr_index(e);
      return e->owner;
    }
    struct mn_view *v = view_showing(t);
    if (v) {
      *pos = row_at(v, p);
      return v->c;
    }
    struct gr_container *d = dialog_of_frame(t);
    if (d) {
      *pos = 0;
      return d;
    }
    if (!(GetWindowLongA(t, GWL_STYLE) & WS_CHILD)) break;
  }
  return NULL;
}

/* where the frame now is, in the client area of the window showing the
   entries of c */
static void place(struct gr_entry *e, struct gr_container *c, HWND target) {
  RECT f;
  GetWindowRect(dg.frame, &f);
  POINT p = {f.left, f.top};
  HWND client = target;
  struct mn_view *v = NULL;
  for (HWND t = target; t && v == NULL; t = GetParent(t)) v = view_showing(t);
  if (v && v->c == c) client = v->inner;
  for (HWND t = target; v == NULL && t; t = GetParent(t))
    if (dialog_of_frame(t) == c) {
      client = dw_client(t);
      break;
    }
  if (client) ScreenToClient(client, &p);
  e->x = p.x;
  e->y = p.y;
  e->w = f.right - f.left;
  e->h = f.bottom - f.top;
}

void dg_entry_drop(HWND control, HWND target, uint32_t value, void *arg) {
  (void)control;
  (void)value;
  struct gr_entry *e = (struct gr_entry *)arg;
  POINT p = dg.drop_at;
  int pos = -1;
  struct gr_container *c = target ? dg_container_at(target, p, &pos) : NULL;
  if (c == NULL || !gr_valid_entry(e) || dg_entry_ops.fixed(c)) {
    dg_end(NULL, 0);   /* nowhere to go: back where it was */
    return;
  }
  if (e->owner == c && pos > gr_index(e)) pos--;   /* it leaves its slot */
  /* a dialog takes the control where the frame is; a table, like a
     menu, before the row under the pointer */
  if (c->flags == GR_DIALOG) place(e, c, target);
  dg_end(NULL, 0);
  mv_move(gui_L, e, c, pos);
  /* a dialog shown empty has no controls view yet: it gets one now */
  HWND f = c->flags == GR_DIALOG ? dw_window_of(c) : NULL;
  HWND client = f ? dw_client(f) : NULL;
  if (client && view_showing(client) == NULL) dw_ops.controls(client, c);
}

static void begin(HWND control, HWND frame, uint32_t value, void *arg) {
  (void)control; (void)frame; (void)value;
  struct gr_entry *e = (struct gr_entry *)arg;
  if (gr_valid_entry(e)) dg_entry_ops.begin(e);
}

/* an entry window that no menu window holds was made for the drag */
static int shown_in_view(HWND w) {
  struct mn_view *v = view_showing(GetParent(w));
  for (int i = 0; v && i < v->count; i++)
    if (v->entries[i] == w) return 1;
  return 0;
}

int dg_entry_lookup(HWND w, struct dg_control *out) {
  struct gr_entry *e = mn_entry_of(w);
  if (e == NULL) return 0;
  if (dg_entry_ops.fixed(e->owner)) return 1;   /* bits 0 */
  out->bits = DG_MOVABLE | DG_RESIZE | DG_SLIDE;
  if (!shown_in_view(w)) out->bits |= DG_TRANSIENT;
  out->begin = begin;
  out->begin_arg = e;
  out->drop = dg_entry_drop;
  out->drop_arg = e;
  return 1;
}
