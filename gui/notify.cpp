/*
** Notification dispatch and clicks.
*/
#include <stdlib.h>

#include "gui/command.h"
#include "gui/gui.h"
#include "gui/notify.h"
#include "gui/view.h"

int nt_paint_hold = 0;

struct nt_frame {
  void *wnd, *rec;
  struct nt_frame *down;
};
static struct nt_frame *nt_top = NULL;

int nt_in_progress(const void *rec) {
  for (struct nt_frame *f = nt_top; f; f = f->down)
    if (f->rec == rec) return 1;
  return 0;
}

int nt_depth(void) {
  int n = 0;
  for (struct nt_frame *f = nt_top; f; f = f->down) n++;
  return n;
}

static int rec_ref(void *rec, const char **command) {
  if (gr_is_container(rec)) {
    struct gr_container *c = (struct gr_container *)rec;
    *command = c->command;
    return c->ref;
  }
  struct gr_entry *e = (struct gr_entry *)rec;
  *command = e->command;
  return e->ref;
}

static void run_command(void *wnd, void *rec, int reason) {
  const char *command;
  int ref = rec_ref(rec, &command);
  lua_State *L = gui_L;
  if (L == NULL || command == NULL || command[0] == '\0' || ref == GR_NOREF)
    return;
  lua_rawgeti(L, LUA_REGISTRYINDEX, ref);
  cmd_run(L, -1, wnd, reason, gv.instance_of(wnd));
  lua_pop(L, 1);
}

void nt_notify(void *wnd, void *rec, int reason) {
  if (rec == NULL) return;
  uint32_t flags = *(uint32_t *)rec;
  if (flags == 0 || (flags & GR_QUIET)) return;
  int entry = !gr_is_container(rec);
  struct gr_entry *e = entry ? (struct gr_entry *)rec : NULL;
  struct nt_frame f = {wnd, rec, nt_top};
  nt_top = &f;
  if (e) e->busy++;
  if (e && e->callback) e->callback(wnd, e, reason, e->cb_data);
  int held = reason == NT_PAINT && entry && nt_paint_hold > 0;
  if (!held && !(e && e->dead)) run_command(wnd, rec, reason);
  nt_top = f.down;
  if (e) gr_entry_idle(e);
}

void nt_scroll(void *wnd, void *rec, int pos) {
  int outer = cmd_scroll_pos;
  cmd_scroll_pos = pos;
  nt_notify(wnd, rec, NT_SCROLL);
  cmd_scroll_pos = outer;
}

/* the radios of one clearing pass that have been told already */
struct told {
  struct gr_entry **list;
  int n, cap;
};

static int was_told(const struct told *t, const struct gr_entry *p) {
  for (int i = 0; i < t->n; i++)
    if (t->list[i] == p) return 1;
  return 0;
}

static int tell(struct told *t, struct gr_entry *p) {
  if (t->n == t->cap) {
    int cap = t->cap ? t->cap * 2 : 8;
    void *l = realloc(t->list, sizeof *t->list * (size_t)cap);
    if (l == NULL) return 0;
    t->list = (struct gr_entry **)l;
    t->cap = cap;
  }
  t->list[t->n++] = p;
  return 1;
}

/* the first checked radio of e's group other than e */
static struct gr_entry *other_checked(struct gr_entry *e) {
  struct gr_entry *p = gr_group_first(e);
  for (; p && (p->flags & GR_RADIO); p = p->next)
    if (p != e && (p->flags & GR_CHECKED)) return p;
  return NULL;
}

/* The group is searched again after each command: it may change it. A
   pass tells each radio once; one that checks itself again is cleared
   without being told again, so the pass ends whatever the commands do,
   and it ends as soon as e is no longer checked (a pass of another radio,
   started by a command, took over). Commands that keep checking each other
   recurse, and end in the stack overflow report of the protected call. */
void nt_radio_check(struct gr_entry *e) {
  e->flags |= GR_CHECKED;
  gv.redraw(e);
  struct told t = {NULL, 0, 0};
  struct gr_entry *p;
  while (gr_valid_entry(e) && (e->flags & GR_CHECKED) &&
         (p = other_checked(e)) != NULL) {
    p->flags &= ~GR_CHECKED;
    gv.redraw(p);
    if (was_told(&t, p) || !tell(&t, p)) continue;
    nt_notify(gv.window_of(p), p, NT_CLEARED);
  }
  free(t.list);
}

void nt_click(void *wnd, struct gr_entry *e) {
  if (!gr_valid_entry(e)) return;
  int reason = NT_CHOSEN;
  if (e->flags & GR_CHECKBOX) {
    e->flags ^= GR_CHECKED;
    reason = (e->flags & GR_CHECKED) ? NT_CHECKED : NT_CLEARED;
    gv.redraw(e);
  } else if (e->flags & GR_RADIO) {
    if (!(e->flags & GR_CHECKED)) nt_radio_check(e);
    reason = NT_CHECKED;
  }
  if (gr_valid_entry(e)) nt_notify(wnd, e, reason);
}
