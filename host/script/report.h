/*
** Error reports: every interpreter error ends as red text in the terminal.
*/
#ifndef report_h
#define report_h

extern "C" {
#include "lua.h"
}

#define REP_BUFSIZE 4096

void rep_message(const char *name, const char *msg);
int rep_status(lua_State *L, int status);
int rep_traceback(lua_State *L);
int rep_pcall(lua_State *L, int nargs, int clear);
/* call: told when a protected call begins (1) and when it has returned
   (0). The default ignores it. */
struct rep_ops {
  void (*call)(int entering);
};
extern struct rep_ops rep_ops;
int rep_panic(lua_State *L);
int rep_early_panic(lua_State *L);

#endif
