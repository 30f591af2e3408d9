/*
** Menu objects: the `menu' constructor and the container methods `ins',
** `push' and `pop', with attaching entries for inserted containers.
*/
#ifndef menuobj_h
#define menuobj_h

extern "C" {
#include "lua.h"
}

int mo_menu(lua_State *L);
int mo_ins(lua_State *L);
int mo_push(lua_State *L);
int mo_pop(lua_State *L);

#endif
