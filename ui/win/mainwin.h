/*
** The main window "Trelk Main Window": caption with "Exit Trelk" and
** "Shrink Terminal", the two built-in menus and the terminal.
*/
#ifndef mainwin_h
#define mainwin_h

#include <windows.h>

#define MW_QUERY 0x704   /* toolkit query; the main window answers -1 */

/* Makes the main window, its terminal (by terminal) and its two menus. */
int mw_create(int (*terminal)(HWND main));
HWND mw_window(void);       /* null before creation and once destroyed */
HWND mw_main_menu(void);
HWND mw_free_menu(void);
void mw_toggle_shrink(void);

#endif
