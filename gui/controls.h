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

/* `mes' and `grep' of edit objects; the editor layer has them. The
   defaults say the editor is missing. */
struct ctl_ops {
  lua_CFunction mes;
  lua_CFunction grep;
};
extern struct ctl_ops ctl_ops;

#endif
