/*
** The four 7 x 7 handles of the drag frame: "BtrelkUBcn" buttons whose
** drag moves one edge of the frame.
*/
#ifndef draghandle_h
#define draghandle_h

#include <windows.h>

#include "ui/frame/win/button.h"

enum { DG_TOP = 1, DG_BOTTOM = 2, DG_LEFT = 3, DG_RIGHT = 4 };

struct dg_handle_record {
  struct fw_btn_record btn;
  int side;       /* DG_TOP .. DG_RIGHT */
  int offset;     /* grab offset while the button is held */
};

void dg_handle_init(void);
/* Creates the handles in the frame: left, top, bottom, right. */
void dg_handle_create(HWND frame, HWND out[4]);
int dg_is_handle(HWND w);
/* top-left corner of a handle in a client area of the given size */
POINT dg_handle_position(int side, int cw, int ch);

#endif
