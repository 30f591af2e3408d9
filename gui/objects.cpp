/*
** Script objects and their routing through the shared metatables.
** Pins are registry references held in the records; a pinned table stays
** alive until its record lets go of it.
*/
#include <math.h>
#include <string.h>

#include "gui/command.h"
#include "gui/gui.h"
#include "gui/objects.h"
#include "gui/props.h"
#include "gui/view.h"

extern "C" {
#include "lauxlib.h"
}
#include "host/base/message.h"

int obj_toint(lua_Number n) {
  if (n != n) return 0;
  if (n >= 2147483647.0) return 2147483647;
  if (n <= -2147483648.0) return (int)-2147483647 - 1;
  return (int)n;
}

int obj_abs(lua_State *L, int idx) {
  return idx < 0 && idx > LUA_REGISTRYINDEX ? lua_gettop(L) + idx + 1 : idx;
}

int obj_pin(lua_State *L, int idx) {
  lua_pushvalue(L, idx);
  return luaL_ref(L, LUA_REGISTRYINDEX);
}

void obj_unpin(lua_State *L, int *ref) {
  if (*ref != GR_NOREF) luaL_unref(L, LUA_REGISTRYINDEX, *ref);
  *ref = GR_NOREF;
}

void obj_push(lua_State *L, int ref) {
  if (ref == GR_NOREF) lua_pushnil(L);
  else lua_rawgeti(L, LUA_REGISTRYINDEX, ref);
}

void obj_rawset(lua_State *L, int idx, const char *key) {
  idx = obj_abs(L, idx);
  lua_pushstring(L, key);
  lua_insert(L, -2);
  lua_rawset(L, idx);
}

static void rawget_field(lua_State *L, int idx, const char *key) {
  idx = obj_abs(L, idx);
  lua_pushstring(L, key);
  lua_rawget(L, idx);
}

/* A script may write any `n': beyond the array's border it would only
   make inserting and cleaning walk empty slots. */
int obj_size(lua_State *L, int idx) {
  rawget_field(L, idx, "n");
  int n = lua_type(L, -1) == LUA_TNUMBER ? obj_toint(lua_tonumber(L, -1)) : 0;
  lua_pop(L, 1);
  int border = (int)lua_objlen(L, idx);
  if (n > border) n = border;
  return n < 0 ? 0 : n;
}

void *obj_record(lua_State *L, int idx) {
  if (!lua_istable(L, idx)) return NULL;
  void *rec = NULL;
  rawget_field(L, idx, "msHANDLE");
  if (!lua_isnil(L, -1)) {
    void *p = lua_touserdata(L, -1);
    if (gr_valid_entry(p)) rec = p;
    lua_pop(L, 1);
    return rec;   /* a deleted entry has a null handle */
  }
  lua_pop(L, 1);
  rawget_field(L, idx, "HANDLE");
  void *p = lua_touserdata(L, -1);
  if (gr_valid_container(p)) rec = p;
  lua_pop(L, 1);
  return rec;
}

struct gr_container *obj_container(lua_State *L, int idx) {
  void *r = obj_record(L, idx);
  return gr_is_container(r) ? (struct gr_container *)r : NULL;
}

struct gr_container *obj_repin(lua_State *L, int idx) {
  struct gr_container *c = obj_container(L, idx);
  if (c && c->ref == GR_NOREF && c != gui_main_menu) c->ref = obj_pin(L, idx);
  return c;
}

static const char *opt_string(lua_State *L, int args, const char *key) {
  if (args == 0) return NULL;
  /* raw: a text made by a metamethod would be unreferenced once popped */
  lua_pushstring(L, key);
  lua_rawget(L, args);
  const char *s = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : NULL;
  lua_pop(L, 1);   /* the argument table keeps the text alive */
  return s;
}

struct gr_container *obj_new_container(lua_State *L, uint32_t kind, int args,
                                       const char *type, const char *mt_fail) {
  if (args && !lua_istable(L, args)) args = 0;
  lua_newtable(L);
  int t = lua_gettop(L);
  lua_pushcfunction(L, obj_show);
  obj_rawset(L, t, "show");
  lua_pushcfunction(L, obj_clean_method);
  obj_rawset(L, t, "clean");
  lua_pushinteger(L, 0);
  obj_rawset(L, t, "n");
  struct gr_container *c = gr_container_new(kind, opt_string(L, args, "name"),
                                            opt_string(L, args, "comment"));
  if (kind == GR_DIALOG && args) {
    lua_getfield(L, args, "command");
    size_t len = 0;
    const char *text = cmd_text(L, -1, &len);
    if (len) {
      gr_set_text(&c->command, cmd_push_body(L, text, len));
      lua_pop(L, 1);
      cmd_set(L, t, text, len);   /* a command that is kept also runs */
    }
    lua_pop(L, 1);
    lua_getfield(L, args, "w");
    if (lua_type(L, -1) == LUA_TNUMBER) c->w = obj_toint(lua_tonumber(L, -1));
    lua_getfield(L, args, "h");
    if (lua_type(L, -1) == LUA_TNUMBER) c->h = obj_toint(lua_tonumber(L, -1));
    lua_pop(L, 2);
  }
  c->ref = obj_pin(L, t);
  lua_pushlightuserdata(L, c);
  obj_rawset(L, t, "HANDLE");
  lua_pushstring(L, type);
  obj_rawset(L, t, "TYPE");
  luaL_getmetatable(L, GUI_MENU_MT);
  if (lua_istable(L, -1)) {
    lua_setmetatable(L, t);
  } else {
    lua_pop(L, 1);
    con_message(mt_fail);
  }
  return c;
}

/* --- property routing --- */

static int metatable_lookup(lua_State *L) {
  if (!lua_getmetatable(L, 1)) return 0;
  lua_pushvalue(L, 2);
  lua_rawget(L, -2);
  if (!lua_isnil(L, -1)) return 1;
  lua_pop(L, 1);
  lua_pushstring(L, "sub");
  lua_rawget(L, -2);
  if (!lua_istable(L, -1)) return 0;
  lua_pushvalue(L, 2);
  lua_gettable(L, -2);   /* ordinary: the chain may go on */
  return 1;
}

static int read_sub(lua_State *L) {
  if (lua_getmetatable(L, 1)) {
    lua_pushstring(L, "sub");
    lua_rawget(L, -2);
    if (!lua_isnil(L, -1)) return 1;
    lua_pop(L, 2);
  }
  void *rec = obj_record(L, 1);
  if (rec && !gr_is_container(rec) && ((struct gr_entry *)rec)->sub)
    obj_push(L, ((struct gr_entry *)rec)->sub->ref);
  else
    lua_pushnil(L);
  return 1;
}

int obj_index(lua_State *L) {
  if (lua_type(L, 2) == LUA_TSTRING) {
    const char *key = lua_tostring(L, 2);
    if (strcmp(key, "sub") == 0) return read_sub(L);
    const struct prop *p = prop_find(key);
    if (p && p->rd) {
      void *rec = p->global ? NULL : obj_record(L, 1);
      if (rec == NULL && !p->global) lua_pushnil(L);
      else p->rd(L, rec);
      return 1;
    }
  }
  if (lua_istable(L, 1) && metatable_lookup(L)) return 1;
  lua_pushnil(L);
  return 1;
}

static int write_prop(lua_State *L) {
  if (lua_type(L, 2) != LUA_TSTRING) return 0;
  const struct prop *p = prop_find(lua_tostring(L, 2));
  if (p == NULL || p->wr == NULL) return 0;
  void *rec = p->global ? NULL : obj_record(L, 1);
  if (rec || p->global) p->wr(L, rec, 1, 3);
  return 1;
}

int obj_newindex(lua_State *L) {
  if (!lua_istable(L, 1)) return 0;
  lua_settop(L, 3);
  if (write_prop(L)) return 0;
  lua_rawset(L, 1);
  return 0;
}

int obj_entry_newindex(lua_State *L) {
  if (!lua_istable(L, 1)) return 0;
  lua_settop(L, 3);
  if (lua_type(L, 2) == LUA_TNUMBER) {
    if (lua_getmetatable(L, 1)) {
      lua_pushstring(L, "sub");
      lua_rawget(L, -2);
      if (lua_istable(L, -1)) {
        lua_pushvalue(L, 3);
        lua_rawseti(L, -2, obj_toint(lua_tonumber(L, 2)));
        return 0;
      }
    }
    lua_settop(L, 3);
  } else if (write_prop(L)) {
    return 0;
  }
  lua_rawset(L, 1);
  return 0;
}

/* --- release --- */

static void clean_container(lua_State *L, struct gr_container *c) {
  if (c == NULL) return;
  obj_push(L, c->ref);
  obj_unpin(L, &c->ref);
  if (lua_istable(L, -1)) obj_clean(L, -1);
  else obj_clean_native(c);
  lua_pop(L, 1);
}

/* Release steps 1 to 3 for the entry object at idx; with destroy, also its
   native record. */
void obj_release(lua_State *L, int idx, int destroy) {
  idx = obj_abs(L, idx);
  if (!lua_istable(L, idx)) return;
  void *rec = obj_record(L, idx);
  if (rec == NULL || gr_is_container(rec)) return;
  struct gr_entry *e = (struct gr_entry *)rec;
  struct gr_container *sub = e->sub, *rmenu = e->rmenu;
  e->rmenu = NULL;
  clean_container(L, sub);
  clean_container(L, rmenu);
  if (!gr_valid_entry(e)) return;   /* its own command may have gone */
  lua_pushlightuserdata(L, NULL);
  obj_rawset(L, idx, "msHANDLE");
  obj_unpin(L, &e->ref);
  if (destroy) {
    /* a dialog keeps its controls under their records too */
    rawget_field(L, idx, "parent");
    if (lua_istable(L, -1)) {
      lua_pushlightuserdata(L, e);
      lua_pushnil(L);
      lua_rawset(L, -3);
    }
    lua_pop(L, 1);
    struct gr_container *owner = e->owner;
    gv.entry_gone(e);
    gr_entry_free(e);
    gui_refresh(owner);
  }
}

void obj_clean_native(struct gr_container *c) {
  if (c == NULL) return;
  int keep = gui_rearrange;
  gui_rearrange = 0;
  struct gr_entry *e;
  while ((e = c->first) != NULL) {
    gv.entry_gone(e);
    gr_entry_free(e);
  }
  gui_rearrange = keep;
  gui_refresh(c);
}

void obj_clean(lua_State *L, int idx) {
  idx = obj_abs(L, idx);
  if (!lua_istable(L, idx)) return;
  struct gr_container *c = obj_container(L, idx);
  if (c && c->cleaning) return;   /* a menu attached inside itself */
  if (c) c->cleaning = 1;
  for (int i = obj_size(L, idx); i >= 1; i--) {
    lua_rawgeti(L, idx, i);
    void *rec = obj_record(L, -1);
    if (rec) {
      lua_pushlightuserdata(L, rec);
      lua_pushnil(L);
      lua_rawset(L, idx);
    }
    obj_release(L, -1, 0);
    lua_pop(L, 1);
    lua_pushnil(L);
    lua_rawseti(L, idx, i);
  }
  lua_pushinteger(L, 0);
  obj_rawset(L, idx, "n");
  if (c && gr_valid_container(c)) {
    obj_clean_native(c);
    c->cleaning = 0;
  }
  lua_gc(L, LUA_GCCOLLECT, 0);
}

int obj_del(lua_State *L) {
  obj_release(L, 1, 1);
  return 0;
}

int obj_clean_method(lua_State *L) {
  obj_clean(L, 1);
  return 0;
}

static int coordinate(lua_State *L, int idx, const char *key) {
  if (key) {
    lua_getfield(L, 2, key);
    idx = -1;
  }
  int v = lua_type(L, idx) == LUA_TNUMBER ? obj_toint(lua_tonumber(L, idx)) : -1;
  if (key) lua_pop(L, 1);
  return v;
}

int obj_show(lua_State *L) {
  struct gr_container *c = obj_repin(L, 1);
  if (c == NULL) return 0;
  int x, y;
  if (lua_istable(L, 2)) {
    x = coordinate(L, 0, "x");
    y = coordinate(L, 0, "y");
  } else {
    x = coordinate(L, 2, NULL);
    y = coordinate(L, 3, NULL);
  }
  gv.show(c, x, y);
  return 0;
}
