/*
** Guarded calls made for scripts: the interpreter state is marked before
** the call and put back after a fault, and the native functions of inline
** assembly are called through here.
*/
#ifndef guard_lua_h
#define guard_lua_h

#include <stdint.h>

extern "C" {
#include "lua.h"
}

#include "native/guard/guard.h"

/* ng_invoke with the state L marked: after a fault inside (the called code
   may have run scripts and left their frames behind) L stands where it
   stood before the call: stack top, call frames, C call depth, hooks
   allowed, error handler. 1 with *eax set; 0 after a fault, which ng_last
   describes. n >= 0. */
int ng_call(lua_State *L, const void *fn, const uint32_t *words, int n,
            uint32_t *eax);

/* Raises the script error for the last fault: the exception's name, code
   and address. */
int ng_error(lua_State *L);

/* The interpreter's call of a native function (lua_nativecall): the words
   (the state, the count, the arguments n..1) on the machine stack; a fault
   becomes a script error. */
int ng_native(lua_State *L, void *code, const unsigned int *words, int nwords);

/* Pushes a function that calls `code' as a host function of the
   interpreter's API (it receives the state and returns the result count),
   guarded as native functions are. */
void ng_push_host(lua_State *L, void *code);

/* Makes the interpreter call native functions through ng_native. */
void ng_open(void);

#endif
