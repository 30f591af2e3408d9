/*
** The property table that the objects' __index and __newindex dispatch to.
*/
#ifndef props_h
#define props_h

extern "C" {
#include "lua.h"
}

struct prop {
  const char *name;
  void (*rd)(lua_State *L, void *rec);               /* pushes one value */
  void (*wr)(lua_State *L, void *rec, int obj, int val);
  int global;   /* program-wide: no record */
};

const struct prop *prop_find(const char *name);

#endif
