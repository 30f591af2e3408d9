/*
** The exception guard around calls of machine code: a hand-made
** structured-exception frame, so that handlers of the called code come
** first and a longjmp out of the call unlinks the frame as it unlinks any
** other.
*/
#ifndef guard_h
#define guard_h

#include <stddef.h>
#include <stdint.h>

/* Calls fn with `n' 32-bit stack arguments (words[0] at the lowest
   address, 16-byte aligned at the call) and returns EAX. The stack pointer
   and the callee-saved registers are put back after the call, so
   callee-cleans and caller-cleans code both work; the floating-point
   register stack is emptied (the result is EAX, a value left in ST0 is
   no one's). An exception inside that the called code does not handle
   ends the call: its frames are unwound, *faulted becomes 1, the result is
   -1, the floating-point and SSE control words are those before the call,
   and ng_last describes the exception. */
extern "C" uint32_t ng_invoke(const void *fn, const uint32_t *words, int n,
                              int *faulted);

struct ng_fault {
  uint32_t code;     /* exception code */
  uint32_t at;       /* address of the faulting instruction */
  int access;        /* access violation: 0 read, 1 write, 8 execute; else -1 */
  uint32_t target;   /* the address an access violation touched */
};

extern ng_fault ng_last;   /* the most recent fault */

/* After a fault: gives back what the exception used up (the stack's guard
   page after a stack overflow). */
void ng_after_fault(void);

/* "access violation writing address 0x00000000 at 0x00A30006
   (exception 0xC0000005)"; returns buf. */
const char *ng_describe(const ng_fault *f, char *buf, size_t size);

#endif
