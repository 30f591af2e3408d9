/*
** The designer's window: "Develop Menu" shown in the main window while a
** control is lifted or a container is Alt-clicked.
*/
#ifndef develop_h
#define develop_h

#include <windows.h>

void dm_init(void);       /* after the drag frame and the designer records */
void dm_show(int show);
HWND dm_window(void);     /* null when not shown */

#endif
