/*
** `menu', `ins', `push', `pop'.
*/
#include <string.h>

#include "gui/gui.h"
#include "gui/menuobj.h"
#include "gui/objects.h"
#include "gui/view.h"

extern "C" {
#include "lauxlib.h"
}
#include "host/base/message.h"

int mo_menu(lua_State *L) {
  obj_new_container(L, GR_MENU, lua_gettop(L) >= 1 ? 1 : 0, "Menu",
                    "Can't set menu metatable\n");
  return 1;
}

static int type_is(lua_State *L, int idx, const char *type, int raw) {
  if (!lua_istable(L, idx)) return 0;
  if (raw) {
    lua_pushstring(L, "TYPE");
    lua_rawget(L, idx);
  } else {
    lua_getfield(L, idx, "TYPE");
  }
  const char *t = lua_tostring(L, -1);
  int is = t && strcmp(t, type) == 0;
  lua_pop(L, 1);
  return is;
}

/* The `sub' table in the metatable of the object at idx, pushed; 0 and
   nothing pushed when there is none. */
static int push_meta_sub(lua_State *L, int idx) {
  if (!lua_getmetatable(L, idx)) return 0;
  lua_pushstring(L, "sub");
  lua_rawget(L, -2);
  lua_remove(L, -2);
  if (lua_istable(L, -1)) return 1;
  lua_pop(L, 1);
  return 0;
}

/* Shifts self[n-1..pos] one slot up, stores the value on top at self[pos]
   and sets n. */
static void place(lua_State *L, int self, int pos, int n) {
  for (int i = n - 1; i >= pos; i--) {
    lua_rawgeti(L, self, i);
    lua_rawseti(L, self, i + 1);
  }
  lua_rawseti(L, self, pos);
  lua_pushinteger(L, n);
  obj_rawset(L, self, "n");
}

static int position(lua_State *L, int idx, int n) {
  int pos = lua_type(L, idx) == LUA_TNUMBER ? obj_toint(lua_tonumber(L, idx)) : -1;
  if (pos < 1 || pos > n) pos = n;   /* no holes in the array part */
  return pos;
}

static void make_entry_object(lua_State *L, int self, int child,
                              struct gr_entry *e) {
  lua_newtable(L);
  int t = lua_gettop(L);
  e->ref = obj_pin(L, t);
  lua_pushvalue(L, self);
  obj_rawset(L, t, "parent");
  lua_pushlightuserdata(L, e);
  obj_rawset(L, t, "msHANDLE");
  lua_pushstring(L, "MenuString");
  obj_rawset(L, t, "TYPE");
  lua_newtable(L);
  lua_pushvalue(L, child);
  lua_setfield(L, -2, "sub");
  lua_pushcfunction(L, obj_index);
  lua_setfield(L, -2, "__index");
  lua_pushcfunction(L, obj_entry_newindex);
  lua_setfield(L, -2, "__newindex");
  lua_pushcfunction(L, obj_del);
  lua_setfield(L, -2, "del");
  lua_pushcfunction(L, obj_del);
  lua_setfield(L, -2, "__gc");
  lua_setmetatable(L, t);
  lua_pushvalue(L, t);
  obj_rawset(L, child, "parent");
}

/* self at 1, child at 2, then a position or x, y, w, h */
static int attach(lua_State *L, uint32_t bits, const char *few) {
  int nargs = lua_gettop(L);
  if (nargs < 2) con_message(few);
  if (!lua_istable(L, 1)) {
    con_message("Invalid arg!");
    return 0;
  }
  struct gr_container *sub = obj_repin(L, 2);
  if (sub == NULL) return 0;   /* nothing to attach */
  int coords = nargs > 3;
  int x = 0, y = 0, w = 0, h = 0;
  if (coords) {
    x = lua_type(L, 3) == LUA_TNUMBER ? obj_toint(lua_tonumber(L, 3)) : 0;
    y = lua_type(L, 4) == LUA_TNUMBER ? obj_toint(lua_tonumber(L, 4)) : 0;
    w = lua_type(L, 5) == LUA_TNUMBER ? obj_toint(lua_tonumber(L, 5)) : 50;
    h = lua_type(L, 6) == LUA_TNUMBER ? obj_toint(lua_tonumber(L, 6)) : 50;
  }
  int n = obj_size(L, 1) + 1;
  int pos = coords ? 1 : (nargs >= 3 ? position(L, 3, n) : 1);
  struct gr_container *self = obj_container(L, 1);
  if (self == NULL) self = gui_main_menu;
  struct gr_entry *e = gr_entry_new(bits, sub->name, sub->comment, NULL);
  e->sub = sub;
  if (coords) {
    e->x = x; e->y = y; e->w = w; e->h = h;
  }
  if (bits & GR_ATT_DIALOG) sub->owner_entry = e;
  gr_insert(self, e, pos - 1);
  make_entry_object(L, 1, 2, e);
  lua_pushvalue(L, -1);
  place(L, 1, pos, n);
  gui_refresh(self);
  return 1;
}

static int num_or_zero(lua_State *L, int idx) {
  return lua_type(L, idx) == LUA_TNUMBER ? obj_toint(lua_tonumber(L, idx)) : 0;
}

/* A control goes to the front of the dialog's list (drawn last, on top)
   and to the back of the script array; the dialog also keeps it under its
   record. w and h of 0 mean the default 100. */
static void place_in_dialog(lua_State *L, int nargs) {
  int n = obj_size(L, 1);
  struct gr_container *self = obj_container(L, 1);
  void *rec = obj_record(L, 2);
  if (self && rec && !gr_is_container(rec)) {
    struct gr_entry *e = (struct gr_entry *)rec;
    e->x = nargs >= 3 ? num_or_zero(L, 3) : 0;
    e->y = nargs >= 4 ? num_or_zero(L, 4) : 0;
    e->w = nargs >= 5 ? num_or_zero(L, 5) : 0;
    e->h = nargs >= 6 ? num_or_zero(L, 6) : 0;
    if (e->w == 0) e->w = 100;
    if (e->h == 0) e->h = 100;
    gr_insert(self, e, 0);
    lua_pushlightuserdata(L, e);
    lua_pushvalue(L, 2);
    lua_rawset(L, 1);
    gui_refresh(self);
  }
  lua_pushvalue(L, 1);
  obj_rawset(L, 2, "parent");
  lua_pushvalue(L, 2);
  lua_rawseti(L, 1, n + 1);
  lua_pushinteger(L, n + 1);
  obj_rawset(L, 1, "n");
}

/* self is a dialog at 1. Returns what is on top once done: the child when
   called with two arguments, else the last argument. */
static int insert_into_dialog(lua_State *L) {
  int nargs = lua_gettop(L);
  if (nargs < 2) {
    con_message("Error: This needs parent & child!");
    return 0;
  }
  if (type_is(L, 2, "Menu", 0) || type_is(L, 2, "Table", 0))
    return attach(L, GR_ATT_MENU, "This function needs 2 more args!");
  if (type_is(L, 2, "Dialog", 0))
    return attach(L, GR_ATT_DIALOG, "This function have 2 args!");
  if (!type_is(L, 2, "MenuString", 0)) return 0;
  place_in_dialog(L, nargs);
  lua_settop(L, nargs);
  return 1;
}

static int insert_control(lua_State *L) {
  int n = obj_size(L, 1) + 1;
  int pos = position(L, 3, n);
  void *rec = obj_record(L, 2);
  struct gr_container *self = obj_container(L, 1);
  /* a table keeps its rows natively too, so that its window lists them */
  if (rec && !gr_is_container(rec) && self &&
      (type_is(L, 1, "Menu", 0) || type_is(L, 1, "Table", 0))) {
    gr_insert(self, (struct gr_entry *)rec, pos - 1);
    gui_refresh(self);
  }
  lua_pushvalue(L, 2);
  place(L, 1, pos, n);
  lua_pushvalue(L, 1);
  obj_rawset(L, 2, "parent");
  lua_settop(L, 2);
  return 1;
}

int mo_ins(lua_State *L) {
  if (lua_gettop(L) < 2 && type_is(L, 1, "Dialog", 0)) return insert_into_dialog(L);
  for (int guard = 0; lua_gettop(L) >= 2 && guard < 100; guard++) {
    if (!lua_istable(L, 1)) {
      con_message("Invalid arg!");
      return 0;
    }
    if (type_is(L, 1, "MenuString", 0)) {
      if (!push_meta_sub(L, 1)) {
        con_message("Error! attempt to attach to simply menu string...");
        return 0;
      }
      lua_replace(L, 1);
      continue;
    }
    if (type_is(L, 1, "Dialog", 0)) return insert_into_dialog(L);
    if (!lua_istable(L, 2)) return 0;
    if (lua_gettop(L) > 3 && !type_is(L, 1, "Dialog", 0)) lua_settop(L, 3);
    if (lua_gettop(L) == 2) lua_pushinteger(L, -1);
    if (type_is(L, 2, "Menu", 1))
      return attach(L, GR_ATT_MENU, "This function needs 2 more args!");
    if (type_is(L, 2, "Dialog", 1))
      return attach(L, GR_ATT_DIALOG, "This function have 2 args!");
    if (!type_is(L, 2, "MenuString", 1)) return 0;
    if (push_meta_sub(L, 2)) {
      lua_replace(L, 2);
      continue;
    }
    return insert_control(L);
  }
  return 0;
}

int mo_push(lua_State *L) {
  if (lua_gettop(L) < 2) {
    con_message("Error: To few arguments!");
    return 0;
  }
  lua_settop(L, 2);
  lua_pushinteger(L, 1);
  return mo_ins(L);
}

int mo_pop(lua_State *L) {
  (void)L;
  return 0;
}
