/*
** rx_lua.h: the string library's pattern functions on regular expressions.
*/
#ifndef rx_lua_h
#define rx_lua_h

extern "C" {
#include "lua.h"
}

/* Replaces find, match, gmatch, gsub and gfind in the string table; call
   after the standard libraries are open. */
int rx_open(lua_State *L);

#endif
