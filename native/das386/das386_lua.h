/* das386_lua.h: registers the script function das386. */
#ifndef das386_lua_h
#define das386_lua_h

struct lua_State;

int das_open(lua_State *L);

#endif
