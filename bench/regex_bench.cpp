// The regular-expression string functions over a 10 MB text, beside the
// same work done with the interpreter's own patterns. Rounds are
// interleaved (the two sides alternate which goes first) and each figure is
// the median over the rounds; the ratio is the median of the per-round
// ratios. Times are the thread's CPU time, so other work on a shared
// machine weighs less than on a wall clock. Prints figures; no pass or fail.
//
//   bench_regex [rounds] [--interp] [--only TEXT]
//
// --interp runs every pattern on PCRE's interpreter instead of machine code;
// --only keeps the rows whose name holds TEXT.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

#include "data/regex/rx_core.h"
#include "data/regex/rx_lua.h"


namespace {

const double GOAL_MBS = 500;     // finds that scan the whole text
#ifdef _WIN32
const double MIN_TIME_MS = 200;  // the thread clock ticks coarsely here
#else
const double MIN_TIME_MS = 40;   // a short case repeats up to this
#endif

// Words, numbers and key=value pairs on lines of about 60 bytes.
std::string make_text(size_t size) {
  static const char *words[] = {"alpha", "beta", "gamma", "delta", "cat",
                                "dog", "x", "lorem", "ipsum", "key=value"};
  std::string s;
  s.reserve(size + 64);
  unsigned r = 12345;
  while (s.size() < size) {
    r = r * 1103515245u + 12345u;
    unsigned k = (r >> 16) % 12;
    if (k < 10) s += words[k];
    else s += std::to_string(r % 100000);
    s += (r >> 8) % 9 == 0 ? '\n' : ' ';
  }
  s.resize(size);
  return s;
}

struct Case {
  const char *name;
  const char *pcre;   // with the regular-expression functions
  const char *stock;  // the same work with the interpreter's own patterns
  bool scan;          // a find over the whole text: MB/s goal too
};

const Case cases[] = {
  {"find, literal then digits", "R = {string.find(T, 'zebra\\\\d+')}",
   "R = {lua_find(T, 'zebra%d+')}", true},
  {"find, anchored line start", "R = {string.find(T, '(?m)^zebra\\\\d+')}",
   "R = {lua_find(T, '\\nzebra%d+')}", true},
  {"find, alternation", "R = {string.find(T, '(?:zebra|okapi)\\\\d')}",
   "R = {lua_find(T, 'zebra%d')} S = {lua_find(T, 'okapi%d')}", false},
  {"find, plain text", "R = {string.find(T, 'zebra123')}",
   "R = {lua_find(T, 'zebra123', 1, true)}", true},
  {"gmatch words", "N = 0 for w in string.gmatch(T, '\\\\w+') do N = N + 1 end",
   "N = 0 for w in lua_gmatch(T, '%w+') do N = N + 1 end", false},
  {"gmatch numbers", "N = 0 for w in string.gmatch(T, '\\\\d+') do N = N + 1 end",
   "N = 0 for w in lua_gmatch(T, '%d+') do N = N + 1 end", false},
  {"gsub blank runs", "R, N = string.gsub(T, '\\\\s+', ' ')",
   "R, N = lua_gsub(T, '%s+', ' ')", false},
  {"gsub pairs swapped", "R, N = string.gsub(T, '(\\\\w+)=(\\\\w+)', '\\\\2=\\\\1')",
   "R, N = lua_gsub(T, '(%w+)=(%w+)', '%2=%1')", false},
  {"gsub by function", "R, N = string.gsub(T, '\\\\d+', function(d) return '#' end)",
   "R, N = lua_gsub(T, '%d+', function(d) return '#' end)", false},
};

double now_ms() {
#ifdef _WIN32
  FILETIME created, ended, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
  ULARGE_INTEGER k, u;
  k.LowPart = kernel.dwLowDateTime;
  k.HighPart = kernel.dwHighDateTime;
  u.LowPart = user.dwLowDateTime;
  u.HighPart = user.dwHighDateTime;
  return (double)(k.QuadPart + u.QuadPart) / 10000.0;
#else
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
#endif
}

// One side of a case: the chunk compiled once, run reps times per figure.
struct Side {
  int ref = LUA_NOREF;
  int reps = 0;
  std::vector<double> ms;  // per run, one figure a round
};

bool call(lua_State *L, int ref) {
  lua_rawgeti(L, LUA_REGISTRYINDEX, ref);
  if (lua_pcall(L, 0, 0, 0) == 0) return true;
  fprintf(stderr, "%s\n", lua_tostring(L, -1));
  lua_pop(L, 1);
  return false;
}

bool prepare(lua_State *L, const char *code, Side &side) {
  if (luaL_loadstring(L, code)) {
    fprintf(stderr, "%s\n", lua_tostring(L, -1));
    lua_pop(L, 1);
    return false;
  }
  side.ref = luaL_ref(L, LUA_REGISTRYINDEX);
  double t0 = now_ms();
  if (!call(L, side.ref)) return false;  // also warms the pattern cache
  double t = now_ms() - t0;
  side.reps = t >= MIN_TIME_MS ? 1 : std::min(1000, (int)(MIN_TIME_MS / std::max(t, 0.01)) + 1);
  return true;
}

void measure(lua_State *L, Side &side) {
  double t0 = now_ms();
  for (int i = 0; i < side.reps; i++) call(L, side.ref);
  side.ms.push_back((now_ms() - t0) / side.reps);
  lua_gc(L, LUA_GCCOLLECT, 0);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char **argv) {
  int rounds = 5;
  bool interp = false;
  const char *only = "";
  for (int i = 1; i < argc; i++) {
    if (strcmp(argv[i], "--interp") == 0) interp = true;
    else if (strcmp(argv[i], "--only") == 0 && i + 1 < argc) only = argv[++i];
    else rounds = std::max(1, atoi(argv[i]));
  }
  int jit = rx_use_jit(!interp);
  const size_t size = 10 * 1024 * 1024;
  const double mb = size / 1048576.0;
  lua_State *L = luaL_newstate();
  luaL_openlibs(L);
  luaL_dostring(L, "lua_find, lua_gmatch, lua_gsub = string.find, string.gmatch, string.gsub");
  rx_open(L);
  std::string text = make_text(size);
  text.replace(size - 101, 10, "\nzebra123 ");
  lua_pushlstring(L, text.data(), text.size());
  lua_setglobal(L, "T");

  const size_t n = sizeof cases / sizeof cases[0];
  std::vector<size_t> rows;
  for (size_t i = 0; i < n; i++)
    if (strstr(cases[i].name, only)) rows.push_back(i);
  std::vector<Side> ours(n), stock(n);
  for (size_t i : rows)
    if (!prepare(L, cases[i].pcre, ours[i]) || !prepare(L, cases[i].stock, stock[i])) return 1;
  std::vector<std::vector<double>> ratios(n);
  for (int r = 0; r < rounds; r++) {
    for (size_t i : rows) {
      if (r % 2 == 0) {
        measure(L, ours[i]);
        measure(L, stock[i]);
      } else {
        measure(L, stock[i]);
        measure(L, ours[i]);
      }
      ratios[i].push_back(ours[i].ms.back() / stock[i].ms.back());
    }
  }

  printf("regular expressions beside stock Lua patterns, %zu MB text, %s, "
         "thread CPU time, median of %d interleaved rounds\n", size >> 20,
         interp ? "PCRE interpreter" : jit ? "PCRE machine code (JIT)"
                                           : "PCRE interpreter (no JIT in this build)",
         rounds);
  printf("%-26s %9s %9s %9s %9s %7s  %-22s %s\n", "work", "PCRE ms", "MB/s",
         "stock ms", "MB/s", "ratio", "goal", "met");
  int missed = 0;
  for (size_t i : rows) {
    double p = median(ours[i].ms), s = median(stock[i].ms), q = median(ratios[i]);
    double pm = p > 0 ? mb / (p / 1000) : 0, sm = s > 0 ? mb / (s / 1000) : 0;
    bool ok = q <= 1.0 && (!cases[i].scan || pm >= GOAL_MBS);
    missed += !ok;
    printf("%-26s %9.2f %9.1f %9.2f %9.1f %6.2fx  %-22s %s\n", cases[i].name, p, pm, s,
           sm, q, cases[i].scan ? "<= 1.00x, >= 500 MB/s" : "<= 1.00x", ok ? "yes" : "NO");
  }
  printf("%d of %zu rows meet their goal\n", (int)rows.size() - missed, rows.size());
  lua_close(L);
  return 0;
}
