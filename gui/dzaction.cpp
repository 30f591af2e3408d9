/*
** Designer actions. Each runs under a protected call: the property writes
** it goes through may compile commands or run out of memory.
*/
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "gui/designer.h"
#include "gui/dzaction.h"
#include "gui/dzstyle.h"
#include "gui/gui.h"
#include "gui/move.h"
#include "gui/objects.h"
#include "gui/savestate.h"
#include "gui/view.h"

extern "C" {
#include "lauxlib.h"
}
#include "host/base/message.h"

static void no_close(void) {}
static void no_place(struct gr_entry *) {}
struct dz_ops dz_ops = {no_close, no_place};

#define KIND_BITS (GR_BUTTON | GR_SEPARATOR | GR_CHECKBOX | GR_RADIO | \
                   GR_LABELBIT | GR_EDIT | GR_MULTIBIT)
#define ATTACH_BITS (GR_ATT_MENU | GR_ATT_DIALOG)

static lua_State *dzL;
static int ctor_menu = LUA_NOREF, ctor_dialog = LUA_NOREF, ctor_table = LUA_NOREF;

static int keep(lua_State *L, const char *name) {
  lua_getglobal(L, name);
  return luaL_ref(L, LUA_REGISTRYINDEX);
}

void dza_open(lua_State *L) {
  dzL = L;
  ctor_menu = keep(L, "menu");
  ctor_dialog = keep(L, "dialog");
  ctor_table = keep(L, "table");
}

/* --- protected jobs --- */

struct job {
  void (*fn)(lua_State *L, struct job *j);
  const char *key, *text;
  int number;
  uint32_t bits;
};

static int run_job(lua_State *L) {
  struct job *j = (struct job *)lua_touserdata(L, 1);
  lua_settop(L, 0);
  j->fn(L, j);
  return 0;
}

static void protect(struct job *j) {
  if (dzL == NULL || dz.edited == NULL) return;
  if (lua_cpcall(dzL, run_job, j)) {
    const char *m = lua_tostring(dzL, -1);
    con_message(m ? m : "designer: error");
    con_message("\n");
    lua_pop(dzL, 1);
  }
}

static struct gr_entry *edited_entry(void) {
  void *r = dz.edited;
  return r && !gr_is_container(r) && gr_valid_entry(r) ? (struct gr_entry *)r : NULL;
}

static struct gr_container *edited_container(void) {
  void *r = dz.edited;
  return r && gr_is_container(r) && gr_valid_container(r)
             ? (struct gr_container *)r : NULL;
}

/* pushes the script object of the edited record; 0 when it has none */
static int push_edited(lua_State *L) {
  struct gr_entry *e = edited_entry();
  struct gr_container *c = edited_container();
  obj_push(L, e ? e->ref : c ? c->ref : GR_NOREF);
  return lua_istable(L, -1);
}

static void set_field(lua_State *L, const char *key) {
  /* object below the value: an ordinary write runs the property */
  lua_setfield(L, -2, key);
  lua_pop(L, 1);
}

static void job_text(lua_State *L, struct job *j) {
  if (!push_edited(L)) return;
  lua_pushstring(L, j->text);
  set_field(L, j->key);
}

static void job_number(lua_State *L, struct job *j) {
  if (!push_edited(L)) return;
  lua_pushinteger(L, j->number);
  set_field(L, j->key);
}

static void job_bool(lua_State *L, struct job *j) {
  if (!push_edited(L)) return;
  lua_pushboolean(L, j->number);
  set_field(L, j->key);
}

static void set(const char *key, const char *text) {
  struct job j = {job_text, key, text, 0, 0};
  protect(&j);
}

static void set_number(const char *key, int n, int boolean) {
  struct job j = {boolean ? job_bool : job_number, key, NULL, n, 0};
  protect(&j);
}

/* a new menu, or a new 100 by 100 dialog or table, pushed */
static void push_new(lua_State *L, uint32_t kind, int table) {
  int ref = table ? ctor_table : kind == GR_ATT_DIALOG ? ctor_dialog : ctor_menu;
  lua_rawgeti(L, LUA_REGISTRYINDEX, ref);
  lua_newtable(L);
  if (kind == GR_ATT_DIALOG) {
    lua_pushinteger(L, 100);
    lua_setfield(L, -2, "w");
    lua_pushinteger(L, 100);
    lua_setfield(L, -2, "h");
  }
  lua_call(L, 1, 1);
}

/* --- edits --- */

static const char *text_of(struct gr_entry *e) {
  const char *t = ei.text(e);
  return t ? t : "";
}

/* entries carrying c show its name too (a dialog's owner follows it
   already) */
static void rename_carriers(struct gr_container *c, const char *t) {
  for (struct gr_container *o = gr_containers; o; o = o->all_next)
    for (struct gr_entry *e = o->first; e; e = e->next)
      if (e->sub == c && (e->flags & ATTACH_BITS)) {
        gr_set_text(&e->name, t);
        gv.redraw(e);
        gui_refresh(o);
      }
}

/* A sheet's edit gives one line: a line break that reached its text (a
   paste, or a keyboard's Enter) is no part of a name, tip or size. */
static char *one_line(const char *t) {
  size_t n = strlen(t);
  char *s = (char *)malloc(n + 1);
  if (s == NULL) return NULL;
  size_t k = 0;
  for (size_t i = 0; i < n; i++)
    if (t[i] != '\r' && t[i] != '\n') s[k++] = t[i];
  s[k] = '\0';
  return s;
}

static void entered(int job, const char *t);

void dza_edit_entered(void *w, struct gr_entry *e, int reason, void *data) {
  (void)w;
  if (reason != 10) return;
  char *line = one_line(text_of(e));
  if (line == NULL) return;
  entered((int)(uintptr_t)data, line);
  free(line);
}

static void entered(int job, const char *t) {
  if (job == DZ_NAME) {
    set("name", t);
    struct gr_container *c = edited_container();
    if (c) rename_carriers(c, c->name);
  }
  else if (job == DZ_TIP) set("comment", t);
  else if (job == DZ_WIDTH || job == DZ_HEIGHT) {
    char *end;
    long n = strtol(t, &end, 10);
    if (end == t || n < 0 || n > 65535) {
      con_message("designer: a size is a number from 0 to 65535\n");
      return;
    }
    set_number(job == DZ_WIDTH ? "w" : "h", (int)n, 0);
  }
}

/* A command typed into the sheet becomes the record's command as soon as
   it compiles; half-typed texts are not reported. */
void dza_text_typed(void *w, struct gr_entry *e, int reason, void *data) {
  (void)w;
  if (reason != 0 || (int)(uintptr_t)data != DZ_COMMAND || dzL == NULL) return;
  const char *t = text_of(e);
  if (luaL_loadbuffer(dzL, t, strlen(t), "command")) {
    lua_pop(dzL, 1);
    return;
  }
  lua_pop(dzL, 1);
  set("command", t);
}

/* --- kinds and flags --- */

void dza_menu_type(void *w, struct gr_entry *e, int reason, void *data) {
  (void)w; (void)e;
  struct gr_container *c = edited_container();
  if (reason != 4 || c == NULL) return;
  c->cflags = (c->cflags & ~GR_CF_SCROLLED) | (uint32_t)(uintptr_t)data;
  gui_refresh(c);
}

void dza_dialog_flag(void *w, struct gr_entry *e, int reason, void *data) {
  (void)w;
  if (reason != 4) return;
  uint32_t bits = (uint32_t)(uintptr_t)data;
  int tab = e->owner && dz_find(e->owner, "Tabbed") != NULL;
  set_number(tab ? "tabbed" : "resizeable", bits != 0, 1);
}

static void job_attach(lua_State *L, struct job *j) {
  struct gr_entry *e = edited_entry();
  if (e == NULL || !push_edited(L)) return;
  int obj = lua_gettop(L);
  push_new(L, j->bits, j->number);
  struct gr_container *c = obj_container(L, -1);
  if (c == NULL) return;
  e->sub = c;
  e->flags = (e->flags & ~(KIND_BITS | ATTACH_BITS)) | j->bits;
  if (j->bits == GR_ATT_DIALOG) c->owner_entry = e;
  gr_set_text(&c->name, e->name);
  lua_pushvalue(L, obj);
  lua_setfield(L, -2, "parent");
  gv.redraw(e);
  if (e->owner) gui_refresh(e->owner);
}

void dza_control_type(void *w, struct gr_entry *e, int reason, void *data) {
  (void)w; (void)e;
  struct gr_entry *t = edited_entry();
  uint32_t bits = (uint32_t)(uintptr_t)data;
  if (reason != 4 || t == NULL) return;
  if (bits & GR_LINKED) {
    con_message("designer: scroll bars are not available in this build\n");
    return;
  }
  if (bits & ATTACH_BITS) {
    if (t->flags & ATTACH_BITS) return;   /* it carries one already */
    int table = e->name && strcmp(e->name, "Table") == 0;
    struct job j = {job_attach, NULL, NULL, table, bits};
    protect(&j);
    return;
  }
  if (bits == GR_LABELBIT) bits = GR_LABEL;
  if (t->flags & ATTACH_BITS) t->sub = NULL;   /* it stops carrying it */
  t->flags = (t->flags & ~(KIND_BITS | ATTACH_BITS)) | bits;
  gv.redraw(t);
  if (t->owner) gui_refresh(t->owner);
}

static void job_hang(lua_State *L, struct job *j) {
  if (!push_edited(L)) return;
  if (j->bits) push_new(L, j->bits, 0);
  else lua_newtable(L);   /* a table without a record takes it off */
  set_field(L, j->key);
}

static void hang(const char *key, uint32_t bits) {
  struct job j = {job_hang, key, NULL, 0, bits};
  protect(&j);
}

void dza_side(void *w, struct gr_entry *e, int reason, void *data) {
  (void)w; (void)e;
  struct gr_entry *t = edited_entry();
  uint32_t bits = (uint32_t)(uintptr_t)data;
  if (reason != 4 || t == NULL || (t->flags & ATTACH_BITS)) return;
  if (bits & GR_LINKED) {
    con_message("designer: scroll bars are not available in this build\n");
    return;
  }
  if (bits == 0 || t->sub == NULL) hang("sub", bits);
}

void dza_rclick(void *w, struct gr_entry *e, int reason, void *data) {
  (void)w; (void)e;
  struct gr_entry *t = edited_entry();
  uint32_t bits = (uint32_t)(uintptr_t)data;
  if (reason != 4 || t == NULL) return;
  if (bits == 0 || t->rmenu == NULL) hang("onRBUTTONCLICK", bits);
}

void dza_flag(void *w, struct gr_entry *e, int reason, void *data) {
  (void)w;
  if (reason != 4 || edited_entry() == NULL) return;
  uint32_t bits = (uint32_t)(uintptr_t)data;
  int drop = e->name && strstr(e->name, "dropping") != NULL;
  set_number(drop ? "vertdrop" : "container", bits != 0, 1);
}

void dza_checked(void *w, struct gr_entry *e, int reason, void *data) {
  (void)w; (void)e; (void)data;
  if (reason == 4 || reason == 0) set_number("checked", reason == 4, 1);
}

/* --- whole records --- */

static void job_add(lua_State *L, struct job *j) {
  struct gr_container *c = edited_container();
  struct gr_entry *e = mv_new_control(L, GR_BUTTON);
  if (c == NULL || e == NULL) return;
  mv_move(L, e, c, 0);
  j->text = (const char *)e;
}

void dza_add_control(void *w, struct gr_entry *e, int reason, void *data) {
  (void)w; (void)e; (void)data;
  if (reason != 10 || edited_container() == NULL) return;
  struct job j = {job_add, NULL, NULL, 0, 0};
  protect(&j);
  struct gr_entry *made = (struct gr_entry *)j.text;
  if (made && gr_valid_entry(made)) dz_ops.place(made);
}

static void close_designer(void) {
  dzs_drop();   /* Cancel and Delete leave the style as it was */
  dz.edited = NULL;
  dz_ops.close();
}

void dza_cancel(void *w, struct gr_entry *e, int reason, void *data) {
  (void)w; (void)e; (void)data;
  if (reason == 10) close_designer();
}

static void job_delete(lua_State *L, struct job *j) {
  (void)j;
  if (push_edited(L)) obj_release(L, -1, 1);
}

void dza_delete(void *w, struct gr_entry *e, int reason, void *data) {
  (void)w; (void)e; (void)data;
  if (reason != 10 || edited_entry() == NULL) return;
  struct job j = {job_delete, NULL, NULL, 0, 0};
  protect(&j);
  close_designer();
}
