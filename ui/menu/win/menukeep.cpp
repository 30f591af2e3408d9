/*
** Entry windows kept across a re-layout. A container that lays out again
** moves the windows of the entries it still holds instead of making them
** anew: an edit keeps its text, caret and undo history, a table its scroll
** position, and no command hears of windows that never went away. Only
** the windows of entries that left (or changed into another kind of
** window) go, and only new entries get new windows.
*/
#include <windows.h>

#include "gui/gui.h"
#include "host/base/heap.h"
#include "ui/frame/win/button.h"
#include "ui/dialog/win/dialogwin.h"
#include "ui/menu/win/menuwin.h"
#include "ui/dialog/win/numspin.h"

/* What a window made for an entry holds inside: an editor, and whether
   that is one with bars. A window of another shape cannot be kept. */
static uint32_t shape_of(const struct gr_entry *e) {
  return e->flags & (GR_EDIT | GR_MULTIBIT);
}

static int embeds(const struct gr_entry *e) {
  return (e->flags & GR_ATTACHED) && (e->flags & GR_CHECKED) && e->sub &&
         gr_valid_container(e->sub);
}

/* whether w, made for e, can show e now in a view of c */
static int still_fits(HWND w, struct gr_entry *e, struct gr_container *c,
                      int dialog) {
  if (w == NULL || !IsWindow(w) || !gr_valid_entry(e) || e->owner != c)
    return 0;
  if (dialog && embeds(e)) {   /* the embedded object's own window */
    struct mn_view *o = mn_view_of(w);
    struct dw_record *d = dw_rec(w);
    return (o && o->c == e->sub) || (d && d->desc == e->sub);
  }
  struct fw_btn_record *r = fw_btn_rec(w);
  return mn_entry_of(w) == e && r && r->value == shape_of(e);
}

/* A window that goes may run a command (an editor tells its control, an
   embedded object its container) that closes v: nothing of v is read once
   the first window went. */
void mn_keep_take(struct mn_view *v, struct mn_keep_old *o) {
  struct gr_container *c = v->c;
  int dialog = v->kind == MN_DIALOG && !gr_tabbed(c);   /* embeds */
  o->wnd = v->entries;
  o->shown = v->shown;
  o->n = v->count;
  o->current = v->current;
  v->entries = NULL;
  v->shown = NULL;
  v->count = 0;
  v->current = NULL;
  for (int i = 0; i < o->n; i++) {
    if (o->wnd[i] && !(o->shown && still_fits(o->wnd[i], o->shown[i], c, dialog))) {
      HWND w = o->wnd[i];
      o->wnd[i] = NULL;
      if (IsWindow(w)) DestroyWindow(w);
    }
  }
}

HWND mn_keep_claim(struct mn_keep_old *o, struct gr_entry *e) {
  for (int i = 0; i < o->n; i++)
    if (o->wnd[i] && o->shown && o->shown[i] == e) {
      HWND w = o->wnd[i];
      o->wnd[i] = NULL;
      return IsWindow(w) ? w : NULL;
    }
  return NULL;
}

void mn_keep_drop(struct mn_view *v, struct mn_keep_old *o) {
  for (int i = 0; i < o->n; i++)
    if (o->wnd[i] && IsWindow(o->wnd[i])) DestroyWindow(o->wnd[i]);
  /* the highlighted entry stays highlighted when its window stayed */
  for (int i = 0; v && i < v->count; i++)
    if (o->current && v->entries[i] == o->current) v->current = o->current;
  if (o->wnd) hp_free(o->wnd);
  if (o->shown) hp_free(o->shown);
  o->wnd = NULL;
  o->shown = NULL;
  o->n = 0;
}

void mn_keep_alloc(struct mn_view *v, int n) {
  v->entries = (HWND *)hp_alloc(sizeof(HWND) * (n ? n : 1));
  v->shown = (struct gr_entry **)hp_alloc(sizeof(struct gr_entry *) * (n ? n : 1));
  v->count = n;
}

/* Moves a kept window only when it is not where it belongs: a move that
   changes nothing would still repaint it. */
static void place(HWND w, int x, int y, int cw, int ch) {
  RECT r;
  GetWindowRect(w, &r);
  MapWindowPoints(NULL, GetParent(w), (POINT *)&r, 2);
  if (r.left != x || r.top != y || r.right - r.left != cw || r.bottom - r.top != ch)
    MoveWindow(w, x, y, cw, ch, TRUE);
}

HWND mn_keep_entry(struct mn_view *v, struct mn_keep_old *o, int i, struct gr_entry *e,
              int x, int y, int w, int h, int edits) {
  HWND b = mn_keep_claim(o, e);
  if (b) {
    SetWindowLongPtrA(b, GWLP_ID, i + 1);
    place(b, x, y, w, h);
    dw_spin_sync(b, e);
  } else {
    b = fw_btn_create(v->inner, e->name ? e->name : "", shape_of(e), x, y, w, h,
                   0, mn_entry_proc, i + 1, e);
    if (b == NULL) return NULL;
    /* the entry's own background never paints over its editor or bars */
    SetWindowLongA(b, GWL_STYLE, GetWindowLongA(b, GWL_STYLE) | WS_CLIPCHILDREN);
    dw_spin_attach(b, e);
    ShowWindow(b, SW_SHOWNA);
    if (edits) mn_ops.entry(b, e);   /* editor windows */
    mn_entry_fit(b);
  }
  v->entries[i] = b;
  v->shown[i] = e;
  return b;
}

void mn_keep_embedded(struct mn_view *v, int i, struct gr_entry *e, HWND w) {
  if (i < v->count) {
    v->entries[i] = w;
    v->shown[i] = w ? e : NULL;
  }
}
