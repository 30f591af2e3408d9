/*
** The interface writer. It walks the native records from the main menu
** down, not the script tables (but for edit styles and the globals). The
** container written at depth d is held in the variable _d_, the entry in
** __d__; a variable is reused by the next object at its depth, which is
** safe because an object is finished before its next sibling starts.
** Global names that reach a written object are given to it again right
** after it is made ("form = _1_;"), so that start-up code and commands
** find it; global functions come in the order of their names, so that a
** file read back writes the same text again.
*/
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "gui/gui.h"
#include "gui/objects.h"
#include "gui/savestate.h"
#include "gui/ssquote.h"
#include "gui/view.h"

extern "C" {
#include "lobject.h"   /* the source text kept in function prototypes */
}

/* Deeper nesting than this is not written (it cannot come from a script
   that is not building cycles on purpose). */
#define SS_MAXDEPTH 100

/* a global name of an object */
struct gname {
  const void *rec;
  char *key;
  size_t n;
};

struct writer {
  lua_State *L;
  struct sbuf *b;
  struct gr_container *path[SS_MAXDEPTH];   /* containers being written */
  int depth;
  struct gname *names;   /* sorted by record, then name */
  int nnames;
};

static void write_entry(struct writer *w, struct gr_entry *e, int d,
                        int in_dialog);

void ss_prefix(struct sbuf *b, int d) {
  sb_add(b, "\n", 1);
  for (int i = 0; i < d; i++) sb_add(b, "\t", 1);
}

/* --- global functions --- */

static const char *source_of(lua_State *L, int idx) {
  if (lua_type(L, idx) != LUA_TFUNCTION || lua_iscfunction(L, idx)) return NULL;
  const Closure *cl = (const Closure *)lua_topointer(L, idx);
  return cl->l.p->srctext;
}

static int is_reserved(const char *s) {
  static const char *const words[] = {
      "and", "break", "do", "else", "elseif", "end", "false", "for",
      "function", "if", "in", "local", "nil", "not", "or", "repeat",
      "return", "then", "true", "until", "while", "asmfunc", "asm"};
  for (size_t i = 0; i < sizeof words / sizeof words[0]; i++)
    if (strcmp(s, words[i]) == 0) return 1;
  return 0;
}

static int is_name(const char *s, size_t n) {
  if (n == 0 || strlen(s) != n || (s[0] >= '0' && s[0] <= '9')) return 0;
  for (size_t i = 0; i < n; i++) {
    unsigned char c = (unsigned char)s[i];
    if (!(c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
          (c >= '0' && c <= '9')))
      return 0;
  }
  return !is_reserved(s);
}

/* The key of a global; one that is not a plain name goes through _G. */
static void write_key(struct sbuf *b, const char *s, size_t n) {
  if (is_name(s, n)) {
    sb_add(b, s, n);
    return;
  }
  sb_puts(b, "_G[\"");
  sq_text(b, s, n);
  sb_puts(b, "\"]");
}

/* byte order, shorter first on a common start */
static int key_order(const char *a, size_t an, const char *b, size_t bn) {
  int c = memcmp(a, b, an < bn ? an : bn);
  return c ? c : (an > bn) - (an < bn);
}

struct fname {
  char *key;
  size_t n;
};

static int fname_cmp(const void *a, const void *b) {
  const struct fname *x = (const struct fname *)a, *y = (const struct fname *)b;
  return key_order(x->key, x->n, y->key, y->n);
}

static char *copy_key(const char *s, size_t n) {
  char *k = (char *)malloc(n + 1);
  if (k) {
    memcpy(k, s, n);
    k[n] = '\0';
  }
  return k;
}

/* The string keys of the globals that hold functions with kept text, in
   the order of their names. A function without kept text (one whose
   nested function took it) is left out: "name = function" alone would not
   load. */
void ss_functions(lua_State *L, struct sbuf *b) {
  struct fname *list = NULL;
  int n = 0, cap = 0;
  lua_pushnil(L);
  while (lua_next(L, LUA_GLOBALSINDEX)) {
    if (lua_type(L, -2) == LUA_TSTRING && source_of(L, -1)) {
      if (n == cap) {
        cap = cap ? cap * 2 : 16;
        void *p = realloc(list, sizeof *list * (size_t)cap);
        if (p == NULL) b->failed = 1;
        else list = (struct fname *)p;
      }
      if (n < cap) {
        size_t len;
        const char *key = lua_tolstring(L, -2, &len);
        if ((list[n].key = copy_key(key, len)) != NULL) list[n++].n = len;
        else b->failed = 1;
      }
    }
    lua_pop(L, 1);
  }
  if (n > 1) qsort(list, (size_t)n, sizeof *list, fname_cmp);
  for (int i = 0; i < n; i++) {
    lua_pushlstring(L, list[i].key, list[i].n);
    lua_rawget(L, LUA_GLOBALSINDEX);
    const char *src = source_of(L, -1);
    if (src) {
      write_key(b, list[i].key, list[i].n);
      sb_puts(b, " = function");
      sb_puts(b, src);
    }
    lua_pop(L, 1);
    free(list[i].key);
  }
  free(list);
}

/* --- global names of objects --- */

/* the writer's own variables: _d_ and __d__ */
static int writer_var(const char *s, size_t n) {
  size_t u = 0;
  while (u < n && s[u] == '_') u++;
  if (u < 1 || u > 2 || n < 2 * u + 1) return 0;
  for (size_t i = u; i < n - u; i++)
    if (s[i] < '0' || s[i] > '9') return 0;
  for (size_t i = n - u; i < n; i++)
    if (s[i] != '_') return 0;
  return 1;
}

static int gname_cmp(const void *a, const void *b) {
  const struct gname *x = (const struct gname *)a, *y = (const struct gname *)b;
  if (x->rec != y->rec) return (uintptr_t)x->rec < (uintptr_t)y->rec ? -1 : 1;
  return key_order(x->key, x->n, y->key, y->n);
}

/* Every global that names a live object, but `trelk' (which the file
   starts from), the writer's variables and `this' (which commands set). */
static void collect_names(struct writer *w) {
  lua_State *L = w->L;
  int cap = 0;
  lua_pushnil(L);
  while (lua_next(L, LUA_GLOBALSINDEX)) {
    void *rec = NULL;
    size_t n = 0;
    const char *key = NULL;
    if (lua_type(L, -2) == LUA_TSTRING && lua_istable(L, -1)) {
      key = lua_tolstring(L, -2, &n);
      rec = obj_record(L, -1);
    }
    if (rec && rec != gui_main_menu && !writer_var(key, n) &&
        strcmp(key, "this") != 0) {
      if (w->nnames == cap) {
        cap = cap ? cap * 2 : 16;
        void *p = realloc(w->names, sizeof *w->names * (size_t)cap);
        if (p) w->names = (struct gname *)p;
      }
      char *k = w->nnames < cap ? copy_key(key, n) : NULL;
      if (k) {
        struct gname g = {rec, k, n};
        w->names[w->nnames++] = g;
      } else {
        w->b->failed = 1;
      }
    }
    lua_pop(L, 1);
  }
  if (w->nnames > 1)
    qsort(w->names, (size_t)w->nnames, sizeof *w->names, gname_cmp);
}

static void free_names(struct writer *w) {
  for (int i = 0; i < w->nnames; i++) free(w->names[i].key);
  free(w->names);
}

/* "name = _d_;" (or __d__) for every global name of rec */
static void write_names(struct writer *w, const void *rec, int d, int entry) {
  for (int i = 0; i < w->nnames; i++) {
    if (w->names[i].rec != rec) continue;
    ss_prefix(w->b, d);
    write_key(w->b, w->names[i].key, w->names[i].n);
    sb_printf(w->b, entry ? " = __%d__;" : " = _%d_;", d);
  }
}

/* --- containers --- */

static int on_path(struct writer *w, struct gr_container *c) {
  for (int i = 0; i < w->depth; i++)
    if (w->path[i] == c) return 1;
  return 0;
}

/* whether c can be written as the object of depth d */
static int writable(struct writer *w, struct gr_container *c, int d) {
  return c && gr_valid_container(c) && d < SS_MAXDEPTH && !on_path(w, c);
}

static void unquote_texts(void *rec, char *name, char *comment) {
  int changed = sq_unquote(name);
  changed |= sq_unquote(comment);
  if (changed) gv.redraw(rec);
}

static void text_field(struct sbuf *b, const char *key, const char *s) {
  if (s == NULL) return;
  sb_printf(b, " %s=\"", key);
  sq_text(b, s, strlen(s));
  sb_puts(b, "\",");
}

int ss_tabbed(const struct gr_container *c) {
  return (c->cflags & GR_CF_TABBED) != 0;
}

int ss_resizeable(const struct gr_container *c) {
  return (c->cflags & GR_CF_RESIZE) != 0;
}

/* A command read back from "function()\n" body "\nend" keeps the two line
   breaks the wrapping adds; they are taken off again so that writing what
   was read gives the same text. */
static void write_body(struct sbuf *b, const char *cmd) {
  size_t n = strlen(cmd);
  if (n >= 2 && cmd[0] == '\n' && cmd[n - 1] == '\n') {
    cmd++;
    n -= 2;
  } else if (n == 1 && cmd[0] == '\n') {
    n = 0;
  }
  sb_add(b, cmd, n);
}

static void write_entries(struct writer *w, struct gr_container *c, int d) {
  int n = gr_count(c), dialog = c->flags == GR_DIALOG;
  struct gr_entry **list =
      (struct gr_entry **)malloc(sizeof *list * (size_t)(n > 0 ? n : 1));
  if (list == NULL) {
    w->b->failed = 1;
    return;
  }
  int i = 0;
  for (struct gr_entry *e = c->first; e && i < n; e = e->next) list[i++] = e;
  /* a dialog puts each control it takes in front: the last in its list
     was the first inserted */
  for (int k = 0; k < i; k++)
    write_entry(w, list[dialog ? i - 1 - k : k], d, dialog);
  free(list);
}

/* A table is written as a table: written as a dialog it would come back
   with its rows as controls stacked at 0, 0. Its size is kept when it is
   not the 100 by 100 it starts with. */
static void write_container(struct writer *w, struct gr_container *c, int d) {
  struct sbuf *b = w->b;
  int table = c->flags == GR_TABLE, dialog = c->flags == GR_DIALOG;
  int flagged = dialog || table;   /* they take `tabbed' and `resizeable' */
  unquote_texts(c, c->name, c->comment);
  ss_prefix(b, d);
  sb_printf(b, "_%d_ = %s{", d, dialog ? "dialog" : table ? "table" : "menu");
  text_field(b, "name", c->name);
  text_field(b, "comment", c->comment);
  if (dialog) sb_printf(b, " w=%d, h=%d,", c->w, c->h);
  sb_puts(b, "};");
  if (table && (c->w != 100 || c->h != 100)) {
    ss_prefix(b, d);
    sb_printf(b, "_%d_.w = %d;_%d_.h = %d;", d, c->w, d, c->h);
  }
  if (flagged && ss_tabbed(c)) {
    ss_prefix(b, d);
    sb_printf(b, "_%d_.tabbed = true;", d);
  }
  if (flagged && ss_resizeable(c)) {
    ss_prefix(b, d);
    sb_printf(b, "_%d_.resizeable = true;", d);
  }
  if (c->command && *c->command) {
    ss_prefix(b, d);
    sb_printf(b, "_%d_.command = function()\n", d);
    write_body(b, c->command);
    sb_puts(b, "\nend\n");
  }
  write_names(w, c, d, 0);
  w->path[w->depth++] = c;
  write_entries(w, c, d);
  w->depth--;
}

/* --- entries --- */

static const char *constructor_of(uint32_t f) {
  if (f & GR_SEPARATOR) return "separator";
  if (f & GR_CHECKBOX) return "checkbox";
  if (f & GR_RADIO) return "radio";
  if (f & GR_LABELBIT) return "label";
  if (f & GR_EDIT) return (f & GR_MULTIBIT) ? "multiedit" : "edit";
  if (f & GR_BUTTON) return "button";
  return NULL;
}

static void write_control(struct writer *w, struct gr_entry *e, int d,
                          int in_dialog, const char *ctor) {
  struct sbuf *b = w->b;
  ss_prefix(b, d);
  sb_printf(b, "__%d__ = %s{", d, ctor);
  text_field(b, "name", e->name);
  text_field(b, "comment", e->comment);
  if (e->command && *e->command) {
    sb_puts(b, " command=\"");
    sq_command(b, e->command, strlen(e->command), 0);
    sb_puts(b, "\",");
  }
  sb_puts(b, "};");
  if ((e->flags & (GR_CHECKBOX | GR_RADIO)) && (e->flags & GR_CHECKED)) {
    ss_prefix(b, d);
    sb_printf(b, "__%d__.checked = true;", d);
  }
  if (e->flags & GR_EDIT) {
    if (e->digital) {
      ss_prefix(b, d);
      sb_printf(b, "__%d__.digital = %d;", d, e->digital);
    }
    obj_push(w->L, e->ref);
    ss_style(w->L, -1, d, b);
    lua_pop(w->L, 1);
  }
  ss_prefix(b, d);
  if (in_dialog)
    sb_printf(b, "_%d_:ins(__%d__,%d,%d,%d,%d);", d, d, e->x, e->y, e->w, e->h);
  else
    sb_printf(b, "_%d_:ins(__%d__);", d, d);
  write_names(w, e, d, 1);
}

/* the object of depth d + 1, then the statement that hangs it on __d__ */
static void write_hung(struct writer *w, struct gr_container *c, int d,
                       const char *prop) {
  write_container(w, c, d + 1);
  ss_prefix(w->b, d);
  sb_printf(w->b, "__%d__.%s = _%d_;", d, prop, d + 1);
}

/* an object set through `sub': a table hung there is not written */
static void write_sub(struct writer *w, struct gr_entry *e, int d) {
  struct gr_container *c = e->sub;
  if (!writable(w, c, d + 1) || c->flags == GR_TABLE) return;
  write_hung(w, c, d, "sub");
  if (e->flags & GR_VERTDROP) {
    ss_prefix(w->b, d);
    sb_printf(w->b, "__%d__.vertdrop = true;", d);
  }
}

static void write_rclick(struct writer *w, struct gr_entry *e, int d) {
  if (writable(w, e->rmenu, d + 1)) write_hung(w, e->rmenu, d, "onRBUTTONCLICK");
}

static void write_flag(struct sbuf *b, int d, const char *prop) {
  ss_prefix(b, d);
  sb_printf(b, "__%d__.%s = true;", d, prop);
}

/* An attaching entry in a dialog (not a tab) is shown at its own place, so
   its x, y, w, h are kept there as they are for an embedded object. */
static void write_attaching(struct writer *w, struct gr_entry *e, int d,
                            int in_dialog) {
  struct sbuf *b = w->b;
  write_container(w, e->sub, d + 1);
  ss_prefix(b, d);
  sb_printf(b, "__%d__ = _%d_:ins(_%d_);", d, d, d + 1);
  if (e->flags & GR_VERTDROP) write_flag(b, d, "vertdrop");
  if (e->flags & GR_CHECKED) write_flag(b, d, "container");
  if (e->command && *e->command) {
    ss_prefix(b, d);
    sb_printf(b, "__%d__.command = \"", d);
    sq_command(b, e->command, strlen(e->command), 1);
    sb_puts(b, "\";");
  }
  if ((e->flags & GR_CHECKED) || (in_dialog && !gr_tabbed(e->owner))) {
    ss_prefix(b, d);
    sb_printf(b, "__%d__.x = %d;__%d__.y = %d;__%d__.w = %d;__%d__.h = %d;",
              d, e->x, d, e->y, d, e->w, d, e->h);
  }
  write_names(w, e, d, 1);
}

/* The right-click object of an attaching entry follows its attach line:
   __d__ names the entry only from there on. */
static void write_entry(struct writer *w, struct gr_entry *e, int d,
                        int in_dialog) {
  uint32_t f = e->flags;
  const char *ctor = constructor_of(f);
  int attaching = (f & (GR_ATT_MENU | GR_ATT_DIALOG)) != 0;
  if (attaching ? !writable(w, e->sub, d + 1) : ctor == NULL) return;
  unquote_texts(e, e->name, e->comment);
  if (attaching) {
    write_attaching(w, e, d, in_dialog);
  } else {
    write_control(w, e, d, in_dialog, ctor);
    write_sub(w, e, d);
  }
  write_rclick(w, e, d);
}

void ss_build(lua_State *L, struct sbuf *b) {
  struct writer *w = (struct writer *)calloc(1, sizeof *w);
  if (w == NULL) {
    b->failed = 1;
    return;
  }
  w->L = L;
  w->b = b;
  sb_puts(b, "_0_ = trelk;\n\n");
  ss_functions(L, b);
  collect_names(w);
  struct gr_container *top = gui_main_menu;
  if (top && gr_valid_container(top)) {
    w->path[w->depth++] = top;
    for (struct gr_entry *e = top->first; e; e = e->next)
      write_entry(w, e, 0, 0);
  }
  free_names(w);
  free(w);
}
