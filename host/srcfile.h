/*
** Loading a script file: luaL_loadfile, except that a UTF-8 byte-order mark
** at the start is skipped (editors put one there).
*/
#ifndef srcfile_h
#define srcfile_h

extern "C" {
#include "lua.h"
}

int sf_loadfile(lua_State *L, const char *name);

#endif
