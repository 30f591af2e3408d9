/*
** Calling a function member from a script: arguments converted by the
** member's parameter types, the call made under the exception guard, one
** result converted by the first result type.
*/
#ifndef mod_call_h
#define mod_call_h

#include <stdint.h>

extern "C" {
#include "lua.h"
}

#include "native/modules/mod_image.h"

extern const char mc_fault_message[];

/* Arguments are the values from stack position `first' to the top; pushes
   exactly one value and returns 1. */
int mc_call(lua_State *L, const mi_member *m, int first);

/* The same with the member's signature already decoded. */
int mc_call_sig(lua_State *L, const mi_member *m, const mi_sig *s, int first);

/* A script number as a 32-bit word: truncated toward zero, low 32 bits. */
uint32_t mc_word(lua_Number d);

#endif
