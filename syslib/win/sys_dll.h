/*
** sys_dll.h: the global `dll': typed calls of DLL functions (sig),
** buffers and callbacks.
*/
#ifndef sys_dll_h
#define sys_dll_h

extern "C" {
#include "lua.h"
}

#define SYS_EXPORT_MT "ldlyb.export"   /* block: the export's address */

/* The state of the innermost typed call under way, or NULL: callbacks run
   their functions on it, so that a call made from a coroutine calls back
   into that coroutine. */
extern lua_State *sys_active;

int sys_callback_new(lua_State *L);    /* dll.callback */
void sys_callback_open(lua_State *L);
int sys_open_dll(lua_State *L);        /* dll */

#endif
