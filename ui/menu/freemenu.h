/*
** The main window's two built-in menus: "Main Menu", whose drop-down is
** `trelk', and "Free Windows Menu", which lists every finished framed
** window and brings the chosen one back.
*/
#ifndef freemenu_h
#define freemenu_h

#include <windows.h>

#include "gui/record.h"

extern struct gr_container *fm_windows;   /* the listed windows */

void fm_init(void);
void fm_listed(HWND w, int added);   /* a finished window comes or goes */

#endif
