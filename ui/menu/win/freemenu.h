/*
** The main window's two built-in menus: "Main Menu", whose drop-down is
** `trelk', and "Free Windows Menu", which lists every finished framed
** window and brings the chosen one back.
*/
#ifndef freemenu_h
#define freemenu_h

#include <windows.h>

#include "gui/record.h"

extern struct gr_container *mn_free_windows;   /* the listed windows */

void mn_free_init(void);
void mn_free_listed(HWND w, int added);   /* a finished window comes or goes */

#endif
