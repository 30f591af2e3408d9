/*
** The script global `modules' and its module and member objects.
*/
#ifndef trelk_mod_lua_h
#define trelk_mod_lua_h

struct lua_State;

void mo_open(lua_State *L);   /* metatables and the global `modules' */

#endif
