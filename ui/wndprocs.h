/*
** Class procedures that later layers install: dialog and menu clients,
** scroll windows and the drag frame. They default to DefWindowProcA.
*/
#ifndef wndprocs_h
#define wndprocs_h

#include <windows.h>

extern WNDPROC cls_dialog_client_proc;
extern WNDPROC cls_menu_client_proc;
extern WNDPROC cls_scroll_proc;
extern WNDPROC cls_scroll_client_proc;
extern WNDPROC cls_drag_proc;
extern WNDPROC cls_drag_cover_proc;

#endif
