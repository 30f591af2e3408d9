/*
** The program's one tooltip window ("187561TT").
*/
#ifndef trelk_tooltip_h
#define trelk_tooltip_h

#include <windows.h>

extern HWND tt_window;

void tt_create(void);
LRESULT CALLBACK tt_proc(HWND h, UINT msg, WPARAM w, LPARAM l);

#endif
