/*
** Default window-side operations: nothing is shown.
*/
#include "gui/view.h"

static void no_container(struct gr_container *c) { (void)c; }
static void no_rec(void *r) { (void)r; }
static void no_entry(struct gr_entry *e) { (void)e; }
static void no_show(struct gr_container *c, int x, int y) {
  (void)c; (void)x; (void)y;
}
static void *no_window(void *r) { (void)r; return 0; }
static int no_instance(void *w) { (void)w; return 0; }
static int no_exists(void *w) { (void)w; return 0; }
static int shrunk_flag;
static int get_shrunk(void) { return shrunk_flag; }
static void set_shrunk(int on) { shrunk_flag = on; }
static void *no_icon(const char *f) { (void)f; return 0; }
static void no_drop(void *i) { (void)i; }

struct gv_ops gv = {no_container, no_rec, no_entry, no_entry, no_show,
                    no_window, no_instance, no_exists, get_shrunk, set_shrunk,
                    no_icon, no_drop};

static const char *name_text(struct gr_entry *e) { return e->name; }
static int line0(struct gr_entry *e) { (void)e; return 0; }
static void no_line(struct gr_entry *e, int l) { (void)e; (void)l; }
static int no_sel(struct gr_entry *e, const char **t, int *b, int *end) {
  *t = "";
  *b = *end = 0;
  return e != 0;
}
static void no_undo(struct gr_entry *e, int u) { (void)e; (void)u; }

struct ei_ops ei = {name_text, line0, no_line, no_sel, no_undo};
