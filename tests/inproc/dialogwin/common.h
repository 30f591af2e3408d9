// Shared helpers of the dialog and scroll bar tests.
#ifndef common_h
#define common_h

#include <windows.h>

#include <functional>
#include <string>

#include "gui/record.h"

// the record behind a global script object (HANDLE or msHANDLE)
void *handle_of(const char *global);

// window rectangle relative to another window's client area
RECT rect_in(HWND w, HWND in);

// output the terminal got while f ran
std::string output_of(const std::function<void()> &f);

// whether a block of the private heap is still allocated
bool heap_has(const void *p);

// a bitmap copy of what a window paints at background erase
COLORREF painted_pixel(HWND w, int x, int y);

#endif
