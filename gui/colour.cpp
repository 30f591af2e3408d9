/*
** The colour table binding. Reads give the slot's number (a name not in the
** list gives no value); a number assigned to a known name is stored as a
** 32-bit value, so -1 reads back as -1; anything else is ignored.
*/
#include "gui/colour.h"
#include "ui/colour.h"

static int color_index(lua_State *L) {
  const char *name = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : NULL;
  int slot = name ? col_find(name) : -1;
  if (slot < 0) return 0;
  /* signed: a value written as -1 reads back as -1 */
  lua_pushnumber(L, (lua_Number)(int32_t)col_get(slot));
  return 1;
}

static int color_newindex(lua_State *L) {
  const char *name = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : NULL;
  int slot = name ? col_find(name) : -1;
  if (slot < 0 || lua_type(L, 3) != LUA_TNUMBER) return 0;
  lua_Number v = lua_tonumber(L, 3);
  /* any 32-bit value, signed or not; a number beyond that is no colour */
  if (v >= -2147483648.0 && v < 4294967296.0)
    col_set(slot, (uint32_t)(int64_t)v);
  return 0;
}

void gcol_push(lua_State *L) {
  lua_newtable(L);
  lua_newtable(L);
  lua_pushcfunction(L, color_index);
  lua_setfield(L, -2, "__index");
  lua_pushcfunction(L, color_newindex);
  lua_setfield(L, -2, "__newindex");
  lua_setmetatable(L, -2);
}
