/*
** sys_args.h: script values as the 32-bit words of a DLL call. Tables
** become temporary arrays (nested ones nested), owned by the argument set
** until sys_args_free. Platform-neutral; a word is pointer-sized, which is
** 32 bits in the program itself.
*/
#ifndef sys_args_h
#define sys_args_h

#include <stdint.h>

extern "C" {
#include "lua.h"
}

#define SYS_MAXDEPTH 32   /* nesting of table arguments */

typedef uintptr_t sys_word;

struct sys_args {
  sys_word *words;   /* the call's arguments, first at index 0 */
  int n;
  void **blocks;     /* every temporary array, freed together */
  int nblocks, capblocks;
  const char *error; /* why the set could not be built */
};

/* Converts stack values first..last. 1 on success; 0 with a->error set
   (everything already allocated is freed). Raises no script error. */
int sys_args_build(lua_State *L, int first, int last, struct sys_args *a);
void sys_args_free(struct sys_args *a);
sys_word sys_number(lua_Number d);   /* toward zero, low 32 bits */

#endif
