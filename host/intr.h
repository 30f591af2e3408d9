/*
** Interrupting a running chunk. The interpreter polls on every
** LUA_POLLEVERY-th function entry or loop turn; every INTR_MS the poll asks
** intr_ops.poll whether the user wants the chunk stopped, and if so raises
** "interrupted" in it. No debug hook is used, so a script's debug.sethook
** is the debug library's own. Native code is never interrupted, nor are a
** hook's or a finalizer's own loops.
*/
#ifndef intr_h
#define intr_h

extern "C" {
#include "lua.h"
}

#define INTR_MS 30        /* milliseconds between polls */

/* poll: 1 stops the running chunk. fresh: first poll since the program
   was idle; what it sees happened before the chunk began. The default
   never stops. */
struct intr_ops {
  int (*poll)(int fresh);
};
extern struct intr_ops intr_ops;

void intr_open(lua_State *L);   /* the interpreter's poll is ours */
void intr_close(void);          /* no poll */
void intr_call(int entering);   /* a protected call of the host begins (1)
                                   or has returned (0) */
void intr_idle(void);           /* the message loop waits: nothing runs */
int intr_pending(void);
int ik_poll(int fresh);   /* the running program's poll: keys, output */

#endif
