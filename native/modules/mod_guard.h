/*
** The exception guard of member calls: a hand-made structured-exception
** frame around the call, so that handlers of the called code come first
** and a longjmp out of the call unlinks the frame as it unlinks any other.
*/
#ifndef trelk_mod_guard_h
#define trelk_mod_guard_h

#include <stdint.h>

/* Calls fn with `n' 32-bit stack arguments (words[0] at the lowest
   address) and returns EAX. The stack pointer is restored after the call,
   so callee-cleans and caller-cleans code both work. A processor exception
   inside ends the call: *faulted becomes 1 and the result is -1, with the
   floating-point unit reset to its control word before the call. */
extern "C" uint32_t mg_invoke(const void *fn, const uint32_t *words, int n,
                              int *faulted);

extern uint32_t mg_last_code;   /* exception code of the last fault */

#endif
