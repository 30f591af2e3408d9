/*
** Menu objects: the `menu' constructor and the container methods `ins',
** `push' and `pop', with attaching entries for inserted containers.
*/
#ifndef trelk_gui_menuobj_h
#define trelk_gui_menuobj_h

extern "C" {
#include "lua.h"
}

int mo_menu(lua_State *L);
int mo_ins(lua_State *L);
int mo_push(lua_State *L);
int mo_pop(lua_State *L);

#endif
