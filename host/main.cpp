/*
** Entry point of trelk.exe. The command line is not used.
*/
#include <windows.h>

#include "host/trelk.h"

int WINAPI WinMain(HINSTANCE inst, HINSTANCE prev, LPSTR cmd, int show) {
  (void)inst; (void)prev; (void)cmd; (void)show;
  return trelk_main();
}
