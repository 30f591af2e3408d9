/*
** `gi` at start-up, with the canvas hooks pointed at the windows.
*/
#include "canvas/gi_lua.h"
#include "canvas/win/cw_canvas.h"
#include "host/script/report.h"

static int edit_pcall(lua_State *L, int nargs) { return rep_pcall(L, nargs, 1); }

void cw_open(lua_State *L) {
  gi_render_hook = cw_render;
  gi_edit_hook = cw_edit;
  gi_shift_hook = cw_shift;
  gi_text_hook = cw_text;
  gi_gone_hook = cw_gone;
  gi_pcall = edit_pcall;
  gi_open(L);
}
