/*
** The script global `modules' and its module and member objects.
*/
#ifndef mod_lua_h
#define mod_lua_h

struct lua_State;

void mo_open(lua_State *L);   /* metatables and the global `modules' */

#endif
