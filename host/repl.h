/*
** The read-evaluate loop of the terminal.
*/
#ifndef repl_h
#define repl_h

extern "C" {
#include "lua.h"
}

#define REPL_LINE 512

void repl_run(lua_State *L);
int repl_eval(lua_State *L, const char *line);   /* status of the line */
int repl_open_exit(lua_State *L);                /* the global `exit' */

#endif
