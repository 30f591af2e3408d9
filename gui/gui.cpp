/*
** Registration of the script GUI library.
*/
#include "gui/colour.h"
#include "gui/controls.h"
#include "gui/gui.h"
#include "gui/menuobj.h"
#include "gui/objects.h"
#include "gui/view.h"

extern "C" {
#include "lauxlib.h"
}
#include "host/base/message.h"

lua_State *gui_L = NULL;
struct gr_container *gui_main_menu = NULL;
int gui_rearrange = 1;
int gui_drop_timeout = 140;

void gui_refresh(struct gr_container *c) {
  if (c && gui_rearrange) gv.refresh(c);
}

static void set_fn(lua_State *L, const char *name, lua_CFunction f) {
  lua_pushcfunction(L, f);
  lua_setfield(L, -2, name);
}

/* The metatables stay referenced from the registry for the whole run. */
void gui_open_metatables(lua_State *L) {
  gui_L = L;
  luaL_newmetatable(L, GUI_MENU_MT);
  set_fn(L, "__index", obj_index);
  set_fn(L, "__newindex", obj_newindex);
  set_fn(L, "push", mo_push);
  set_fn(L, "pop", mo_pop);
  set_fn(L, "ins", mo_ins);
  lua_pop(L, 1);
  luaL_newmetatable(L, GUI_ENTRY_MT);
  set_fn(L, "__index", obj_index);
  set_fn(L, "__newindex", obj_newindex);
  set_fn(L, "del", obj_del);
  set_fn(L, "__gc", obj_del);
  /* `ins' on a control says why nothing goes in, rather than raising */
  set_fn(L, "ins", mo_ins);
  set_fn(L, "push", mo_push);
  lua_pop(L, 1);
}

void gui_open_trelk(lua_State *L) {
  if (gui_main_menu == NULL)
    gui_main_menu = gr_container_new(GR_MENU, "Main Menu", NULL);
  lua_newtable(L);
  int t = lua_gettop(L);
  gui_main_menu->ref = obj_pin(L, t);
  lua_pushinteger(L, 0);
  obj_rawset(L, t, "n");
  lua_pushlightuserdata(L, gui_main_menu);
  obj_rawset(L, t, "HANDLE");
  lua_pushstring(L, "Menu");
  obj_rawset(L, t, "TYPE");
  luaL_getmetatable(L, GUI_MENU_MT);
  if (lua_istable(L, -1)) {
    lua_setmetatable(L, t);
  } else {
    lua_pop(L, 1);
    con_message("Can't set menu metatable\n");
  }
  gcol_push(L);
  obj_rawset(L, t, "color");
  lua_setglobal(L, "trelk");
}

void gui_open_constructors(lua_State *L) {
  lua_register(L, "menu", mo_menu);
  ctl_open(L);
}
