/*
** rx_stack.cpp: on Windows the matcher's recursion budget is the
** thread's own remaining stack, measured at every call.
*/
#include <windows.h>

#include "data/regex/rx_core.h"

#define RX_STACK_MARGIN (192 * 1024)   /* handlers, messages, guard pages */

/* Bytes between here and the bottom of the stack reservation, less the
   margin. The bottom is looked up once; a frame outside the remembered
   reservation (another thread) looks it up again. */
static size_t rx_win_room(void) {
  static const char *bottom, *top;
  volatile char here = 0;
  const char *at = (const char *)&here;
  if (at <= bottom || at >= top) {
    MEMORY_BASIC_INFORMATION mi;
    if (!VirtualQuery((LPCVOID)at, &mi, sizeof mi)) return 64 * 1024;
    bottom = (const char *)mi.AllocationBase;
    top = (const char *)mi.BaseAddress + mi.RegionSize;
  }
  size_t room = (size_t)(at - bottom);
  return room > 2 * RX_STACK_MARGIN ? room - RX_STACK_MARGIN : 64 * 1024;
}

void rx_win_open(void) { rx_ops.stack_room = rx_win_room; }
