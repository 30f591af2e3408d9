/*
** Class procedures that later layers install: dialog and menu clients,
** scroll windows and the drag frame. They default to DefWindowProcA.
*/
#ifndef wndprocs_h
#define wndprocs_h

#include <windows.h>

struct cls_ops {
  WNDPROC dialog_client;
  WNDPROC menu_client;
  WNDPROC scroll;
  WNDPROC scroll_client;
  WNDPROC drag;
  WNDPROC drag_cover;
};
extern struct cls_ops cls_ops;

#endif
