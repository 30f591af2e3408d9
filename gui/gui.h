/*
** The script GUI library: registration into the script state and the
** program-wide values of the object model.
*/
#ifndef gui_h
#define gui_h

extern "C" {
#include "lua.h"
}

#include "gui/record.h"

#define GUI_MENU_MT "MENU*"
#define GUI_ENTRY_MT "MS*"

extern lua_State *gui_L;                    /* the state commands run in */
extern struct gr_container *gui_main_menu;  /* record behind `trelk' */
extern int gui_rearrange;                   /* automatic re-layout, 1 */
extern int gui_drop_timeout;                /* hover delay in ms, 140 */

/* Start-up steps, in this order (the panic function goes between the
   first and the second). */
void gui_open_metatables(lua_State *L);
void gui_open_trelk(lua_State *L);
void gui_open_constructors(lua_State *L);   /* menu .. radio */

/* Re-lays out c unless automatic re-layout is off. */
void gui_refresh(struct gr_container *c);

#endif
