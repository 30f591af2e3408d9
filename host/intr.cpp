/*
** The interpreter's poll: a look at the clock, and at the user every
** INTR_MS.
*/
#include <windows.h>

#include "host/intr.h"

static int never(int) { return 0; }
struct intr_ops intr_ops = {never};

static struct {
  int pending;    /* raise "interrupted" at every poll */
  int depth;      /* host protected calls under way */
  int fresh;      /* the next poll sees key states from an idle time */
  DWORD last;     /* tick of the last look at the user */
} intr;

static void poll(lua_State *L) {
  DWORD now = GetTickCount();
  if (now - intr.last >= INTR_MS) {
    intr.last = now;
    int fresh = intr.fresh;
    intr.fresh = 0;
    if (intr_ops.poll(fresh)) intr.pending = 1;
  }
  if (intr.pending) {
    /* the next loop turn or call raises again, so that a pcall in a loop
       cannot swallow the interrupt */
    lua_pollcount = 0;
    lua_pushliteral(L, "interrupted");
    lua_error(L);
  }
}

void intr_open(lua_State *) { lua_pollhook = poll; }

void intr_close(void) { lua_pollhook = NULL; }

void intr_call(int entering) {
  if (entering) {
    if (intr.depth++ == 0) intr.fresh = 1;
  } else if (intr.depth > 0 && --intr.depth == 0) {
    intr.pending = 0;
  }
}

void intr_idle(void) {
  intr.pending = 0;
  intr.fresh = 1;
}

int intr_pending(void) { return intr.pending; }
