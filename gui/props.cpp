/*
** Properties of GUI objects. Readers push one value (nil, false or 0 where
** a property does not apply); writers ignore what does not apply. A value
** of the wrong type counts as no text, as 0, or by Lua truth.
*/
#include <string.h>

#include "gui/command.h"
#include "gui/gui.h"
#include "gui/notify.h"
#include "gui/objects.h"
#include "gui/props.h"
#include "gui/view.h"

#define ENTRY(rec) (gr_is_container(rec) ? NULL : (struct gr_entry *)(rec))
#define CONT(rec) (gr_is_container(rec) ? (struct gr_container *)(rec) : NULL)

static void push_text(lua_State *L, const char *s) {
  if (s) lua_pushstring(L, s);
  else lua_pushnil(L);
}

static const char *text_arg(lua_State *L, int val) {
  return lua_type(L, val) == LUA_TSTRING ? lua_tostring(L, val) : NULL;
}

static int num_arg(lua_State *L, int val) {
  return lua_type(L, val) == LUA_TNUMBER ? obj_toint(lua_tonumber(L, val)) : 0;
}

static int has_attached(const struct gr_entry *e) {
  return e && ((e->flags & GR_ATTACHED) || e->sub);
}

static void refresh_owner(struct gr_entry *e) {
  if (e && e->owner) gui_refresh(e->owner);
}

/* Whether e's name takes part in its container's layout: rows of menus
   and tables, and tabs, are as wide as their texts; a dialog's controls
   have their own rectangles, and an edit's row its own width. */
static int name_lays_out(const struct gr_entry *e) {
  const struct gr_container *c = e ? e->owner : NULL;
  if (c == NULL || (e->flags & GR_EDIT)) return 0;
  return c->flags != GR_DIALOG || gr_tabbed(c);
}

/* --- texts --- */

static void rd_name(lua_State *L, void *rec) {
  struct gr_entry *e = ENTRY(rec);
  if (e && (e->flags & GR_EDIT)) push_text(L, ei.text(e));
  else push_text(L, e ? e->name : CONT(rec)->name);
}

/* A new name is redrawn where it shows; only a row whose width follows
   its text re-lays out its container, which moves windows but never
   remakes them. */
static void rename_entry(struct gr_entry *e, const char *s) {
  gr_set_text(&e->name, s);
  gv.redraw(e);
  if (name_lays_out(e)) refresh_owner(e);
}

static void wr_name(lua_State *L, void *rec, int obj, int val) {
  (void)obj;
  const char *s = text_arg(L, val);
  struct gr_entry *e = ENTRY(rec);
  if (e) {
    if (e->sub) {
      gr_set_text(&e->sub->name, s);
      gv.redraw(e->sub);
    }
    rename_entry(e, s);
    return;
  }
  struct gr_container *c = CONT(rec);
  gr_set_text(&c->name, s);
  gv.redraw(c);
  struct gr_entry *owner = c->owner_entry;
  if (owner && gr_valid_entry(owner)) rename_entry(owner, s);
}

static void rd_comment(lua_State *L, void *rec) {
  struct gr_entry *e = ENTRY(rec);
  push_text(L, e ? e->comment : CONT(rec)->comment);
}

static void wr_comment(lua_State *L, void *rec, int obj, int val) {
  (void)obj;
  struct gr_entry *e = ENTRY(rec);
  gr_set_text(e ? &e->comment : &CONT(rec)->comment, text_arg(L, val));
}

static void rd_command(lua_State *L, void *rec) {
  struct gr_entry *e = ENTRY(rec);
  push_text(L, e ? e->command : CONT(rec)->command);
}

static void wr_command(lua_State *L, void *rec, int obj, int val) {
  size_t len;
  const char *text = cmd_text(L, val, &len);
  struct gr_entry *e = ENTRY(rec);
  gr_set_text(e ? &e->command : &CONT(rec)->command, cmd_push_body(L, text, len));
  lua_pop(L, 1);
  cmd_set(L, obj, text, len);
}

/* --- containers --- */

static void set_cflag(lua_State *L, void *rec, int val, uint32_t bit) {
  if (!gr_takes_cflags(rec)) return;
  struct gr_container *c = CONT(rec);
  uint32_t was = c->cflags;
  if (lua_toboolean(L, val)) c->cflags |= bit;
  else c->cflags &= ~bit;
  if (c->cflags != was) gui_refresh(c);
}

static void rd_tabbed(lua_State *L, void *rec) {
  lua_pushboolean(L, gr_tabbed(CONT(rec)));
}

static void wr_tabbed(lua_State *L, void *rec, int obj, int val) {
  (void)obj;
  set_cflag(L, rec, val, GR_CF_TABBED);
}

static void wr_resizeable(lua_State *L, void *rec, int obj, int val) {
  (void)obj;
  set_cflag(L, rec, val, GR_CF_RESIZE);
}

/* --- geometry --- */

static int *geometry(void *rec, char which, int *dummy) {
  struct gr_entry *e = ENTRY(rec);
  struct gr_container *c = CONT(rec);
  switch (which) {
    case 'x': return e ? &e->x : dummy;
    case 'y': return e ? &e->y : dummy;
    case 'w': return e ? &e->w : &c->w;
    default: return e ? &e->h : &c->h;
  }
}

static void rd_geo(lua_State *L, void *rec, char which) {
  int zero = 0;
  lua_pushinteger(L, *geometry(rec, which, &zero));
}

/* A control of a dialog moves its own windows; rows of menus and tables
   (and tabs) depend on each other, so their container re-lays out. */
static void wr_geo(lua_State *L, void *rec, int val, char which) {
  int dummy = 0;
  struct gr_entry *e = ENTRY(rec);
  if (e == NULL && (which == 'x' || which == 'y')) return;
  int *slot = geometry(rec, which, &dummy), v = num_arg(L, val);
  if (*slot == v) return;
  *slot = v;
  if (e == NULL) gv.refresh(CONT(rec));
  else if (e->owner && e->owner->flags == GR_DIALOG && !gr_tabbed(e->owner))
    gv.move(e);
  else
    refresh_owner(e);
}

#define GEO(c)                                                            \
  static void rd_##c(lua_State *L, void *rec) { rd_geo(L, rec, #c[0]); } \
  static void wr_##c(lua_State *L, void *rec, int obj, int val) {        \
    (void)obj;                                                            \
    wr_geo(L, rec, val, #c[0]);                                           \
  }
GEO(x)
GEO(y)
GEO(w)
GEO(h)

/* --- check boxes and radios --- */

static int checkable(struct gr_entry *e) {
  return e && (e->flags & (GR_CHECKBOX | GR_RADIO));
}

static void rd_checked(lua_State *L, void *rec) {
  struct gr_entry *e = ENTRY(rec);
  lua_pushboolean(L, checkable(e) && (e->flags & GR_CHECKED));
}

static void wr_checked(lua_State *L, void *rec, int obj, int val) {
  (void)obj;
  struct gr_entry *e = ENTRY(rec);
  if (!checkable(e)) return;
  if (lua_toboolean(L, val) && (e->flags & GR_RADIO)) {
    nt_radio_check(e);
    return;
  }
  if (lua_toboolean(L, val)) e->flags |= GR_CHECKED;
  else e->flags &= ~GR_CHECKED;
  gv.redraw(e);
}

/* --- attached objects --- */

static void wr_sub(lua_State *L, void *rec, int obj, int val) {
  struct gr_entry *e = ENTRY(rec);
  if (e == NULL || (e->flags & GR_ATTACHED) || !lua_istable(L, val)) return;
  void *r = obj_record(L, val);
  struct gr_container *c = NULL;
  if (r && !gr_is_container(r)) {
    c = ((struct gr_entry *)r)->sub;   /* a menu string that has one */
    if (c == NULL) return;
  } else {
    c = obj_repin(L, val);
  }
  if (c == NULL || (c->flags & GR_LINKED)) {
    e->sub = NULL;
  } else {
    e->sub = c;
    lua_pushvalue(L, obj);
    obj_rawset(L, val, "parent");
  }
  gv.redraw(e);
  refresh_owner(e);
}

static void rd_rclick(lua_State *L, void *rec) {
  struct gr_entry *e = ENTRY(rec);
  if (e && e->rmenu && gr_valid_container(e->rmenu)) obj_push(L, e->rmenu->ref);
  else lua_pushnil(L);
}

static void wr_rclick(lua_State *L, void *rec, int obj, int val) {
  struct gr_entry *e = ENTRY(rec);
  if (e == NULL || !lua_istable(L, val)) return;
  struct gr_container *c = obj_repin(L, val);
  if (c) {
    e->rmenu = c;
    e->rmenu_kind = c->flags;
    lua_pushvalue(L, obj);
    obj_rawset(L, val, "parent");
  } else {
    e->rmenu = NULL;
  }
}

static void rd_bit(lua_State *L, void *rec, uint32_t bit, int need_attached) {
  struct gr_entry *e = ENTRY(rec);
  int ok = e && (!need_attached || has_attached(e));
  lua_pushboolean(L, ok && (e->flags & bit));
}

static int wr_bit(lua_State *L, void *rec, int val, uint32_t bit,
                  int need_attached) {
  struct gr_entry *e = ENTRY(rec);
  if (e == NULL || (need_attached && !has_attached(e))) return 0;
  if (lua_toboolean(L, val)) e->flags |= bit;
  else e->flags &= ~bit;
  return 1;
}

static void rd_vertdrop(lua_State *L, void *rec) {
  rd_bit(L, rec, GR_VERTDROP, 1);
}
static void wr_vertdrop(lua_State *L, void *rec, int obj, int val) {
  (void)obj;
  if (wr_bit(L, rec, val, GR_VERTDROP, 1)) gv.redraw(rec);
}
static void rd_container(lua_State *L, void *rec) {
  rd_bit(L, rec, GR_CHECKED, 1);
}
static void wr_container(lua_State *L, void *rec, int obj, int val) {
  (void)obj;
  if (wr_bit(L, rec, val, GR_CHECKED, 1)) refresh_owner(ENTRY(rec));
}
static void rd_paint(lua_State *L, void *rec) { rd_bit(L, rec, GR_PAINT, 0); }
static void wr_paint(lua_State *L, void *rec, int obj, int val) {
  (void)obj;
  if (wr_bit(L, rec, val, GR_PAINT, 0)) gv.redraw(rec);
}

/* --- program-wide --- */

static void rd_shrunk(lua_State *L, void *rec) {
  (void)rec;
  lua_pushboolean(L, gv.term_shrinked());
}
static void wr_shrunk(lua_State *L, void *rec, int obj, int val) {
  (void)rec; (void)obj;
  gv.set_term_shrinked(lua_toboolean(L, val));
}

static void rd_rearrange(lua_State *L, void *rec) {
  (void)rec;
  lua_pushboolean(L, gui_rearrange);
}
static void wr_rearrange(lua_State *L, void *rec, int obj, int val) {
  (void)rec; (void)obj;
  gui_rearrange = lua_toboolean(L, val);
  if (gui_rearrange)
    for (struct gr_container *c = gr_containers; c; c = c->all_next)
      gv.refresh(c);
}

static void rd_timeout(lua_State *L, void *rec) {
  (void)rec;
  lua_pushinteger(L, gui_drop_timeout);
}
static void wr_timeout(lua_State *L, void *rec, int obj, int val) {
  (void)rec; (void)obj;
  int n = num_arg(L, val);
  gui_drop_timeout = n < 0 ? 0 : n;
}

/* --- edits --- */

static struct gr_entry *edit_of(void *rec, uint32_t kind) {
  struct gr_entry *e = ENTRY(rec);
  return e && (e->flags & kind) == kind ? e : NULL;
}

static void rd_digital(lua_State *L, void *rec) {
  struct gr_entry *e = edit_of(rec, GR_EDIT);
  lua_pushinteger(L, e ? e->digital : 0);
}

static void wr_digital(lua_State *L, void *rec, int obj, int val) {
  (void)obj;
  struct gr_entry *e = edit_of(rec, GR_EDIT);
  if (e == NULL) return;
  int n = num_arg(L, val);
  int was = e->digital;
  if (n >= 2 && n <= 36) e->digital = n;
  else if (n <= 65535) e->digital = 0;
  /* the spinner comes and goes with the base: that needs a re-layout */
  if (!was != !e->digital && e->owner) gui_refresh(e->owner);
  else gv.redraw(e);
}

static void rd_line(lua_State *L, void *rec) {
  struct gr_entry *e = edit_of(rec, GR_MULTIEDIT);
  lua_pushinteger(L, e ? ei.line(e) : 0);
}

static void wr_line(lua_State *L, void *rec, int obj, int val) {
  (void)obj;
  struct gr_entry *e = edit_of(rec, GR_MULTIEDIT);
  if (e) ei.set_line(e, num_arg(L, val));
}

static void rd_sel(lua_State *L, void *rec) {
  struct gr_entry *e = edit_of(rec, GR_MULTIEDIT);
  const char *text;
  int b, end;
  if (e == NULL || !ei.sel(e, &text, &b, &end)) {
    lua_pushnil(L);
    return;
  }
  lua_newtable(L);
  lua_pushstring(L, text);
  lua_setfield(L, -2, "text");
  lua_pushinteger(L, b);
  lua_setfield(L, -2, "b");
  lua_pushinteger(L, end);
  lua_setfield(L, -2, "e");
  lua_pushstring(L, text);
  lua_setfield(L, -2, "name");
}

static void wr_undo(lua_State *L, void *rec, int obj, int val) {
  (void)obj;
  struct gr_entry *e = edit_of(rec, GR_MULTIEDIT);
  if (e) ei.undo(e, lua_toboolean(L, val));
}

/* --- windows and icons --- */

static void rd_wnd(lua_State *L, void *rec) {
  struct gr_entry *e = ENTRY(rec);
  lua_pushlightuserdata(L, e ? e->wnd_to_change : NULL);
}

static void wr_wnd(lua_State *L, void *rec, int obj, int val) {
  (void)obj;
  struct gr_entry *e = ENTRY(rec);
  if (e == NULL || lua_type(L, val) != LUA_TLIGHTUSERDATA) return;
  void *w = lua_touserdata(L, val);
  if (gv.window_exists(w)) e->wnd_to_change = w;
}

static void rd_icon(lua_State *L, void *rec) {
  struct gr_entry *e = ENTRY(rec);
  push_text(L, e && (e->flags & GR_ICON) ? e->icon_name : NULL);
}

static void wr_icon(lua_State *L, void *rec, int obj, int val) {
  (void)obj;
  struct gr_entry *e = ENTRY(rec);
  if (e == NULL) return;
  const char *file = text_arg(L, val);
  void *icon = file ? gv.icon_load(file) : NULL;
  e->icon = icon;   /* the cache owns icons; it frees them at the end */
  gr_set_text(&e->icon_name, icon ? file : NULL);
  if (icon) e->flags |= GR_ICON;
  else e->flags &= ~GR_ICON;
  gv.redraw(e);
  refresh_owner(e);
}

static const struct prop props[] = {
  {"name", rd_name, wr_name, 0},
  {"text", rd_name, wr_name, 0},
  {"comment", rd_comment, wr_comment, 0},
  {"command", rd_command, wr_command, 0},
  {"tabbed", rd_tabbed, wr_tabbed, 0},
  {"resizeable", NULL, wr_resizeable, 0},
  {"x", rd_x, wr_x, 0},
  {"y", rd_y, wr_y, 0},
  {"w", rd_w, wr_w, 0},
  {"h", rd_h, wr_h, 0},
  {"checked", rd_checked, wr_checked, 0},
  {"sub", NULL, wr_sub, 0},
  {"onRBUTTONCLICK", rd_rclick, wr_rclick, 0},
  {"vertdrop", rd_vertdrop, wr_vertdrop, 0},
  {"container", rd_container, wr_container, 0},
  {"term_shrinked", rd_shrunk, wr_shrunk, 1},
  {"rearrange", rd_rearrange, wr_rearrange, 1},
  {"digital", rd_digital, wr_digital, 0},
  {"WndToChange", rd_wnd, wr_wnd, 0},
  {"icon", rd_icon, wr_icon, 0},
  {"line", rd_line, wr_line, 0},
  {"paint", rd_paint, wr_paint, 0},
  {"sel", rd_sel, NULL, 0},
  {"undo", NULL, wr_undo, 0},
  {"drop_timeout", rd_timeout, wr_timeout, 1},
};

const struct prop *prop_find(const char *name) {
  for (size_t i = 0; i < sizeof props / sizeof props[0]; i++)
    if (strcmp(props[i].name, name) == 0) return &props[i];
  return NULL;
}
