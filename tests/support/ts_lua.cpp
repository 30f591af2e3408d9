#include "tests/support/ts_lua.h"

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

lua_State *ts_fresh(void) {
  lua_State *L = luaL_newstate();
  luaL_openlibs(L);
  return L;
}

bool ts_run(lua_State *L, const std::string &chunk, std::string &err, int nresults,
            const char *name) {
  int top = lua_gettop(L);
  if (luaL_loadbuffer(L, chunk.data(), chunk.size(), name ? name : chunk.c_str()) == 0 &&
      lua_pcall(L, 0, nresults, 0) == 0)
    return true;
  const char *s = lua_tostring(L, -1);
  err = s ? s : "?";
  lua_settop(L, top);
  return false;
}

std::string ts_do(lua_State *L, const std::string &chunk, const char *name) {
  int top = lua_gettop(L);
  std::string e;
  ts_run(L, chunk, e, 0, name);
  lua_settop(L, top);
  return e;
}

static void ts_value(lua_State *L, int i, ts_form form, std::string &out) {
  int t = lua_type(L, i);
  if (form == TS_TOSTRING) {
    lua_getglobal(L, "tostring");
    lua_pushvalue(L, i);
    lua_call(L, 1, 1);
    const char *s = lua_tostring(L, -1);
    out += s ? s : "?";
    lua_pop(L, 1);
  } else if (form == TS_QUOTED && t == LUA_TSTRING) {
    size_t n;
    const char *s = lua_tolstring(L, i, &n);
    out += "\"" + std::string(s, n) + "\"";
  } else if (form == TS_QUOTED && t == LUA_TBOOLEAN) {
    out += lua_toboolean(L, i) ? "true" : "false";
  } else if (t == LUA_TNUMBER || t == LUA_TSTRING) {
    lua_pushvalue(L, i);   // converting in place would turn a number into a string
    size_t n;
    const char *s = lua_tolstring(L, -1, &n);
    out.append(s, n);
    lua_pop(L, 1);
  } else {
    out += luaL_typename(L, i);
  }
}

std::string ts_results(lua_State *L, int from, const char *sep, ts_form form) {
  std::string out;
  for (int i = from; i <= lua_gettop(L); i++) {
    if (i > from) out += sep;
    ts_value(L, i, form, out);
  }
  return out;
}

std::string ts_eval(lua_State *L, const std::string &chunk, const char *sep, ts_form form,
                    const char *name) {
  int top = lua_gettop(L);
  std::string e;
  if (!ts_run(L, chunk, e, LUA_MULTRET, name)) return "error: " + e;
  std::string out = ts_results(L, top + 1, sep, form);
  lua_settop(L, top);
  return out;
}
