/*
** Caption bars ("CtrelkCapcn") of top-level framed windows, their two
** caption buttons, and finishing a window's caption.
*/
#ifndef caption_h
#define caption_h

#include <windows.h>

extern HFONT ui_font;

LRESULT CALLBACK cap_proc(HWND h, UINT msg, WPARAM w, LPARAM l);
void cap_finish(HWND w);

/* A double click on the caption of a window whose description has its
   maximise flag: set by the dialog layer. */
extern int (*cap_maximisable_hook)(HWND top);

/* Content height of the menu a menu window shows, or -1 to keep its size
   (the menu layer fills it in). */
extern int (*cap_menu_height_hook)(HWND w);

#endif
