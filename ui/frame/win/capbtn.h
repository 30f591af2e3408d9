/*
** The four caption-button procedures: close and minimise for framed
** windows, "Exit Trelk" and "Shrink Terminal" for the main window.
*/
#ifndef capbtn_h
#define capbtn_h

#include <windows.h>

LRESULT CALLBACK fw_close_btn_proc(HWND h, UINT msg, WPARAM w, LPARAM l);
LRESULT CALLBACK fw_minimise_btn_proc(HWND h, UINT msg, WPARAM w, LPARAM l);
LRESULT CALLBACK fw_exit_btn_proc(HWND h, UINT msg, WPARAM w, LPARAM l);
LRESULT CALLBACK fw_shrink_btn_proc(HWND h, UINT msg, WPARAM w, LPARAM l);

#endif
