/*
** The designer's window: "Develop Menu" shown in the main window while a
** control is lifted or a container is Alt-clicked.
*/
#ifndef trelk_develop_h
#define trelk_develop_h

#include <windows.h>

void dv_init(void);       /* after the drag frame and the designer records */
void dv_show(int show);
HWND dv_window(void);     /* null when not shown */

#endif
