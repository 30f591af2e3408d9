// Terminal figures: time from process start to the first prompt, and the
// cost of one line printing 10,000 and 100,000 lines of 40 characters.
#include <windows.h>
#include <stdio.h>

#include "host/console.h"
#include "host/repl.h"
#include "host/trelk.h"

static double now_ms(void) {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * (double)c.QuadPart / (double)f.QuadPart;
}

/* Milliseconds since the process was created. */
static double since_start_ms(void) {
  FILETIME cr, ex, k, u, nowft;
  GetProcessTimes(GetCurrentProcess(), &cr, &ex, &k, &u);
  GetSystemTimeAsFileTime(&nowft);
  ULARGE_INTEGER a, b;
  a.LowPart = cr.dwLowDateTime; a.HighPart = cr.dwHighDateTime;
  b.LowPart = nowft.dwLowDateTime; b.HighPart = nowft.dwHighDateTime;
  return (double)(b.QuadPart - a.QuadPart) / 10000.0;
}

static double print_lines(lua_State *L, int n) {
  char line[200];
  snprintf(line, sizeof line,
           "  for i = 1, %d do print(string.rep('x', 39) .. '\\r') end", n);
  double t = now_ms();
  repl_eval(L, line);
  con_flush();
  return now_ms() - t;
}

int main(void) {
  double entered = since_start_ms();
  double t0 = now_ms();
  if (!trelk_init()) return 1;
  lua_State *L = trelk_open_state();
  trelk_run_startup(L);
  double ready = now_ms() - t0;
  printf("start-up: %.1f ms from process start to the first prompt "
         "(%.1f ms of it before main)\n", entered + ready, entered);
  double a = print_lines(L, 10000);
  printf("output: 10,000 lines of 40 characters in %.0f ms\n", a);
  SetWindowTextA(con.edit, "");
  con.out_pos = 0;
  double b = print_lines(L, 100000);
  printf("output: 100,000 lines of 40 characters in %.0f ms (%.1f x)\n", b, b / a);
  return 0;
}
