/*
** Program-name messages, status reports, the traceback handler, the
** protected call every script entry goes through, and the panic functions.
*/
#include <stdio.h>
#include <string.h>

#include "host/base/message.h"
#include "host/script/report.h"

extern "C" {
#include "lauxlib.h"
}

static const char progname[] = "trelk";
static void no_call(int) {}
struct rep_ops rep_ops = {no_call};

/* "name: msg\n", cut to the report buffer. */
void rep_message(const char *name, const char *msg) {
  char buf[REP_BUFSIZE];
  size_t n = 0;
  if (name) n = (size_t)snprintf(buf, sizeof buf, "%s: ", name);
  if (n >= sizeof buf) n = sizeof buf - 1;
  snprintf(buf + n, sizeof buf - n, "%s\n", msg);
  con_message(buf);
}

int rep_status(lua_State *L, int status) {
  if (status && !lua_isnil(L, -1)) {
    const char *msg = lua_tostring(L, -1);
    if (msg == NULL) msg = "(error object is not a string)";
    rep_message(progname, msg);
    lua_pop(L, 1);
  }
  return status;
}

int rep_traceback(lua_State *L) {
  if (!lua_isstring(L, 1)) return 1;   /* keep non-text values as they are */
  lua_getfield(L, LUA_GLOBALSINDEX, "debug");
  if (!lua_istable(L, -1)) {
    lua_pop(L, 1);
    return 1;
  }
  lua_getfield(L, -1, "traceback");
  if (!lua_isfunction(L, -1)) {
    lua_pop(L, 2);
    return 1;
  }
  lua_pushvalue(L, 1);
  lua_pushinteger(L, 2);
  lua_call(L, 2, 1);
  return 1;
}

int rep_pcall(lua_State *L, int nargs, int clear) {
  int base = lua_gettop(L) - nargs;
  lua_pushcfunction(L, rep_traceback);
  lua_insert(L, base);
  rep_ops.call(1);
  int status = lua_pcall(L, nargs, clear ? 0 : LUA_MULTRET, base);
  rep_ops.call(0);
  lua_remove(L, base);
  rep_status(L, status);
  if (status) lua_gc(L, LUA_GCCOLLECT, 0);
  return status;
}

/* Errors outside every protected call: the interpreter ends the process
   with exit code 1 once this returns. The error itself follows the fixed
   text, so that the report says what went wrong. */
int rep_panic(lua_State *L) {
  const char *msg = lua_tostring(L, -1);
  con_message("Unrecognised error..");
  con_message("\r");
  con_message(msg ? msg : "(error object is not a string)");
  con_message("\r");
  return 0;
}

/* In force while the libraries open, before rep_panic is installed. */
int rep_early_panic(lua_State *L) {
  char buf[REP_BUFSIZE];
  snprintf(buf, sizeof buf, "PANIC: unprotected error in call to Lua API (%s)\n",
           lua_tostring(L, -1));
  con_message(buf);
  return 0;
}
