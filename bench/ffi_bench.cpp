// A typed call of msvcrt's pow from a script beside the same pow called by
// a C function registered into the script, a million calls each, best of
// several runs (the machine may be shared). Prints figures; no pass or fail.
#include <windows.h>

#include <chrono>
#include <cstdio>

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

#include "syslib/syslib.h"

namespace {

typedef double(__cdecl *pow_fn)(double, double);
pow_fn crt_pow;

int c_pow(lua_State *L) {
  lua_pushnumber(L, crt_pow(lua_tonumber(L, 1), lua_tonumber(L, 2)));
  return 1;
}

double best(lua_State *L, const char *chunk, int runs) {
  double b = 1e9;
  for (int i = 0; i < runs; i++) {
    auto t0 = std::chrono::steady_clock::now();
    if (luaL_dostring(L, chunk)) {
      fprintf(stderr, "%s\n", lua_tostring(L, -1));
      return 0;
    }
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (s < b) b = s;
  }
  return b;
}

}  // namespace

int main() {
  crt_pow = (pow_fn)(void *)GetProcAddress(LoadLibraryA("msvcrt.dll"), "pow");
  lua_State *L = luaL_newstate();
  luaL_openlibs(L);
  sys_open_ldlyb(L);
  lua_register(L, "c_pow", c_pow);
  luaL_dostring(L, "typed = dll.sig(ldlyb('msvcrt.dll').pow, 'double(double, double)', 'cdecl')");
  const int runs = 7;
  const double n = 1e6;
  double empty = best(L, "local s = 0 for i = 1, 1e6 do s = s + i end", runs);
  double c = best(L, "local f, s = c_pow, 0 for i = 1, 1e6 do s = s + f(i, 0.5) end", runs);
  double t = best(L, "local f, s = typed, 0 for i = 1, 1e6 do s = s + f(i, 0.5) end", runs);
  printf("pow from a script, 1e6 calls, best of %d:\n", runs);
  printf("  C function calling pow   %7.1f ns/call\n", c / n * 1e9);
  printf("  typed call (dll.sig)     %7.1f ns/call\n", t / n * 1e9);
  printf("  empty loop               %7.1f ns/iteration\n", empty / n * 1e9);
  printf("  typed / C: %.2fx (goal <= 3x)\n", c > 0 ? t / c : 0.0);
  lua_close(L);
  return 0;
}
