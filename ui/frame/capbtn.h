/*
** The four caption-button procedures: close and minimise for framed
** windows, "Exit Trelk" and "Shrink Terminal" for the main window.
*/
#ifndef capbtn_h
#define capbtn_h

#include <windows.h>

LRESULT CALLBACK cb_close_proc(HWND h, UINT msg, WPARAM w, LPARAM l);
LRESULT CALLBACK cb_minimise_proc(HWND h, UINT msg, WPARAM w, LPARAM l);
LRESULT CALLBACK cb_exit_proc(HWND h, UINT msg, WPARAM w, LPARAM l);
LRESULT CALLBACK cb_shrink_proc(HWND h, UINT msg, WPARAM w, LPARAM l);

#endif
