#include "tests/unit/gui/harness.h"

#include <string>

#include "gui/command.h"
#include "gui/gui.h"
#include "gui/objects.h"
#include "gui/view.h"
#include "ui/colour.h"
#include "tests/support/ts_lua.h"

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

static std::string out;
int gh_refreshes;

void con_message(const char *text) { out += text; }

static int l_print(lua_State *L) {
  int n = lua_gettop(L);
  for (int i = 1; i <= n; i++) {
    if (i > 1) out += "\t";
    lua_getglobal(L, "tostring");
    lua_pushvalue(L, i);
    lua_call(L, 1, 1);
    out += lua_tostring(L, -1);
    lua_pop(L, 1);
  }
  return 0;
}

static void count_refresh(struct gr_container *c) {
  (void)c;
  gh_refreshes++;
}

static lua_State *state;
static uint32_t colours[COL_COUNT];

lua_State *gh_state() {
  gh_close();
  static bool saved = false;
  static struct gv_ops view;
  if (!saved) {
    view = gv;
    for (int i = 0; i < COL_COUNT; i++) colours[i] = col_get(i);
    saved = true;
  }
  for (int i = 0; i < COL_COUNT; i++) col_set(i, colours[i]);
  gui_rearrange = 1;
  gui_drop_timeout = 140;
  gh_refreshes = 0;
  gv = view;
  gv.refresh = count_refresh;
  state = ts_fresh();
  lua_register(state, "print", l_print);
  gui_open_metatables(state);
  gui_open_trelk(state);
  gui_open_constructors(state);
  out.clear();
  return state;
}

void gh_close() {
  if (state) {
    // the main menu's entries go with the state
    obj_clean_native(gui_main_menu);
    lua_close(state);
    state = nullptr;
    gui_main_menu->ref = -2;
  }
}

std::string gh_take();

std::string gh_run(const char *chunk) {
  out.clear();
  if (luaL_loadstring(state, chunk)) {
    out += lua_tostring(state, -1);
    lua_pop(state, 1);
    return gh_take();
  }
  cmd_ops.pcall(state, 0);
  return gh_take();
}

std::string gh_eval(const char *expr) {
  std::string chunk = std::string("print(") + expr + ")";
  return gh_run(chunk.c_str());
}

std::string gh_take() {
  std::string s = out;
  out.clear();
  return s;
}
