// Terminal figures: time from process start to the first prompt, the cost
// of one line printing 10,000 and 100,000 lines of 40 characters, and of
// one print of a single long line (of one letter, and of words).
//
//   bench_terminal          every figure
//   bench_terminal long     the long lines only
#include <windows.h>
#include <stdio.h>
#include <string.h>

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

/* Processor time of this process so far, user and kernel, in ms. */
static double cpu_ms(void) {
  FILETIME cr, ex, k, u;
  GetProcessTimes(GetCurrentProcess(), &cr, &ex, &k, &u);
  ULARGE_INTEGER a, b;
  a.LowPart = k.dwLowDateTime; a.HighPart = k.dwHighDateTime;
  b.LowPart = u.dwLowDateTime; b.HighPart = u.dwHighDateTime;
  return (double)(a.QuadPart + b.QuadPart) / 10000.0;
}

static double cpu_spent;

static double print_lines(lua_State *L, int n) {
  char line[200];
  snprintf(line, sizeof line,
           "  for i = 1, %d do print(string.rep('x', 39) .. '\\r') end", n);
  double t = now_ms(), c = cpu_ms();
  repl_eval(L, line);
  con_flush();
  cpu_spent = cpu_ms() - c;
  return now_ms() - t;
}

/* One print of a single line of n characters, shown. */
static double print_long(lua_State *L, int n, const char *piece) {
  char line[200];
  snprintf(line, sizeof line, "print(string.rep('%s', %d))", piece,
           n / (int)strlen(piece));
  SetWindowTextA(con.edit, "");
  con.out_pos = 0;
  double t = now_ms(), c = cpu_ms();
  repl_eval(L, line);
  con_show_now();
  cpu_spent = cpu_ms() - c;
  return now_ms() - t;
}

static void long_lines(lua_State *L) {
  static const int kib[] = {32, 128, 1024};
  for (int i = 0; i < 3; i++) {
    double a = print_long(L, kib[i] << 10, "x");
    double ca = cpu_spent;
    double b = print_long(L, kib[i] << 10, "word ");
    printf("output: one line of %d KiB in %.0f ms, %.0f ms of processor "
           "(of words: %.0f ms, %.0f ms)\n", kib[i], a, ca, b, cpu_spent);
  }
}

int main(int argc, char **argv) {
  setvbuf(stdout, NULL, _IONBF, 0);   /* figures show as they come */
  double entered = since_start_ms();
  double t0 = now_ms();
  if (!trelk_init()) return 1;
  lua_State *L = trelk_open_state();
  trelk_run_startup(L);
  double ready = now_ms() - t0;
  printf("start-up: %.1f ms from process start to the first prompt "
         "(%.1f ms of it before main)\n", entered + ready, entered);
  /* long lines first: the rich edit empties a text of many paragraphs in
     time that grows with their square, minutes after 100,000 lines */
  long_lines(L);
  if (argc > 1 && strcmp(argv[1], "long") == 0) return 0;
  SetWindowTextA(con.edit, "");
  con.out_pos = 0;
  double a = print_lines(L, 10000);
  printf("output: 10,000 lines of 40 characters in %.0f ms, %.0f ms of "
         "processor\n", a, cpu_spent);
  SetWindowTextA(con.edit, "");
  con.out_pos = 0;
  double b = print_lines(L, 100000);
  printf("output: 100,000 lines of 40 characters in %.0f ms (%.1f x), %.0f ms "
         "of processor\n", b, b / a, cpu_spent);
  return 0;
}
