/*
** Commands of GUI objects: the body of a command text, compiling it into the
** object's `CommandString', and running it with `hWnd', `reason',
** `instance' and `this' set in its environment.
*/
#ifndef command_h
#define command_h

#include <stddef.h>

extern "C" {
#include "lua.h"
}

/* The body of a command text: a leading parameter list "(...)" is dropped,
   and then trailing blanks and a final "end". Sets *from and returns the
   body's length. */
size_t cmd_body(const char *text, size_t len, size_t *from);

/* Pushes the body of text and returns it. */
const char *cmd_push_body(lua_State *L, const char *text, size_t len);

/* The text the value at idx gives as a command: a string as it is; anything
   function its kept source text; anything else (native functions too) the
   empty string. */
const char *cmd_text(lua_State *L, int idx, size_t *len);

/* Compiles text into CommandString of the table at idx (nil when it does
   not compile; the message goes to the terminal). */
void cmd_set(lua_State *L, int idx, const char *text, size_t len);

/* A scroll step (reason CMD_SCROLL) also sets `scrollCurPos' to
   cmd_scroll_pos in the environment during the call, and nil after it. */
#define CMD_SCROLL 11
extern int cmd_scroll_pos;

/* Runs CommandString of the table at idx, if it is a function. */
void cmd_run(lua_State *L, int idx, void *wnd, int reason, int instance);

/* pcall: protected call used for commands; returns the status. The
   default reports the bare message; the host installs its own, which
   reports with a traceback. */
struct cmd_ops {
  int (*pcall)(lua_State *L, int nargs);
};
extern struct cmd_ops cmd_ops;

#endif
