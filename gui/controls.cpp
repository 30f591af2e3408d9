/*
** Constructors of controls. Each takes an optional table of fields; a field
** of the wrong type is left out.
*/
#include "gui/command.h"
#include "gui/controls.h"
#include "gui/gui.h"
#include "gui/menuobj.h"
#include "gui/objects.h"
#include "gui/props.h"
#include "gui/view.h"

extern "C" {
#include "lauxlib.h"
}
#include "host/base/message.h"

static const char *field_text(lua_State *L, int args, const char *key) {
  /* raw: a text made by a metamethod would be unreferenced once popped */
  lua_pushstring(L, key);
  lua_rawget(L, args);
  const char *s = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : NULL;
  lua_pop(L, 1);
  return s;
}

/* applies args[key] as a write of that property would */
static void apply(lua_State *L, int args, int obj, void *rec, const char *key,
                  int type) {
  lua_getfield(L, args, key);
  if (lua_type(L, -1) == type) {
    lua_pushstring(L, key);
    lua_insert(L, -2);   /* key, value: the writer takes the value at top */
    prop_find(key)->wr(L, rec, obj, lua_gettop(L));
  }
  lua_settop(L, obj);
}

static void add_style(lua_State *L, int obj) {
  lua_newtable(L);
  for (int i = 1; i <= 32; i++) {
    lua_newtable(L);
    lua_newtable(L);
    lua_setfield(L, -2, "font");
    lua_rawseti(L, -2, i);
  }
  lua_newtable(L);
  for (int i = 1; i <= 3; i++) {
    lua_newtable(L);
    lua_rawseti(L, -2, i);
  }
  lua_setfield(L, -2, "margin");
  lua_newtable(L);
  for (int i = 1; i <= 32; i++) {
    lua_pushstring(L, "");
    lua_rawseti(L, -2, i);
  }
  lua_setfield(L, -2, "lex");
  obj_rawset(L, obj, "style");
}

/* `grep' and `mes' belong to the editor layer */
static int editor_missing(lua_State *L) {
  (void)L;
  con_message("The editor component is not available in this build\n");
  return 0;
}

struct ctl_ops ctl_ops = {editor_missing, editor_missing};

static int make(lua_State *L, uint32_t kind) {
  lua_settop(L, 1);
  int args = lua_istable(L, 1) ? 1 : 0;
  const char *name = args ? field_text(L, args, "name") : NULL;
  const char *comment = args ? field_text(L, args, "comment") : NULL;
  size_t len = 0;
  const char *command = "";
  if (args) {
    lua_getfield(L, args, "command");
    command = cmd_text(L, -1, &len);   /* stays on the stack at 2 */
  } else {
    lua_pushnil(L);
  }
  lua_newtable(L);
  int obj = lua_gettop(L);
  lua_pushstring(L, "MenuString");
  obj_rawset(L, obj, "TYPE");
  if (len) cmd_set(L, obj, command, len);
  luaL_getmetatable(L, GUI_ENTRY_MT);
  lua_setmetatable(L, obj);
  struct gr_entry *e = gr_entry_new(kind, name, comment,
                                    cmd_push_body(L, command, len));
  lua_pop(L, 1);
  e->ref = obj_pin(L, obj);
  if (args) {
    apply(L, args, obj, e, "checked", LUA_TBOOLEAN);
    apply(L, args, obj, e, "x", LUA_TNUMBER);
    apply(L, args, obj, e, "y", LUA_TNUMBER);
    apply(L, args, obj, e, "w", LUA_TNUMBER);
    apply(L, args, obj, e, "h", LUA_TNUMBER);
    apply(L, args, obj, e, "onRBUTTONCLICK", LUA_TTABLE);
  }
  if (kind == GR_MULTIEDIT) add_style(L, obj);
  lua_pushlightuserdata(L, e);
  obj_rawset(L, obj, "msHANDLE");
  if (kind & GR_EDIT) {
    lua_pushcfunction(L, ctl_ops.grep);
    obj_rawset(L, obj, "grep");
    lua_pushcfunction(L, ctl_ops.mes);
    obj_rawset(L, obj, "mes");
  }
  return 1;
}

#define CTOR(fn, kind) \
  static int fn(lua_State *L) { return make(L, kind); }
CTOR(l_separator, GR_SEPARATOR)
CTOR(l_button, GR_BUTTON)
CTOR(l_edit, GR_EDIT)
CTOR(l_multiedit, GR_MULTIEDIT)
CTOR(l_label, GR_LABEL)
CTOR(l_checkbox, GR_CHECKBOX)
CTOR(l_radio, GR_RADIO)

static int l_dialog(lua_State *L) {
  obj_new_container(L, GR_DIALOG, lua_gettop(L) >= 1 ? 1 : 0, "Dialog",
                    "Can't set menu metatable\n");
  lua_pushcfunction(L, mo_ins);
  obj_rawset(L, -2, "ins");
  return 1;
}

static int l_table(lua_State *L) {
  obj_new_container(L, GR_TABLE, lua_gettop(L) >= 1 ? 1 : 0, "Table",
                    "Can't set Table metatable\n");
  return 1;
}

void ctl_open(lua_State *L) {
  lua_register(L, "dialog", l_dialog);
  lua_register(L, "table", l_table);
  lua_register(L, "separator", l_separator);
  lua_register(L, "button", l_button);
  lua_register(L, "edit", l_edit);
  lua_register(L, "multiedit", l_multiedit);
  lua_register(L, "label", l_label);
  lua_register(L, "checkbox", l_checkbox);
  lua_register(L, "radio", l_radio);
}
