// Cost of a guarded member call from a script beside a plain C function
// call, a million calls each, and of registering a module image. Prints
// figures; no pass or fail.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

#include "host/base/heap.h"
#include "native/modules/mod_build.h"
#include "native/guard/guard.h"
#include "native/modules/mod_registry.h"
#include "native/modules/modules.h"


namespace {

int c_add(lua_State *L) {
  lua_pushinteger(L, lua_tointeger(L, 1) + lua_tointeger(L, 2));
  return 1;
}

// The parts of a member call, to see where its time goes: the guard alone
// (a C function calling the member's code through ng_invoke) and the
// metamethod dispatch alone (a userdata whose __call is c_add's body).
const void *g_code;

int g_add(lua_State *L) {
  uint32_t w[2] = {(uint32_t)lua_tointeger(L, 1), (uint32_t)lua_tointeger(L, 2)};
  int f = 0;
  lua_pushinteger(L, (int32_t)ng_invoke(g_code, w, 2, &f));
  return 1;
}

int u_add(lua_State *L) {
  lua_pushinteger(L, lua_tointeger(L, 2) + lua_tointeger(L, 3));
  return 1;
}

mb_bytes add_image(const std::string &name) {
  mb_image im;
  im.name = name;
  im.code = {0x8B, 0x44, 0x24, 0x04, 0x03, 0x44, 0x24, 0x08, 0xC2, 0x08, 0x00};
  mb_member(im.members, "add", "", 0, mb_sig({3, 3}, {3}), 6);
  for (int i = 0; i < 50; i++)
    mb_member(im.members, ("v" + std::to_string(i)).c_str(), "", 0x33, {}, 6);
  return mb_finish(im, nullptr);
}

uint8_t *place(const mb_bytes &b) {
  uint8_t *p = (uint8_t *)VirtualAlloc(nullptr, b.size(), MEM_COMMIT | MEM_RESERVE,
                                       PAGE_EXECUTE_READWRITE);
  memcpy(p, b.data(), b.size());
  return p;
}

double seconds(lua_State *L, const char *chunk) {
  auto t0 = std::chrono::steady_clock::now();
  if (luaL_dostring(L, chunk)) fprintf(stderr, "%s\n", lua_tostring(L, -1));
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main() {
  hp_init();
  lua_State *L = luaL_newstate();
  luaL_openlibs(L);
  mod_open(L);
  lua_register(L, "c_add", c_add);
  mb_bytes img = add_image("bench");
  if (!mod_check_register(place(img), img.size())) return 1;
  luaL_dostring(L, "m_add = modules.byname.bench.byname.add");
  g_code = place(img) + 6;
  lua_register(L, "g_add", g_add);
  lua_newuserdata(L, 4);
  lua_newtable(L);
  lua_pushcfunction(L, u_add);
  lua_setfield(L, -2, "__call");
  lua_setmetatable(L, -2);
  lua_setglobal(L, "u_add");
  // The chunks take turns, run by run, so that a busy machine weighs on
  // all alike; each figure is the best run.
  static const char *const chunks[] = {
      "local f, n = c_add, 0 for i = 1, 1000000 do n = f(n, 1) end",
      "local f, n = m_add, 0 for i = 1, 1000000 do n = f(n, 1) end",
      "local f, n = m_add, 0 for i = 1, 1000000 do n = f.access end",
      "local f, n = g_add, 0 for i = 1, 1000000 do n = f(n, 1) end",
      "local f, n = u_add, 0 for i = 1, 1000000 do n = f(n, 1) end"};
  const int K = sizeof chunks / sizeof chunks[0];
  double best[K];
  std::fill(best, best + K, 1e300);
  for (int r = 0; r < 7; r++)
    for (int k = 0; k < K; k++) best[k] = std::min(best[k], seconds(L, chunks[k]));
  double c = best[0], m = best[1];
  printf("its parts, 1e6 calls: C function through the guard %.3f s, "
         "C function as __call of a userdata %.3f s\n", best[3], best[4]);
  printf("1e6 member field reads: %.3f s\n", best[2]);
  printf("1e6 calls, best of 7: C function %.3f s, guarded member %.3f s "
         "(%.2fx; goal <= 2.00)\n", c, m, m / c);

  {
    uint8_t *code = place(img) + 6;
    uint32_t w[2] = {1, 2};
    int f = 0;
    auto t0 = std::chrono::steady_clock::now();
    uint32_t sum = 0;
    for (int i = 0; i < 1000000; i++) sum += ng_invoke(code, w, 2, &f);
    double g = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    printf("1e6 guarded calls from C: %.3f s (%u)\n", g, sum);
  }
  const int N = 2000;
  auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < N; i++) {
    mb_bytes b = add_image("r" + std::to_string(i));
    mod_check_register(place(b), b.size());
  }
  double r = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  printf("register %d modules of 51 members: %.1f us each (registry grows to %d)\n", N,
         r * 1e6 / N, mr_count());
  lua_close(L);
  return 0;
}
