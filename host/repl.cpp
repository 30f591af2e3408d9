/*
** Read-evaluate loop: each line is compiled as a chunk named by its own text
** and run under the protected call with traceback.
*/
#include <string.h>

#include "host/console.h"
#include "host/repl.h"
#include "host/script/report.h"
#include "host/trelk.h"

extern "C" {
#include "lauxlib.h"
}

int repl_eval(lua_State *L, const char *line) {
  /* the chunk is named by its own text, so that error messages cite
     exactly what the user typed */
  size_t len = strlen(line);
  int top = lua_gettop(L);
  lua_pushlstring(L, line, len);
  const char *name = lua_tostring(L, -1);
  int status = luaL_loadbuffer(L, line, len, name);
  if (status) {
    con_message(lua_tostring(L, -1));
  } else {
    /* compiled lines stay alive for the whole run: native code assembled
       from them and the source texts they keep may be referred to later */
    lua_pushvalue(L, -1);
    luaL_ref(L, LUA_REGISTRYINDEX);
    status = rep_pcall(L, 0, 1);
  }
  lua_settop(L, top);
  return status;
}

void repl_run(lua_State *L) {
  char line[REPL_LINE];
  for (;;) {
    if (con_readline(line, REPL_LINE) < 0) break;
    repl_eval(L, line);
    /* `exit' in the line, or an exit request that ended a nested read */
    if (trelk.exit_requested || trelk.shutdown) break;
  }
}

static int l_exit(lua_State *L) {
  (void)L;
  trelk_exit_request();
  trelk.exit_requested = 1;
  return 0;
}

int repl_open_exit(lua_State *L) {
  lua_register(L, "exit", l_exit);
  return 0;
}
