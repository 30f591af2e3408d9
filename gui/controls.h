/*
** Control constructors: `separator', `button', `edit', `multiedit',
** `label', `checkbox', `radio', and the `dialog' and `table' containers.
*/
#ifndef controls_h
#define controls_h

extern "C" {
#include "lua.h"
}

void ctl_open(lua_State *L);   /* registers every constructor but `menu' */

/* `mes' and `grep' of edit objects; the editor layer installs them */
extern lua_CFunction ctl_mes, ctl_grep;

#endif
