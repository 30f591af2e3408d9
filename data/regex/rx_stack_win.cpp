/*
** rx_stack_win.cpp: on Windows the matcher's recursion budget is the
** thread's own remaining stack, measured at every call.
*/
#include <windows.h>

#include "rx_core.h"

#define RX_STACK_MARGIN (192 * 1024)   /* handlers, messages, guard pages */

/* Bytes between here and the bottom of the stack reservation, less the
   margin. */
static size_t rx_win_room(void) {
  volatile char here = 0;
  MEMORY_BASIC_INFORMATION mi;
  if (!VirtualQuery((LPCVOID)&here, &mi, sizeof mi)) return 64 * 1024;
  size_t room = (size_t)((const char *)&here - (const char *)mi.AllocationBase);
  return room > 2 * RX_STACK_MARGIN ? room - RX_STACK_MARGIN : 64 * 1024;
}

void rx_win_open(void) { rx_stack_room = rx_win_room; }
