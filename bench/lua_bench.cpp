// The interpreter with our changes beside the same sources as shipped.
// This file is built twice: bench_lua against lua51 and lua_bench_stock
// against lua51_stock (LUA_BENCH_STOCK). bench_lua runs the other program
// for its figures and prints both side by side. The two take turns, a few
// runs each, pinned to one core, so that a busy machine weighs on both
// alike; each time is the best of all runs, in milliseconds, and each ratio
// the median of the turns' ratios. Prints figures; no pass or fail.
//
//   bench_lua            the table of both builds
//   bench_lua --figures  this build's figures only, one "key ms" a line
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sched.h>
#include <unistd.h>
#endif

extern "C" {
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
}
#if defined(_WIN32) && defined(__i386__) && !defined(LUA_BENCH_STOCK)
#include "native/guard/guard_lua.h"
#endif

#ifdef LUA_BENCH_HOOK
#include "host/intr.h"
#endif

namespace {

const int kRuns = 2;    // runs of each case in one turn
const int kTurns = 6;   // turns of each build

// The table library is `array' in our build and `table' in the stock one.
const char *kPrelude = "local T = array or table\n";

struct Case {
  const char *key;
  const char *title;
  const char *code;  // after kPrelude
};

const Case kSpeed[] = {
  {"fib", "recursive fib(30)",
   "local function fib(n) if n < 2 then return n end "
   "return fib(n - 1) + fib(n - 2) end\n"
   "assert(fib(30) == 832040)"},
  {"concat", "string building, 200k pieces",
   "local parts = {}\n"
   "for i = 1, 200000 do parts[#parts + 1] = 'x' .. i end\n"
   "local s = T.concat(parts, ',')\n"
   "local t = ''\n"
   "for i = 1, 2000 do t = t .. string.format('%d;', i) end\n"
   "assert(#s > 200000 and #t > 4000)"},
  {"tables", "table inserts and sorts, 200k",
   "local t = {}\n"
   "local r = 42\n"
   "for i = 1, 200000 do r = (r * 1103515245 + 12345) % 2147483648 "
   "T.insert(t, r) end\n"
   "T.sort(t)\n"
   "local u = {}\n"
   "for i = 1, 100000 do T.insert(u, i) end\n"
   "for i = 1, 2000 do T.insert(u, #u - 10, i) end\n"
   "T.sort(u, function(a, b) return a > b end)\n"
   "assert(t[1] <= t[2] and u[1] == 100000)"},
  {"closures", "closures made and called, 1M",
   "local function counter(k) local n = 0 "
   "return function() n = n + k return n end end\n"
   "local sum = 0\n"
   "for i = 1, 1000000 do local c = counter(i) c() sum = sum + c() end\n"
   "assert(sum > 0)"},
  {"ccall", "C function calls, 3M",
   "local f = nothing\n"
   "for i = 1, 3000000 do f() end"},
};

const int kCompileFunctions = 2000;
const int kCompileRounds = 10;

int nothing(lua_State *) { return 0; }

double now_ms() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch())
      .count();
}

#ifdef LUA_BENCH_HOOK
bool hooked = false;   // states get the terminal's interrupt hook
#endif

lua_State *new_state() {
  lua_State *L = luaL_newstate();
  luaL_openlibs(L);
#ifdef LUA_BENCH_HOOK
  if (hooked)
    intr_open(L);
  else
    intr_close();
#endif
  lua_pushcfunction(L, nothing);
  lua_setglobal(L, "nothing");
  return L;
}

// Best time of one chunk, compiled once per run; negative on error.
double time_chunk(lua_State *L, const std::string &code, int runs = kRuns) {
  double best = 1e300;
  for (int r = 0; r < runs; r++) {
    lua_gc(L, LUA_GCCOLLECT, 0);
    if (luaL_loadbuffer(L, code.data(), code.size(), "=bench")) {
      fprintf(stderr, "%s\n", lua_tostring(L, -1));
      lua_pop(L, 1);
      return -1;
    }
    double t0 = now_ms();
    if (lua_pcall(L, 0, 0, 0)) {
      fprintf(stderr, "%s\n", lua_tostring(L, -1));
      lua_pop(L, 1);
      return -1;
    }
    best = std::min(best, now_ms() - t0);
  }
  return best;
}

// A chunk of many small function bodies, some nested, with locals,
// loops and strings: the work the parser does on a large script.
std::string many_functions() {
  std::string s;
  char buf[512];
  for (int i = 0; i < kCompileFunctions; i++) {
    snprintf(buf, sizeof buf,
             "function f%d(a, b, ...)\n"
             "  local t = {a, b, n = %d, name = 'f%d'}\n"
             "  for i = 1, #t do t[i] = (t[i] or 0) * 2 + i end\n"
             "  local g = function(x) return x .. ':' .. t.name end\n"
             "  if a == nil then return g('none') end\n"
             "  return g(a), select('#', ...)\n"
             "end\n",
             i, i, i);
    s += buf;
  }
  return s;
}

// Best time to compile the chunk kCompileRounds times (nothing is run).
double time_compile(lua_State *L) {
  std::string code = many_functions();
  double best = 1e300;
  for (int r = 0; r < kRuns; r++) {
    lua_gc(L, LUA_GCCOLLECT, 0);
    double t0 = now_ms();
    for (int k = 0; k < kCompileRounds; k++) {
      if (luaL_loadbuffer(L, code.data(), code.size(), "=many")) {
        fprintf(stderr, "%s\n", lua_tostring(L, -1));
        lua_pop(L, 1);
        return -1;
      }
      lua_pop(L, 1);
    }
    best = std::min(best, now_ms() - t0);
  }
  return best;
}

typedef std::map<std::string, double> Figures;

Figures measure() {
  Figures f;
  for (const Case &c : kSpeed) {
    lua_State *L = new_state();
    f[c.key] = time_chunk(L, std::string(kPrelude) + c.code);
    lua_close(L);
  }
  lua_State *L = new_state();
  f["compile"] = time_compile(L);
  lua_close(L);
  return f;
}

#ifndef LUA_BENCH_STOCK   /* the stock build only prints its figures */
void keep_best(Figures &best, const Figures &f) {
  for (const auto &kv : f) {
    auto it = best.find(kv.first);
    if (it == best.end() || (kv.second >= 0 && kv.second < it->second))
      best[kv.first] = kv.second;
  }
}
#endif

void print_figures(const Figures &f) {
  for (const auto &kv : f) printf("%s %.3f\n", kv.first.c_str(), kv.second);
}

#ifndef LUA_BENCH_STOCK

// The other build's figures, from the program beside this one.
std::string stock_path() {
  char buf[4096];
#ifdef _WIN32
  DWORD n = GetModuleFileNameA(NULL, buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return "";
  std::string p(buf, n);
  const char *name = "lua_bench_stock.exe";
#else
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "";
  std::string p(buf, (size_t)n);
  const char *name = "lua_bench_stock";
#endif
  size_t slash = p.find_last_of("/\\");
  p = slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
  return p + name;
}

bool stock_figures(Figures &f) {
  std::string cmd = "\"";   // built in steps: gcc 12 -O3 warns falsely on "x" + s
  cmd += stock_path();
  cmd += "\" --figures";
#ifdef _WIN32
  FILE *in = _popen(cmd.c_str(), "r");
#else
  FILE *in = popen(cmd.c_str(), "r");
#endif
  if (in == NULL) return false;
  char key[64];
  double ms;
  while (fscanf(in, "%63s %lf", key, &ms) == 2) f[key] = ms;
#ifdef _WIN32
  int rc = _pclose(in);
#else
  int rc = pclose(in);
#endif
  return rc == 0 && !f.empty();
}

// This process and the stock one it starts on the core it runs on: the
// two then share whatever else the machine does.
void pin_one_core() {
#ifdef _WIN32
  SetProcessAffinityMask(GetCurrentProcess(),
                         (DWORD_PTR)1 << GetCurrentProcessorNumber());
#else
  int cpu = sched_getcpu();
  if (cpu < 0) return;
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  sched_setaffinity(0, sizeof set, &set);
#endif
}

typedef std::map<std::string, std::vector<double>> Ratios;

void add_ratios(Ratios &r, const Figures &mine, const Figures &stock) {
  for (const auto &kv : mine) {
    auto it = stock.find(kv.first);
    if (it != stock.end() && it->second > 0 && kv.second >= 0)
      r[kv.first].push_back(kv.second / it->second);
  }
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void row(const char *title, double mine, const Figures &stock,
         const Ratios &ratios, const char *key, const char *goal) {
  auto it = stock.find(key);
  auto r = ratios.find(key);
  if (it == stock.end() || r == ratios.end() || mine < 0) {
    printf("  %-36s %10.2f %10s %7s  %s\n", title, mine, "-", "-", goal);
    return;
  }
  printf("  %-36s %10.2f %10.2f %7.3f  %s\n", title, mine, it->second,
         median(r->second), goal);
}

#if defined(_WIN32) && defined(__i386__)

// Any assembly text becomes `xor eax,eax; ret': no results.
int stub_hook(lua_State *, const char *, void **code, size_t *size) {
  static const unsigned char bytes[] = {0x31, 0xC0, 0xC3};
  void *p = VirtualAlloc(NULL, sizeof bytes, MEM_COMMIT | MEM_RESERVE,
                         PAGE_EXECUTE_READWRITE);
  if (p == NULL) return 0;
  memcpy(p, bytes, sizeof bytes);
  *code = p;
  *size = sizeof bytes;
  return 1;
}

// A million calls of a trivial native function beside a trivial C
// function, with and without arguments, and the bare loop; the chunks take
// turns run by run.
void call_overhead() {
  static const char *const chunks[] = {
      "for i = 1, 1000000 do end",
      "local f = native for i = 1, 1000000 do f() end",
      "local f = nothing for i = 1, 1000000 do f() end",
      "local f = native for i = 1, 1000000 do f(i, 'a') end",
      "local f = nothing for i = 1, 1000000 do f(i, 'a') end"};
  const int n = sizeof chunks / sizeof chunks[0];
  double best[n];
  lua_asmhook = stub_hook;
  ng_open();   // native functions run under the program's guard
  lua_State *L = new_state();
  int bad = luaL_dostring(L, "asmfunc native() xor eax, eax end");
  for (int r = 0; r < kRuns * kTurns && !bad; r++) {
    for (int k = 0; k < n; k++) {
      double ms = time_chunk(L, chunks[k], 1);
      if (ms < 0) bad = 1;
      best[k] = r == 0 ? ms : std::min(best[k], ms);
    }
  }
  if (bad && lua_isstring(L, -1)) fprintf(stderr, "%s\n", lua_tostring(L, -1));
  lua_close(L);
  lua_asmhook = NULL;
  if (bad) return;
  double loop = best[0];
  printf("\nCall overhead, 1M calls from Lua, best of %d runs (ms; ns a call "
         "net of the empty loop, %.2f ms)\n", kRuns * kTurns, loop);
  printf("  %-36s %10s %10s %7s  %s\n", "", "native", "C", "ratio", "goal");
  const char *titles[] = {"no arguments", "two arguments (i, 'a')"};
  for (int j = 0; j < 2; j++) {
    double nat = best[1 + 2 * j], c = best[2 + 2 * j];
    std::string t = std::string(titles[j]) + ", whole loop";
    printf("  %-36s %10.2f %10.2f %7.3f\n", t.c_str(), nat, c, nat / c);
    t = std::string(titles[j]) + ", ns a call";
    printf("  %-36s %10.1f %10.1f %7.3f  %s\n", t.c_str(), nat - loop, c - loop,
           (nat - loop) / (c - loop), "<= 1.30");
  }
}

#endif

#ifdef LUA_BENCH_HOOK
// The speed cases again with the poll Trelk gives the interpreter for
// Ctrl+Break (a look at the clock every thousandth call or loop turn),
// beside the same build without it.
void hook_rows(const Figures &mine, const Figures &with, const Ratios &ratios) {
  printf("\nWith the terminal's interrupt hook, best of %d runs (ms)\n",
         kRuns * kTurns);
  printf("  %-36s %10s %10s %7s  %s\n", "", "hooked", "patched", "ratio",
         "goal");
  for (const Case &c : kSpeed)
    row(c.title, with.at(c.key), mine, ratios, c.key, "<= 1.02");
}
#endif

void report() {
  Figures mine, stock, with;
  Ratios ratios, hook_ratios;
  bool have = true;
  pin_one_core();
  for (int t = 0; t < kTurns; t++) {
    Figures m = measure(), f;
    keep_best(mine, m);
#ifdef LUA_BENCH_HOOK
    hooked = true;
    Figures h = measure();
    hooked = false;
    keep_best(with, h);
    add_ratios(hook_ratios, h, m);
#endif
    if (have && (have = stock_figures(f))) {
      keep_best(stock, f);
      add_ratios(ratios, m, f);
    }
  }
  printf("Lua 5.1.5 with our patches beside stock, best of %d runs (ms); "
         "ratio: median of %d turns\n", kRuns * kTurns, kTurns);
  if (!have) printf("  (no figures from %s)\n", stock_path().c_str());
  printf("  %-36s %10s %10s %7s  %s\n", "", "patched", "stock", "ratio",
         "goal");
  for (const Case &c : kSpeed)
    row(c.title, mine[c.key], stock, ratios, c.key, "<= 1.02");
  char title[64];
  snprintf(title, sizeof title, "compile %d functions x%d", kCompileFunctions,
           kCompileRounds);
  row(title, mine["compile"], stock, ratios, "compile", "<= 1.10");
#ifdef LUA_BENCH_HOOK
  hook_rows(mine, with, hook_ratios);
#endif
#if defined(_WIN32) && defined(__i386__)
  call_overhead();
#endif
}

#endif  // LUA_BENCH_STOCK

}  // namespace

int main(int argc, char **argv) {
#ifdef LUA_BENCH_STOCK
  (void)argc;
  (void)argv;
  print_figures(measure());
#else
  if (argc > 1 && strcmp(argv[1], "--figures") == 0)
    print_figures(measure());
#if defined(_WIN32) && defined(__i386__)
  else if (argc > 1 && strcmp(argv[1], "--calls") == 0)
    call_overhead();   // the native call's rows alone
#endif
  else
    report();
#endif
  fflush(stdout);
  return 0;
}
