/*
** sys_ldlyb.cpp: ldlyb(path) loads a DLL and returns its library table:
** HANDLE and one callable userdata per exported name. A table has no
** finaliser in this interpreter, so the module handle lives in a small
** userdata kept by the table's metatable (field `module'); every export
** keeps that metatable as its environment, so the library stays loaded
** while the table or any of its functions is reachable.
*/
#include <windows.h>

extern "C" {
#include "lauxlib.h"
}

#include "native/guard/guard_lua.h"
#include "syslib/sys_args.h"
#include "syslib/sys_pe.h"
#include "syslib/syslib.h"
#include "syslib/win/sys_dll.h"
#include "host/base/message.h"

#define SYS_MODULE_MT "ldlyb.module"

static const char sys_fault_msg[] =
    "Error! exception is occured inside asm module call\n";

/* lib.Name(...): one 32-bit value per argument, EAX back as unsigned. */
static int sys_export_call(lua_State *L) {
  void *const *slot = (void *const *)luaL_checkudata(L, 1, SYS_EXPORT_MT);
  const void *fn = *slot;
  struct sys_args a;
  if (!sys_args_build(L, 2, lua_gettop(L), &a)) {
    con_message(a.error);
    return 0;
  }
  con_before_call();   /* the call may block: show what was printed */
  uint32_t r;
  lua_State *outer = sys_active;   /* callbacks run on this state */
  sys_active = L;
  int faulted = !ng_call(L, fn, (const uint32_t *)a.words, a.n, &r);
  sys_active = outer;
  sys_args_free(&a);
  if (faulted) {
    con_message(sys_fault_msg);
    lua_pushnumber(L, -1);
  } else {
    lua_pushnumber(L, (lua_Number)r);
  }
  return 1;
}

/* The module userdata at idx, or null for any other value. */
static HMODULE *sys_module_at(lua_State *L, int idx) {
  void *p = lua_touserdata(L, idx);
  if (p == NULL || lua_islightuserdata(L, idx) || !lua_getmetatable(L, idx))
    return NULL;
  luaL_getmetatable(L, SYS_MODULE_MT);
  int ours = lua_rawequal(L, -1, -2);
  lua_pop(L, 2);
  return ours ? (HMODULE *)p : NULL;
}

/* Frees the module once, whoever asks first. */
static void sys_unload(HMODULE *h) {
  if (h && *h) FreeLibrary(*h);
  if (h) *h = NULL;
}

static int sys_module_gc(lua_State *L) {
  sys_unload(sys_module_at(L, 1));
  return 0;
}

/* __gc of the library table's metatable, should a script call it. */
static int sys_library_gc(lua_State *L) {
  if (!lua_getmetatable(L, 1)) return 0;
  lua_getfield(L, -1, "module");
  sys_unload(sys_module_at(L, -1));
  return 0;
}

struct sys_walk {
  lua_State *L;
  HMODULE h;
};

/* Stores one export under its name; the library metatable is at -1 and
   the table at -2 when the walk runs. */
static int sys_add_export(void *ctx, const char *name) {
  struct sys_walk *w = (struct sys_walk *)ctx;
  lua_State *L = w->L;
  FARPROC *slot = (FARPROC *)lua_newuserdata(L, sizeof(FARPROC));
  *slot = GetProcAddress(w->h, name);
  luaL_getmetatable(L, SYS_EXPORT_MT);
  lua_setmetatable(L, -2);
  lua_pushvalue(L, -2);
  lua_setfenv(L, -2);
  lua_setfield(L, -3, name);
  return 1;
}

/* Bytes readable from the module's base: the run of committed, readable
   regions of its own allocation. */
static size_t sys_image_size(HMODULE h) {
  const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY |
                         PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE |
                         PAGE_EXECUTE_WRITECOPY;
  const char *at = (const char *)h;
  MEMORY_BASIC_INFORMATION mi;
  while (VirtualQuery((LPCVOID)at, &mi, sizeof mi) &&
         mi.AllocationBase == (PVOID)h && mi.State == MEM_COMMIT &&
         (mi.Protect & readable) && !(mi.Protect & (PAGE_GUARD | PAGE_NOACCESS)))
    at = (const char *)mi.BaseAddress + mi.RegionSize;
  return (size_t)(at - (const char *)h);
}

/* The library table with its metatable; the module is owned from here. */
static void sys_new_library(lua_State *L, HMODULE h) {
  lua_newtable(L);
  lua_newtable(L);
  lua_pushcfunction(L, sys_library_gc);
  lua_setfield(L, -2, "__gc");
  HMODULE *owner = (HMODULE *)lua_newuserdata(L, sizeof(HMODULE));
  *owner = h;
  luaL_getmetatable(L, SYS_MODULE_MT);
  lua_setmetatable(L, -2);
  lua_setfield(L, -2, "module");
}

static int sys_ldlyb(lua_State *L) {
  if (lua_isnoneornil(L, 1)) return 0;
  if (!lua_isstring(L, 1)) {
    con_message("ldlyb: the path must be a string\n");
    return 0;
  }
  HMODULE h = LoadLibraryA(lua_tostring(L, 1));
  if (h == NULL) return 0;
  sys_new_library(L, h);   /* from here a script error cannot leak h */
  struct sys_walk w = {L, h};
  const unsigned char *base = (const unsigned char *)h;
  if (sys_pe_exports(base, sys_image_size(h), sys_add_export, &w) <= 0) {
    lua_getfield(L, -1, "module");
    sys_unload(sys_module_at(L, -1));
    return 0;
  }
  lua_setmetatable(L, -2);
  lua_pushlightuserdata(L, (void *)h);
  lua_setfield(L, -2, "HANDLE");
  return 1;
}

int sys_open_ldlyb(lua_State *L) {
  luaL_newmetatable(L, SYS_EXPORT_MT);
  lua_pushcfunction(L, sys_export_call);
  lua_setfield(L, -2, "__call");
  luaL_newmetatable(L, SYS_MODULE_MT);
  lua_pushcfunction(L, sys_module_gc);
  lua_setfield(L, -2, "__gc");
  lua_pop(L, 2);
  lua_register(L, "ldlyb", sys_ldlyb);
  return sys_open_dll(L);   /* typed calls of the same exports */
}
