/*
** Moving entries between containers.
*/
#include "gui/gui.h"
#include "gui/move.h"
#include "gui/objects.h"

extern "C" {
#include "lauxlib.h"
}

/* index in the array of the container object at c of the entry object at
   obj, or 0 */
static int slot_of(lua_State *L, int c, int obj) {
  int n = obj_size(L, c);
  for (int i = 1; i <= n; i++) {
    lua_rawgeti(L, c, i);
    int same = lua_rawequal(L, -1, obj);
    lua_pop(L, 1);
    if (same) return i;
  }
  return 0;
}

static void remove_slot(lua_State *L, int c, int i) {
  int n = obj_size(L, c);
  for (int k = i; k < n; k++) {
    lua_rawgeti(L, c, k + 1);
    lua_rawseti(L, c, k);
  }
  lua_pushnil(L);
  lua_rawseti(L, c, n);
  lua_pushinteger(L, n - 1);
  obj_rawset(L, c, "n");
}

static void insert_slot(lua_State *L, int c, int i, int obj) {
  int n = obj_size(L, c) + 1;
  if (i < 1 || i > n) i = n;
  for (int k = n - 1; k >= i; k--) {
    lua_rawgeti(L, c, k);
    lua_rawseti(L, c, k + 1);
  }
  lua_pushvalue(L, obj);
  lua_rawseti(L, c, i);
  lua_pushinteger(L, n);
  obj_rawset(L, c, "n");
}

static void keyed(lua_State *L, int c, struct gr_entry *e, int obj) {
  lua_pushlightuserdata(L, e);
  if (obj) lua_pushvalue(L, obj);
  else lua_pushnil(L);
  lua_rawset(L, c);
}

/* whether c is e's attached object or lies inside it */
static int inside(struct gr_container *c, struct gr_entry *e, int guard) {
  if (c == NULL || guard > 100) return 0;
  if (e->sub == c) return 1;
  for (struct gr_entry *p = e->sub ? e->sub->first : NULL; p; p = p->next)
    if (p->sub && inside(c, p, guard + 1)) return 1;
  return 0;
}

static void script_side(lua_State *L, struct gr_entry *e,
                        struct gr_container *from, struct gr_container *to,
                        int pos) {
  int top = lua_gettop(L);
  obj_push(L, e->ref);
  int obj = lua_gettop(L);
  obj_push(L, from ? from->ref : GR_NOREF);
  int old = lua_gettop(L);
  if (lua_istable(L, obj) && lua_istable(L, old)) {
    int i = slot_of(L, old, obj);
    if (i) remove_slot(L, old, i);
    keyed(L, old, e, 0);
  }
  obj_push(L, to->ref);
  int now = lua_gettop(L);
  if (lua_istable(L, obj) && lua_istable(L, now)) {
    /* a dialog's array keeps the order controls came in; a menu's and a
       table's is their display order */
    int dialog = to->flags == GR_DIALOG;
    insert_slot(L, now, dialog ? -1 : pos + 1, obj);
    if (dialog) keyed(L, now, e, obj);
    lua_pushvalue(L, now);
    obj_rawset(L, obj, "parent");
  }
  lua_settop(L, top);
}

int mv_move(lua_State *L, struct gr_entry *e, struct gr_container *to, int pos) {
  if (e == NULL || to == NULL || inside(to, e, 0)) return 0;
  struct gr_container *from = e->owner;
  if (to->flags == GR_DIALOG) pos = 0;
  script_side(L, e, from, to, pos < 0 ? -1 : pos);
  gr_insert(to, e, pos);
  if (from && from != to) gui_refresh(from);
  gui_refresh(to);
  return 1;
}

static const char *constructor_of(uint32_t kind) {
  switch (kind) {
    case GR_BUTTON: return "button";
    case GR_SEPARATOR: return "separator";
    case GR_LABEL: return "label";
    case GR_CHECKBOX: return "checkbox";
    case GR_RADIO: return "radio";
    case GR_EDIT: return "edit";
    case GR_MULTIEDIT: return "multiedit";
  }
  return NULL;
}

struct gr_entry *mv_new_control(lua_State *L, uint32_t kind) {
  const char *ctor = constructor_of(kind);
  if (ctor == NULL) return NULL;
  lua_getglobal(L, ctor);
  if (!lua_iscfunction(L, -1)) {
    lua_pop(L, 1);
    return NULL;
  }
  lua_call(L, 0, 1);
  void *rec = obj_record(L, -1);
  lua_pop(L, 1);   /* the record keeps the object pinned */
  return rec && !gr_is_container(rec) ? (struct gr_entry *)rec : NULL;
}
