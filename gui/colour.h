/*
** `trelk.color': the program's colour table seen from scripts by name.
*/
#ifndef colour_h
#define colour_h

extern "C" {
#include "lua.h"
}

void gcol_push(lua_State *L);   /* a new `color' table */

#endif
