/*
** syslib.h: the system library's global functions, registered at start-up
** in the program's order (ldlyb, drives, ... ls, pwd, attr).
*/
#ifndef syslib_h
#define syslib_h

extern "C" {
#include "lua.h"
}

int sys_open_ldlyb(lua_State *L);   /* ldlyb, dll */
int sys_open_drives(lua_State *L);  /* drives */
int sys_open_files(lua_State *L);   /* ls, pwd, attr */

#endif
