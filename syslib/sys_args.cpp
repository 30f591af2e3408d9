/*
** sys_args.cpp: conversion of DLL call arguments. A table gives the
** address of an array of its elements t[1], t[2], ... up to the first nil,
** followed by a zero word that the callee may use to find the end. Tables
** are read raw (no metamethods), so nothing here can raise.
*/
#include "syslib/sys_args.h"
#include "syslib/sys_buffer.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

static int sys_word_of(lua_State *L, int idx, int depth, struct sys_args *a,
                       sys_word *out);

sys_word sys_number(lua_Number d) {
  if (!(d == d) || isinf(d)) return 0;
  d = fmod(trunc(d), 4294967296.0);
  if (d < 0) d += 4294967296.0;
  return (sys_word)(uint32_t)d;
}

static void *sys_block(struct sys_args *a, size_t words) {
  if (a->nblocks == a->capblocks) {
    int cap = a->capblocks ? 2 * a->capblocks : 8;
    void **grown = (void **)realloc(a->blocks, sizeof(void *) * (size_t)cap);
    if (grown == NULL) return NULL;
    a->blocks = grown;
    a->capblocks = cap;
  }
  void *b = calloc(words, sizeof(sys_word));
  if (b) a->blocks[a->nblocks++] = b;
  return b;
}

static int sys_fail(struct sys_args *a, const char *why) {
  if (a->error == NULL) a->error = why;
  return 0;
}

static int sys_table(lua_State *L, int idx, int depth, struct sys_args *a,
                     sys_word *out) {
  if (depth >= SYS_MAXDEPTH)
    return sys_fail(a, "ldlyb: table arguments nested too deeply (or cyclic)\n");
  if (!lua_checkstack(L, 2)) return sys_fail(a, "ldlyb: stack overflow\n");
  if (idx < 0) idx = lua_gettop(L) + idx + 1;
  size_t n = 0;
  for (;; n++) {
    lua_rawgeti(L, idx, (int)n + 1);
    int end = lua_isnil(L, -1);
    lua_pop(L, 1);
    if (end) break;
  }
  sys_word *arr = (sys_word *)sys_block(a, n + 1);
  if (arr == NULL) return sys_fail(a, "ldlyb: not enough memory\n");
  for (size_t i = 0; i < n; i++) {
    lua_rawgeti(L, idx, (int)i + 1);
    int ok = sys_word_of(L, -1, depth + 1, a, &arr[i]);
    lua_pop(L, 1);
    if (!ok) return 0;
  }
  *out = (sys_word)arr;
  return 1;
}

static int sys_word_of(lua_State *L, int idx, int depth, struct sys_args *a,
                       sys_word *out) {
  switch (lua_type(L, idx)) {
    case LUA_TBOOLEAN: *out = lua_toboolean(L, idx) ? 1 : 0; return 1;
    case LUA_TLIGHTUSERDATA: *out = (sys_word)lua_touserdata(L, idx); return 1;
    case LUA_TUSERDATA: {   /* a callback gives its code, any other its block */
      uintptr_t p;
      if (!sys_pointer_of(L, idx, 0, &p)) p = (uintptr_t)lua_touserdata(L, idx);
      *out = (sys_word)p;
      return 1;
    }
    case LUA_TNUMBER: *out = sys_number(lua_tonumber(L, idx)); return 1;
    case LUA_TSTRING: *out = (sys_word)lua_tostring(L, idx); return 1;
    case LUA_TTABLE: return sys_table(L, idx, depth, a, out);
    default: *out = 0; return 1;   /* nil, functions, threads */
  }
}

int sys_args_build(lua_State *L, int first, int last, struct sys_args *a) {
  memset(a, 0, sizeof *a);
  int n = last >= first ? last - first + 1 : 0;
  a->words = (sys_word *)sys_block(a, (size_t)n + 1);
  if (a->words == NULL) return sys_fail(a, "ldlyb: not enough memory\n");
  a->n = n;
  for (int i = 0; i < n; i++) {
    if (!sys_word_of(L, first + i, 0, a, &a->words[i])) {
      sys_args_free(a);
      return 0;
    }
  }
  return 1;
}

void sys_args_free(struct sys_args *a) {
  for (int i = 0; i < a->nblocks; i++) free(a->blocks[i]);
  free(a->blocks);
  a->blocks = NULL;
  a->words = NULL;
  a->nblocks = a->capblocks = a->n = 0;
}
