/* das386_lua.h: registers the script function das386. */
#ifndef DAS386_LUA_H
#define DAS386_LUA_H

struct lua_State;

int das_open(lua_State *L);

#endif
