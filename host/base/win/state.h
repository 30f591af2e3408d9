/*
** The process-wide state every Windows layer reads: the script state, the
** module instance and the shutdown stage. Filled by the start-up list.
*/
#ifndef state_h
#define state_h

#include <windows.h>

typedef struct lua_State lua_State;

struct trelk_state {
  lua_State *L;        /* the one script state */
  int exit_requested;  /* set by `exit'; ends the terminal loop */
  int shutdown;        /* 0 running, 1 exit under way, 2 main window gone */
  HINSTANCE instance;
  HMODULE riched;      /* rich-edit library */
};

extern struct trelk_state trelk;

#endif
