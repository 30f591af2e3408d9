/*
** Process-wide state of the program and its start-up and shutdown.
*/
#ifndef trelk_h
#define trelk_h

#include "host/base/win/state.h"

extern "C" {
#include "lua.h"
}

extern const char trelk_startup_name[];   /* "start.t" */

int trelk_init(void);          /* heap, classes, main window; 0 on failure */
lua_State *trelk_open_state(void);
void trelk_run_startup(lua_State *L);   /* load and run start.t */
void trelk_hook(lua_State *L, const char *name);
void trelk_release(void);
void trelk_exit_request(void);
int trelk_main(void);          /* the whole run; does not return */

#endif
