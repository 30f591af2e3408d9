/*
** Interrupting a running chunk. A count hook looks at the clock every
** INTR_COUNT instructions; every INTR_MS it asks intr_ops.poll whether the user
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

/* poll: 1 stops the running chunk. fresh: first poll since the program
   was idle; what it sees happened before the chunk began. The default
   never stops. */
struct intr_ops {
  int (*poll)(int fresh);
};
extern struct intr_ops intr_ops;

void intr_open(lua_State *L);   /* after the debug library is open */
void intr_call(int entering);   /* a protected call of the host begins (1)
                                   or has returned (0) */
void intr_idle(void);           /* the message loop waits: nothing runs */
int intr_pending(void);
int ik_poll(int fresh);   /* the running program's poll: keys, output */

#endif
