/*
** das386_lua.cpp: the script function das386(address). Decodes one
** instruction from this process's memory; the bytes are checked for
** readability first, so a bad address gives a message, not a fault.
*/
#include <windows.h>

#include <math.h>
#include <stdio.h>

extern "C" {
#include "lauxlib.h"
#include "lua.h"
}

#include "native/das386/das386_lua.h"
#include "native/das386/das_decode.h"
#include "host/base/message.h"

/* Number of bytes readable from addr, at most want. */
static size_t das_readable(uintptr_t addr, size_t want) {
  size_t got = 0;
  while (got < want) {
    MEMORY_BASIC_INFORMATION mi;
    if (!VirtualQuery((LPCVOID)(addr + got), &mi, sizeof mi)) break;
    const DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY |
                           PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE |
                           PAGE_EXECUTE_WRITECOPY;
    if (mi.State != MEM_COMMIT || (mi.Protect & (PAGE_GUARD | PAGE_NOACCESS)) ||
        !(mi.Protect & readable))
      break;
    uintptr_t end = (uintptr_t)mi.BaseAddress + mi.RegionSize;
    if (end <= addr + got) break; /* wrapped at the top of the space */
    got = end - addr;
  }
  return got < want ? got : want;
}

/* A script number as a 32-bit address, wrapping like an integer would. */
static uint32_t das_toaddress(lua_Number d) {
  if (!(d == d) || isinf(d)) return 0;
  d = fmod(trunc(d), 4294967296.0);
  if (d < 0) d += 4294967296.0;
  return (uint32_t)d;
}

static int das_fail(lua_State *L, const char *message) {
  con_message(message);
  lua_pushstring(L, "");
  lua_pushinteger(L, -1);
  return 2;
}

static int das_unreadable(lua_State *L, uint32_t addr) {
  char m[64];
  snprintf(m, sizeof m, "das386: address 0x%X is not readable", (unsigned)addr);
  return das_fail(L, m);
}

/* das386(address) -> text, length; nothing for 0 or no argument. */
static int das_lua(lua_State *L) {
  if (lua_isnoneornil(L, 1)) return 0;
  if (!lua_isnumber(L, 1)) {
    con_message("das386: the address must be a number");
    return 0;
  }
  uint32_t addr = das_toaddress(lua_tonumber(L, 1));
  if (addr == 0) return 0;
  size_t n = das_readable(addr, DAS_MAXLEN);
  if (n == 0) return das_unreadable(L, addr);
  das_result r;
  if (das_decode((const unsigned char *)(uintptr_t)addr, n, 0, &r) < 0) {
    if (r.status == DAS_TRUNCATED) return das_unreadable(L, addr + (uint32_t)r.used);
    return das_fail(L, r.error);
  }
  lua_pushstring(L, r.text);
  lua_pushinteger(L, r.length);
  return 2;
}

int das_open(lua_State *L) {
  lua_register(L, "das386", das_lua);
  return 0;
}
