// Editor windows in the real program: scripts run in the program's state,
// windows found through the menu views, pixels read back from the screen.
#ifndef editor_harness_h
#define editor_harness_h

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/inproc/terminal/driver.h"

// runs a chunk in the program's state; the terminal output, and any error
std::string lua(const std::string &code);
double num(const std::string &expr);       // value of an expression
std::string str(const std::string &expr);
std::vector<HWND> editors();          // every open editor window
HWND editor_of(const std::string &obj);   // first window showing a global
void close_menus();                   // every floating menu window

// the window's client area as 0x00BBGGRR pixels, after a full repaint
struct shot {
  int w = 0, h = 0;
  std::vector<COLORREF> px;
  COLORREF at(int x, int y) const { return px[(size_t)y * w + x]; }
  // pixels of colour c in the box
  int count(COLORREF c, int x0, int y0, int x1, int y1) const;
};
shot capture(HWND h);

#endif
