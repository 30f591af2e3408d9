/*
** `gi` at start-up; the start-up list points gi_ops at the window side
** first.
*/
#include "canvas/gi_lua.h"
#include "canvas/win/cw_canvas.h"

void cw_open(lua_State *L) { gi_open(L); }
