/*
** Moving an entry from one container to another (or to another place in
** its own) on both sides: the native lists and the script objects' arrays.
** The designer's drops and its "Add Control" go through here.
*/
#ifndef move_h
#define move_h

extern "C" {
#include "lua.h"
}

#include "gui/record.h"

/* Puts e into to at the 0-based list position pos (below 0 or past the end:
   the back; a dialog always takes it in front, as `ins' does). Returns 0
   when the move would put a container inside itself. */
int mv_move(lua_State *L, struct gr_entry *e, struct gr_container *to, int pos);

/* Makes a new entry of the given kind with its own script object (as the
   control constructors make them, with no fields) and leaves it unplaced;
   null when the kind is not a control kind. */
struct gr_entry *mv_new_control(lua_State *L, uint32_t kind);

#endif
