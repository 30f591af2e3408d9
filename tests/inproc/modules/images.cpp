#include "tests/inproc/modules/images.h"

#include <windows.h>

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

#include "host/base/heap.h"
#include "native/modules/modules.h"
#include "tests/support/ts_lua.h"
#include "tests/unit/modules/msg_double.h"

uint8_t *img_load(const mb_bytes &img) {
  uint8_t *p = (uint8_t *)VirtualAlloc(nullptr, img.size(), MEM_COMMIT | MEM_RESERVE,
                                       PAGE_EXECUTE_READWRITE);
  memcpy(p, img.data(), img.size());
  if (mod_check_register(p, img.size())) return p;
  VirtualFree(p, 0, MEM_RELEASE);
  return nullptr;
}

std::string img_start_names;

void ModState::SetUp() {
  if (hp_heap == nullptr) hp_init();
  L = ts_fresh();
  mod_open(L);
  msg_log.clear();
  if (img_start_names.empty())   // the registry as the first state saw it
    img_start_names = run("local t = {modules.n} for i = 1, modules.n do "
                          "t[#t + 1] = modules[i].name end return array.concat(t, ' ')");
}

void ModState::TearDown() { lua_close(L); }

std::string ModState::run(const std::string &chunk) {
  std::string e;
  if (!ts_run(L, chunk, e)) {
    lua_settop(L, 0);
    return "error: " + e;
  }
  std::string s = "none";
  if (lua_gettop(L) > 0) {
    lua_settop(L, 1);
    s = ts_results(L, 1, "", TS_TOSTRING);
  }
  lua_settop(L, 0);
  return s;
}
