/*
** sys_call.h: calling a DLL export with 32-bit stack arguments under an
** exception guard.
*/
#ifndef sys_call_h
#define sys_call_h

#include <stdint.h>

/* Pushes args[n-1] .. args[0] (args[0] ends lowest), calls fn and puts the
   stack pointer back, so callee-cleans and caller-cleans functions both
   work. When fn raises a processor exception, *faulted becomes 1, the
   frames fn left are unwound and the result is -1. */
extern "C" uint32_t sys_guarded_call(const void *fn, const uint32_t *args,
                                     int n, int *faulted);

/* After a fault: restores what the exception used up (the stack's guard
   page after an overflow). */
void sys_after_fault(void);

#endif
