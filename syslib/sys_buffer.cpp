/*
** sys_buffer.cpp: buffers. The memory is the userdata's own block, so
** that its address is the same wherever a buffer is passed (an ldlyb call
** passes a userdata's block), and the size is the block's, which no write
** into the memory can change. Every access is checked first: a bad offset
** or value writes a message and touches nothing.
*/
#include "syslib/sys_buffer.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

extern "C" {
#include "lauxlib.h"
}

#include "host/base/message.h"
#include "syslib/sys_sig.h"

static int sys_is(lua_State *L, int idx, const char *mt) {
  if (!lua_getmetatable(L, idx)) return 0;
  luaL_getmetatable(L, mt);
  int is = lua_rawequal(L, -1, -2);
  lua_pop(L, 2);
  return is;
}

void *sys_buffer_data(lua_State *L, int idx, size_t *size) {
  if (lua_type(L, idx) != LUA_TUSERDATA || !sys_is(L, idx, SYS_BUFFER_MT))
    return NULL;
  if (size) *size = lua_objlen(L, idx);
  return lua_touserdata(L, idx);
}

int sys_pointer_of(lua_State *L, int idx, int strings, uintptr_t *p) {
  switch (lua_type(L, idx)) {
    case LUA_TNIL: *p = 0; return 1;
    case LUA_TNUMBER: *p = (uintptr_t)(uint32_t)sys_u64_of(lua_tonumber(L, idx)); return 1;
    case LUA_TLIGHTUSERDATA: *p = (uintptr_t)lua_touserdata(L, idx); return 1;
    case LUA_TSTRING:
      if (!strings) return 0;
      *p = (uintptr_t)lua_tostring(L, idx);
      return 1;
    case LUA_TUSERDATA: {
      void *data = sys_buffer_data(L, idx, NULL);
      if (data) {
        *p = (uintptr_t)data;
        return 1;
      }
      if (!sys_is(L, idx, SYS_CALLBACK_MT)) return 0;
      *p = *(uintptr_t *)lua_touserdata(L, idx);
      return 1;
    }
    default: return 0;
  }
}

static void sys_say(const char *fmt, const char *what, double a, double b,
                    double c) {
  char msg[200];
  snprintf(msg, sizeof msg, fmt, what, a, b, c);
  con_message(msg);
}

/* The memory at argument 2's offset when `width' bytes from it lie inside
   the buffer at 1; NULL after a message. */
static char *sys_field(lua_State *L, const char *what, size_t width) {
  size_t size;
  char *data = (char *)sys_buffer_data(L, 1, &size);
  if (data == NULL) {
    sys_say("buffer:%s: call it on a buffer, with a colon\n", what, 0, 0, 0);
    return NULL;
  }
  if (lua_type(L, 2) != LUA_TNUMBER) {
    sys_say("buffer:%s: the offset must be a number\n", what, 0, 0, 0);
    return NULL;
  }
  double off = lua_tonumber(L, 2);
  if (off != floor(off) || off < 0 || off + (double)width > (double)size) {
    sys_say("buffer:%s: offset %.14g and %.14g bytes lie outside the buffer"
            " of %.14g bytes\n", what, off, (double)width, (double)size);
    return NULL;
  }
  return data + (size_t)off;
}

static int sys_get(lua_State *L) {
  int t = (int)lua_tointeger(L, lua_upvalueindex(1));
  const char *name = sys_type_name(t);
  char *at = sys_field(L, name, (size_t)sys_type_size(t));
  if (at == NULL) return 0;
  uint64_t bits = 0;
  memcpy(&bits, at, (size_t)sys_type_size(t));   /* little-endian */
  lua_pushnumber(L, sys_number_of(t, bits));
  return 1;
}

static int sys_set(lua_State *L) {
  int t = (int)lua_tointeger(L, lua_upvalueindex(1));
  char what[16];
  snprintf(what, sizeof what, "set%s", sys_type_name(t));
  char *at = sys_field(L, what, (size_t)sys_type_size(t));
  if (at == NULL) return 0;
  uint64_t bits;
  if (t == SYS_POINTER) {
    uintptr_t p;
    if (!sys_pointer_of(L, 3, 0, &p)) {
      sys_say("buffer:%s: the value must be a number, buffer, callback or nil\n",
              what, 0, 0, 0);
      return 0;
    }
    bits = p;
  } else if (lua_type(L, 3) == LUA_TNUMBER) {
    bits = sys_bits_of(t, lua_tonumber(L, 3));
  } else if (lua_type(L, 3) == LUA_TBOOLEAN) {
    bits = sys_bits_of(t, lua_toboolean(L, 3));
  } else {
    sys_say("buffer:%s: the value must be a number\n", what, 0, 0, 0);
    return 0;
  }
  memcpy(at, &bits, (size_t)sys_type_size(t));
  return 0;
}

/* b:string(off [, len]): len bytes, or up to the first zero byte (or the
   end of the buffer). */
static int sys_string(lua_State *L) {
  size_t len = 0;
  if (!lua_isnoneornil(L, 3)) {
    double l = lua_type(L, 3) == LUA_TNUMBER ? lua_tonumber(L, 3) : -1;
    if (l != floor(l) || l < 0 || l > (double)SYS_BUFFER_MAX) {
      sys_say("buffer:%s: the length must be a whole number from 0\n", "string",
              0, 0, 0);
      return 0;
    }
    len = (size_t)l;
  }
  char *at = sys_field(L, "string", len);
  if (at == NULL) return 0;
  if (lua_isnoneornil(L, 3)) {
    size_t size;
    char *data = (char *)sys_buffer_data(L, 1, &size);
    const char *end = (const char *)memchr(at, 0, size - (size_t)(at - data));
    len = end ? (size_t)(end - at) : size - (size_t)(at - data);
  }
  lua_pushlstring(L, at, len);
  return 1;
}

/* b:setstring(off, s): the bytes of s and a zero byte after them. */
static int sys_setstring(lua_State *L) {
  if (lua_type(L, 3) != LUA_TSTRING && lua_type(L, 3) != LUA_TNUMBER) {
    sys_say("buffer:%s: the value must be a string\n", "setstring", 0, 0, 0);
    return 0;
  }
  size_t len;
  const char *s = lua_tolstring(L, 3, &len);
  char *at = sys_field(L, "setstring", len + 1);
  if (at == NULL) return 0;
  memcpy(at, s, len);
  at[len] = '\0';
  return 0;
}

static int sys_address(lua_State *L) {
  void *data = sys_buffer_data(L, 1, NULL);
  if (data == NULL) return 0;
  lua_pushnumber(L, (lua_Number)(uintptr_t)data);
  return 1;
}

static int sys_size(lua_State *L) {
  size_t size;
  if (sys_buffer_data(L, 1, &size) == NULL) return 0;
  lua_pushnumber(L, (lua_Number)size);
  return 1;
}

static int sys_tostring(lua_State *L) {
  size_t size;
  void *data = sys_buffer_data(L, 1, &size);
  lua_pushfstring(L, "buffer: %p (%d bytes)", data, (int)size);
  return 1;
}

int sys_buffer_new(lua_State *L) {
  if (lua_type(L, 1) != LUA_TNUMBER) {
    con_message("dll.buffer: the size must be a number\n");
    return 0;
  }
  double n = lua_tonumber(L, 1);
  if (n != floor(n) || n < 0 || n > (double)SYS_BUFFER_MAX) {
    con_message("dll.buffer: the size must be a whole number from 0 to 1073741824\n");
    return 0;
  }
  void *b = lua_newuserdata(L, (size_t)n);
  memset(b, 0, (size_t)n);
  luaL_getmetatable(L, SYS_BUFFER_MT);
  lua_setmetatable(L, -2);
  return 1;
}

void sys_buffer_open(lua_State *L) {
  static const uint8_t fields[] = {SYS_I8, SYS_U8, SYS_I16, SYS_U16, SYS_I32,
                                   SYS_U32, SYS_I64, SYS_U64, SYS_FLOAT,
                                   SYS_DOUBLE, SYS_POINTER};
  luaL_newmetatable(L, SYS_BUFFER_MT);
  lua_newtable(L);
  for (size_t i = 0; i < sizeof fields; i++) {
    char set[16];
    lua_pushinteger(L, fields[i]);
    lua_pushcclosure(L, sys_get, 1);
    lua_setfield(L, -2, sys_type_name(fields[i]));
    snprintf(set, sizeof set, "set%s", sys_type_name(fields[i]));
    lua_pushinteger(L, fields[i]);
    lua_pushcclosure(L, sys_set, 1);
    lua_setfield(L, -2, set);
  }
  lua_pushcfunction(L, sys_string);
  lua_setfield(L, -2, "string");
  lua_pushcfunction(L, sys_setstring);
  lua_setfield(L, -2, "setstring");
  lua_pushcfunction(L, sys_address);
  lua_setfield(L, -2, "address");
  lua_pushcfunction(L, sys_size);
  lua_setfield(L, -2, "size");
  lua_setfield(L, -2, "__index");
  lua_pushcfunction(L, sys_size);
  lua_setfield(L, -2, "__len");
  lua_pushcfunction(L, sys_tostring);
  lua_setfield(L, -2, "__tostring");
  lua_pop(L, 1);
}
