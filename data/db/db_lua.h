/*
** The script library `db` (storages, views, rows): db_open registers the
** global table `db` and leaves it on the stack (1 result). Messages go to
** the host's con_message.
*/
#ifndef db_lua_h
#define db_lua_h

extern "C" {
#include "lua.h"
}

int db_open(lua_State *L);

#endif
