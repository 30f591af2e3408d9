/*
** Caption bars ("CtrelkCapcn") of top-level framed windows, their two
** caption buttons, and finishing a window's caption.
*/
#ifndef caption_h
#define caption_h

#include <windows.h>

extern HFONT fw_font;

LRESULT CALLBACK fw_cap_proc(HWND h, UINT msg, WPARAM w, LPARAM l);
void fw_cap_finish(HWND w);

/* What captions ask of later layers. maximisable: a double click
   maximises the window (its description has the maximise flag; the dialog
   layer answers). menu_height: content height of the menu a menu window
   shows, or -1 to keep its size (the menu layer answers). exit: what
   "Exit Trelk" does (the program answers). Defaults: no, -1, nothing. */
struct fw_cap_ops {
  int (*maximisable)(HWND top);
  int (*menu_height)(HWND w);
  void (*exit)(void);
};
extern struct fw_cap_ops fw_cap_ops;

#endif
