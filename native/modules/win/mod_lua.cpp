/*
** The script global `modules': full userdata objects over the registry.
**   modules.n, modules[i], modules.byname[name]
**   m.name, m.comment, m.src, m.func, m[i], m.byname[name]
**   f.name, f.comment, f.type, f.access, f.val (read and write), f(...)
** Unlisted keys read as nil.
*/
#include <stdio.h>
#include <string.h>

extern "C" {
#include "lauxlib.h"
#include "lobject.h"
#include "lstate.h"
#include "lua.h"
}

#include "native/guard/guard_lua.h"
#include "native/modules/mod_builtin.h"
#include "native/modules/mod_call.h"
#include "native/modules/mod_lua.h"
#include "native/modules/mod_registry.h"
#include "host/base/message.h"

static const char MO_MODULES[] = "modules*";
static const char MO_ALLBYNAME[] = "modules.byname*";
static const char MO_MODULE[] = "module*";
static const char MO_BYNAME[] = "module.byname*";
static const char MO_MEMBER[] = "member*";

struct mo_member {
  mr_record *r;
  const uint8_t *at;   /* the member item in the image */
  mi_member view;      /* its parts; the layout of a loaded image never changes */
  mi_sig sig;          /* the view's signature decoded, for calls */
};

static void mo_push_record(lua_State *L, mr_record *r, const char *meta) {
  if (r == NULL) {
    lua_pushnil(L);
    return;
  }
  mr_record **u = (mr_record **)lua_newuserdata(L, sizeof *u);
  *u = r;
  luaL_getmetatable(L, meta);
  lua_setmetatable(L, -2);
}

static void mo_push_member(lua_State *L, mr_record *r, int found, const mi_member *m) {
  if (!found) {
    lua_pushnil(L);
    return;
  }
  mo_member *u = (mo_member *)lua_newuserdata(L, sizeof *u);
  u->r = r;
  u->at = m->at;
  u->view = *m;
  if (!mi_sig_of(m->sig, &u->sig)) memset(&u->sig, 0, sizeof u->sig);
  luaL_getmetatable(L, MO_MEMBER);
  lua_setmetatable(L, -2);
}

static int mo_is(lua_State *L, int idx, const char *key) {
  const char *k = lua_type(L, idx) == LUA_TSTRING ? lua_tostring(L, idx) : NULL;
  return k && strcmp(k, key) == 0;
}

static int mo_modules_index(lua_State *L) {
  if (lua_type(L, 2) == LUA_TNUMBER) {
    mo_push_record(L, mr_nth((int)lua_tointeger(L, 2)), MO_MODULE);
  } else if (mo_is(L, 2, "n")) {
    lua_pushinteger(L, mr_count());
  } else if (mo_is(L, 2, "byname")) {
    lua_newuserdata(L, sizeof(void *));   /* holds nothing: looks names up */
    luaL_getmetatable(L, MO_ALLBYNAME);
    lua_setmetatable(L, -2);
  } else {
    lua_pushnil(L);
  }
  return 1;
}

static int mo_allbyname_index(lua_State *L) {
  const char *name = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : NULL;
  mo_push_record(L, name ? mr_find(name) : NULL, MO_MODULE);
  return 1;
}

static void mo_push_text(lua_State *L, const char *s) {
  if (s && *s)
    lua_pushstring(L, s);
  else
    lua_pushnil(L);
}

static int mo_module_index(lua_State *L) {
  mr_record *r = *(mr_record **)luaL_checkudata(L, 1, MO_MODULE);
  mi_member m;
  if (lua_type(L, 2) == LUA_TNUMBER) {
    int i = (int)lua_tointeger(L, 2);
    mo_push_member(L, r, mr_member_at(r, i, &m), &m);
  } else if (mo_is(L, 2, "name")) {
    mo_push_text(L, mr_name(r));
  } else if (mo_is(L, 2, "comment")) {
    mo_push_text(L, mr_comment(r));
  } else if (mo_is(L, 2, "src")) {
    if (r->source)
      lua_pushstring(L, r->source);
    else
      lua_pushnil(L);
  } else if (mo_is(L, 2, "func")) {
    ng_push_host(L, r->image);   /* a fault is a script error, as in asmfunc */
  } else if (mo_is(L, 2, "byname")) {
    mo_push_record(L, r, MO_BYNAME);
  } else {
    lua_pushnil(L);
  }
  return 1;
}

static int mo_byname_index(lua_State *L) {
  mr_record *r = *(mr_record **)luaL_checkudata(L, 1, MO_BYNAME);
  const char *name = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : NULL;
  mi_member m;
  mo_push_member(L, r, name && mr_member_named(r, name, &m), &m);
  return 1;
}

static mo_member *mo_check_member(lua_State *L, mi_member *m) {
  mo_member *u = (mo_member *)luaL_checkudata(L, 1, MO_MEMBER);
  *m = u->view;
  return u;
}

static uint8_t *mo_storage(const mi_member *m) {
  return (uint8_t *)(uintptr_t)mi_get32(m->addr);
}

static int mo_is_string(uint8_t kind) {
  uint8_t t = kind & MI_TYPEMASK;
  return t != MI_REAL && (t & MI_SIZEMASK) == MI_STRING;
}

/* Integer variables are read by their width and sign. */
static lua_Number mo_integer(const uint8_t *p, uint8_t kind) {
  int sign = (kind & MI_SIGNED) != 0;
  switch (kind & MI_SIZEMASK) {
    case 1: return sign ? (lua_Number)(int8_t)p[0] : (lua_Number)p[0];
    case 2: {
      uint16_t v;
      memcpy(&v, p, 2);
      return sign ? (lua_Number)(int16_t)v : (lua_Number)v;
    }
    case 5:
    case 6: {
      uint64_t v;
      memcpy(&v, p, 8);
      return sign ? (lua_Number)(int64_t)v : (lua_Number)v;
    }
    default: {
      uint32_t v;
      memcpy(&v, p, 4);
      return sign ? (lua_Number)(int32_t)v : (lua_Number)v;
    }
  }
}

static void mo_push_val(lua_State *L, mo_member *u, const mi_member *m) {
  uint8_t *p = mo_storage(m);
  if (m->kind == 0 || p == NULL) {
    lua_pushnil(L);
  } else if ((m->kind & MI_TYPEMASK) == MI_REAL) {
    double d;
    memcpy(&d, p, 8);
    lua_pushnumber(L, d);
  } else if (mo_is_string(m->kind)) {
    size_t room = mr_string_room(u->r, p);
    lua_pushlstring(L, (const char *)p, room ? strnlen((const char *)p, room) : 0);
  } else {
    lua_pushnumber(L, mo_integer(p, m->kind));
  }
}

static int mo_member_index(lua_State *L) {
  mi_member m;
  mo_member *u = mo_check_member(L, &m);
  char text[256];
  if (mo_is(L, 2, "name")) {
    lua_pushstring(L, mi_text(m.name));
  } else if (mo_is(L, 2, "comment")) {
    lua_pushstring(L, mi_text(m.comment));
  } else if (mo_is(L, 2, "type")) {
    mi_typetext(m.kind, m.sig, text, sizeof text);
    lua_pushstring(L, text);
  } else if (mo_is(L, 2, "access")) {
    lua_pushstring(L, mi_access(m.kind));
  } else if (mo_is(L, 2, "val")) {
    mo_push_val(L, u, &m);
  } else {
    lua_pushnil(L);
  }
  return 1;
}

static void mo_say(const char *fmt, const char *name) {
  char buf[300];
  snprintf(buf, sizeof buf, fmt, name);
  con_message(buf);
}

static void mo_put_string(lua_State *L, mo_member *u, const mi_member *m, uint8_t *p) {
  size_t n;
  const char *s = lua_tolstring(L, 3, &n);
  size_t room = mr_string_room(u->r, p);
  if (s == NULL || room == 0) {
    mo_say("Cannot write member '%s'\n", mi_text(m->name));
    return;
  }
  if (n + 1 > room) {
    mo_say("Text too long for member '%s'; it is cut\n", mi_text(m->name));
    n = room - 1;
  }
  memmove(p, s, n);
  p[n] = 0;
}

/* Integer variables are written by their width. */
static void mo_put_integer(uint8_t *p, uint8_t kind, lua_Number d) {
  uint32_t w = mc_word(d);
  switch (kind & MI_SIZEMASK) {
    case 1: p[0] = (uint8_t)w; break;
    case 2: memcpy(p, &w, 2); break;
    case 5:
    case 6: {
      int64_t q = (d == d && d > -9.2e18 && d < 9.2e18) ? (int64_t)d : 0;
      memcpy(p, &q, 8);
      break;
    }
    default: memcpy(p, &w, 4); break;
  }
}

static int mo_member_newindex(lua_State *L) {
  mi_member m;
  mo_member *u = mo_check_member(L, &m);
  if (!mo_is(L, 2, "val")) return luaL_error(L, "only 'val' of a member can be set");
  uint8_t *p = mo_storage(&m);
  if (m.kind == 0 || p == NULL) {
    mo_say("Member '%s' is not a variable\n", mi_text(m.name));
  } else if ((m.kind & MI_TYPEMASK) == MI_REAL) {
    double d = (double)lua_tonumber(L, 3);
    memcpy(p, &d, 8);
  } else if (mo_is_string(m.kind)) {
    mo_put_string(L, u, &m, p);
  } else {
    mo_put_integer(p, m.kind, lua_tonumber(L, 3));
  }
  return 0;
}

/* The member a call is made on. The metatable, an upvalue, is compared
   directly: looking it up by name costs as much as a short call. */
static mo_member *mo_call_target(lua_State *L, mi_member *m) {
  mo_member *u = (mo_member *)lua_touserdata(L, 1);
  if (u != NULL && lua_getmetatable(L, 1)) {
    int same = lua_rawequal(L, -1, lua_upvalueindex(1));
    lua_pop(L, 1);
    if (same) {
      *m = u->view;
      return u;
    }
  }
  return mo_check_member(L, m);
}

/* The member a call is made on, when the first argument is one (the
   metatable in our upvalue is its own); NULL for anything else. Read off
   the stack: a call costs little more than these checks. */
static mo_member *mo_fast_target(lua_State *L) {
  const TValue *o = L->base;
  if (L->top <= o || !ttisuserdata(o)) return NULL;
  const Table *mt = uvalue(o)->metatable;
  const TValue *up = &curr_func(L)->c.upvalue[0];
  if (mt == NULL || !ttistable(up) || mt != hvalue(up)) return NULL;
  return (mo_member *)(rawuvalue(o) + 1);
}

static int mo_member_call(lua_State *L) {
  mo_member *u = mo_fast_target(L);
  if (u != NULL && u->view.kind == 0) return mc_call_sig(L, &u->view, &u->sig, 2);
  mi_member m;
  u = mo_call_target(L, &m);
  if (m.kind != 0) {
    mo_say("Member '%s' is not a function\n", mi_text(m.name));
    lua_pushnil(L);
    return 1;
  }
  return mc_call_sig(L, &m, &u->sig, 2);
}

static void mo_meta(lua_State *L, const char *name, lua_CFunction index) {
  luaL_newmetatable(L, name);
  lua_pushcfunction(L, index);
  lua_setfield(L, -2, "__index");
  lua_pushliteral(L, "locked");
  lua_setfield(L, -2, "__metatable");
}

void mo_open(lua_State *L) {
  mo_meta(L, MO_MODULES, mo_modules_index);
  lua_pop(L, 1);
  mo_meta(L, MO_ALLBYNAME, mo_allbyname_index);
  lua_pop(L, 1);
  mo_meta(L, MO_MODULE, mo_module_index);
  lua_pop(L, 1);
  mo_meta(L, MO_BYNAME, mo_byname_index);
  lua_pop(L, 1);
  mo_meta(L, MO_MEMBER, mo_member_index);
  lua_pushcfunction(L, mo_member_newindex);
  lua_setfield(L, -2, "__newindex");
  lua_pushvalue(L, -1);
  lua_pushcclosure(L, mo_member_call, 1);
  lua_setfield(L, -2, "__call");
  lua_pop(L, 1);
  lua_newuserdata(L, sizeof(void *));
  luaL_getmetatable(L, MO_MODULES);
  lua_setmetatable(L, -2);
  lua_setglobal(L, "modules");
}
