/*
** The four 7 x 7 handles of the drag frame: "BtrelkUBcn" buttons whose
** drag moves one edge of the frame.
*/
#ifndef draghandle_h
#define draghandle_h

#include <windows.h>

#include "ui/frame/button.h"

enum { DH_TOP = 1, DH_BOTTOM = 2, DH_LEFT = 3, DH_RIGHT = 4 };

struct dh_record {
  struct btn_record btn;
  int side;       /* DH_* */
  int offset;     /* grab offset while the button is held */
};

void dh_init(void);
/* Creates the handles in the frame: left, top, bottom, right. */
void dh_create(HWND frame, HWND out[4]);
int dh_is_handle(HWND w);
/* top-left corner of a handle in a client area of the given size */
POINT dh_position(int side, int cw, int ch);

#endif
