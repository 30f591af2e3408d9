/*
** Interrupting a running chunk. A count hook looks at the clock every
** INTR_COUNT instructions; every INTR_MS it asks intr_poll whether the user
** wants the chunk stopped, and if so raises "interrupted" in it. The hook
** stays installed for the whole run, so debug.sethook and debug.gethook are
** replaced: a script's own hook is called from ours with the events and the
** count it asked for. Native code is never interrupted.
*/
#ifndef intr_h
#define intr_h

extern "C" {
#include "lua.h"
}

#define INTR_COUNT 10000  /* instructions between looks at the clock */
#define INTR_MS 30        /* milliseconds between polls */

/* 1: stop the running chunk. fresh: first poll since the program was idle;
   what it sees happened before the chunk began. Null: never stop. */
extern int (*intr_poll)(int fresh);

void intr_open(lua_State *L);   /* after the debug library is open */
void intr_call(int entering);   /* a protected call of the host begins (1)
                                   or has returned (0) */
void intr_idle(void);           /* the message loop waits: nothing runs */
int intr_pending(void);
void ik_open(void);   /* the poll of the running program: keys, output */

#endif
