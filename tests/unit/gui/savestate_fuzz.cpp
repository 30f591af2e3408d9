// libFuzzer: a control whose name, comment and command come from the input
// is written, read back by a fresh state and written again; both texts
// must be the same and the command must come back unchanged.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>

#include "gui/gui.h"
#include "gui/savestate.h"
#include "tests/unit/gui/harness.h"

extern "C" {
#include "lauxlib.h"
}

static std::string text_of_state() {
  struct sbuf b;
  sb_init(&b);
  ss_build(gui_L, &b);
  std::string s(b.p ? b.p : "", b.n);
  sb_free(&b);
  return s;
}

static void set_global(const char *name, const std::string &v) {
  lua_pushlstring(gui_L, v.data(), v.size());
  lua_setglobal(gui_L, name);
}

static std::string first_command() {
  lua_getglobal(gui_L, "trelk");
  lua_rawgeti(gui_L, -1, 1);
  std::string out = "<none>";
  if (lua_istable(gui_L, -1)) {
    lua_getfield(gui_L, -1, "command");
    size_t n = 0;
    const char *cmd = lua_tolstring(gui_L, -1, &n);
    out = cmd ? std::string(cmd, n) : std::string("<nil>");
  }
  lua_settop(gui_L, 0);
  return out;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string part[3];
  int k = 0;
  for (size_t i = 0; i < size && k < 3; i++) {   // texts split at NUL bytes
    if (data[i] == 0) k++;
    else part[k] += (char)data[i];
  }
  gh_state();
  set_global("n_", part[0]);
  set_global("c_", part[1]);
  set_global("m_", part[2]);
  gh_run("trelk:ins(button{name=n_, comment=c_, command=m_}) n_, c_, m_ = nil");
  std::string first = text_of_state(), cmd = first_command();
  gh_state();
  gh_run(first.c_str());
  if (text_of_state() != first || first_command() != cmd) abort();
  gh_close();
  return 0;
}
