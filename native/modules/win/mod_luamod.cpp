/*
** The built-in module `lua': an open context whose handlers read and set
** script globals and run script text, and whose imports are the
** interpreter's API functions by name ("pushnumber" or "lua_pushnumber",
** "luaL_checkinteger").
*/
#include <windows.h>

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

extern "C" {
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
}

#include "host/script/report.h"
#include "native/modules/mod_builtin.h"
#include "native/modules/mod_call.h"
#include "native/modules/mod_image.h"
#include "host/base/message.h"

lua_State *lm_L = NULL;

/* An identifier the "name=value;" text can hold. */
static int lm_is_name(const char *s) {
  if (s == NULL || !(*s == '_' || isalpha((unsigned char)*s))) return 0;
  if (strnlen(s, 201) > 200) return 0;
  for (; *s; s++)
    if (!(*s == '_' || isalnum((unsigned char)*s))) return 0;
  return 1;
}

static int lm_is_string(uint32_t type) {
  uint8_t t = (uint8_t)type & MI_TYPEMASK;
  return t != MI_REAL && (t & MI_SIZEMASK) == MI_STRING;
}

/* Value of a global by the reader's type: strings and reals by the address
   of a copy that lasts until the next read, other types as a 32-bit word. */
extern "C" uint32_t __stdcall lm_read(const char *name, uint32_t type) {
  static char *text = NULL;
  static double real;
  lua_State *L = lm_L;
  if (L == NULL || name == NULL) return 0;
  lua_getglobal(L, name);
  uint32_t v = 0;
  if (((uint8_t)type & MI_TYPEMASK) == MI_REAL) {
    real = lua_tonumber(L, -1);
    v = (uint32_t)(uintptr_t)&real;
  } else if (lm_is_string(type)) {
    const char *s = lua_tostring(L, -1);
    free(text);
    text = NULL;
    if (s) {
      text = (char *)malloc(strlen(s) + 1);
      if (text) strcpy(text, s);
    }
    v = (uint32_t)(uintptr_t)text;
  } else {
    v = mc_word(lua_tonumber(L, -1));
  }
  lua_pop(L, 1);
  return v;
}

/* Runs a chunk; load and run errors are reported like any script error. */
static uint32_t lm_do(const char *text, size_t len, const char *chunkname) {
  lua_State *L = lm_L;
  if (L == NULL) return 1;
  int status = luaL_loadbuffer(L, text, len, chunkname);
  if (status) return (uint32_t)rep_status(L, status);
  return (uint32_t)rep_pcall(L, 0, 1);
}

/* A long bracket whose level does not occur in s as a closing bracket. */
static int lm_level(const char *s) {
  for (int level = 0;; level++) {
    char close[40];
    close[0] = ']';
    memset(close + 1, '=', (size_t)level);
    close[level + 1] = ']';
    close[level + 2] = 0;
    if (strstr(s, close) == NULL && level < 32) return level;
    if (level >= 32) return -1;
  }
}

/* Sets a global as the text "name=value;" would: the value is an integer,
   the address of a double (real) or of a text (string). */
extern "C" uint32_t __stdcall lm_write(const char *name, uint32_t type, uint32_t value) {
  if (!lm_is_name(name)) {
    con_message("lua: not a global name\n");
    return 1;
  }
  if (((uint8_t)type & MI_TYPEMASK) == MI_REAL) {
    char buf[320];
    int n = snprintf(buf, sizeof buf, "%s=%.32g;\n", name,
                     value ? *(const double *)(uintptr_t)value : 0.0);
    return lm_do(buf, (size_t)n, buf);
  }
  if (!lm_is_string(type)) {
    char buf[256];
    int n = snprintf(buf, sizeof buf, "%s=%d;", name, (int)value);
    return lm_do(buf, (size_t)n, buf);
  }
  const char *s = value ? (const char *)(uintptr_t)value : "";
  int level = lm_level(s);
  if (level < 0) {
    con_message("lua: text cannot be quoted\n");
    return 1;
  }
  /* "name=[==[\n...]==];": the newline after the bracket is dropped by the
     reader, so a text starting with one keeps it. */
  size_t len = strlen(name) + strlen(s) + 2 * (size_t)level + 16;
  char *buf = (char *)malloc(len);
  if (buf == NULL) return 1;
  int n = snprintf(buf, len, "%s=[%.*s[\n%s]%.*s];", name, level,
                   "================================", s, level,
                   "================================");
  uint32_t st = lm_do(buf, (size_t)n, name);
  free(buf);
  return st;
}

extern "C" uint32_t __stdcall lm_run(const char *text) {
  if (text == NULL) return 1;
  return lm_do(text, strlen(text), text);
}

struct lm_api {
  const char *name;
  void *fn;
};

#define A(n) {#n, (void *)lua_##n}
#define X(n) {"luaL_" #n, (void *)luaL_##n}
static const lm_api lm_table[] = {
  A(newthread), A(atpanic), A(gettop), A(settop), A(pushvalue), A(remove),
  A(insert), A(replace), A(checkstack), A(xmove), A(isnumber), A(isstring),
  A(iscfunction), A(isuserdata), A(type), A(typename), A(equal), A(rawequal),
  A(lessthan), A(tonumber), A(tointeger), A(toboolean), A(tolstring),
  A(objlen), A(tocfunction), A(touserdata), A(tothread), A(topointer),
  A(pushnil), A(pushnumber), A(pushinteger), A(pushlstring), A(pushstring),
  A(pushvfstring), A(pushfstring), A(pushcclosure), A(pushboolean),
  A(pushlightuserdata), A(pushthread), A(gettable), A(getfield), A(rawget),
  A(rawgeti), A(createtable), A(newuserdata), A(getmetatable), A(getfenv),
  A(settable), A(setfield), A(rawset), A(rawseti), A(setmetatable),
  A(setfenv), A(call), A(pcall), A(cpcall), A(load), A(dump), A(yield),
  A(resume), A(status), A(gc), A(error), A(next), A(concat), A(getallocf),
  A(setallocf), A(getstack), A(getinfo), A(getlocal), A(setlocal),
  A(getupvalue), A(setupvalue), A(sethook), A(gethook), A(gethookmask),
  A(gethookcount),
  X(register), X(getmetafield), X(callmeta), X(typerror), X(argerror),
  X(checklstring), X(optlstring), X(checknumber), X(optnumber),
  X(checkinteger), X(optinteger), X(checkstack), X(checktype), X(checkany),
  X(newmetatable), X(checkudata), X(where), X(error), X(checkoption), X(ref),
  X(unref), X(loadfile), X(loadbuffer), X(loadstring), X(gsub),
  X(findtable), X(buffinit), X(prepbuffer), X(addlstring), X(addstring),
  X(addvalue), X(pushresult),
};
#undef A
#undef X

uint32_t lm_resolve(const char *name) {
  if (name == NULL) return 0;
  const char *bare = strncmp(name, "lua_", 4) == 0 ? name + 4 : name;
  for (const lm_api &a : lm_table)
    if (strcmp(a.name, bare) == 0 || strcmp(a.name, name) == 0)
      return (uint32_t)(uintptr_t)a.fn;
  return 0;
}
