// The regular-expression string functions over a 10 MB text, beside the
// same work done by the interpreter's own patterns where one exists.
// Every call (and every step of gsub and gmatch) compiles its pattern, so
// the figures include that cost. Prints figures; no pass or fail.
#include <chrono>
#include <cstdio>
#include <string>

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

#include "data/regex/rx_lua.h"

void con_message(const char *text) { fputs(text, stderr); }

namespace {

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

double run(lua_State *L, const char *code) {
  auto t0 = std::chrono::steady_clock::now();
  if (luaL_dostring(L, code)) {
    fprintf(stderr, "%s\n", lua_tostring(L, -1));
    lua_pop(L, 1);
    return -1;
  }
  auto t1 = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

struct Case {
  const char *name;
  const char *pcre;   // with the regular-expression functions
  const char *stock;  // with the interpreter's own, or null
};

const Case cases[] = {
  {"find, match near the end", "R = {string.find(T, 'zebra\\\\d+')}",
   "R = {lua_find(T, 'zebra%d+')}"},
  {"find, alternation", "R = {string.find(T, '(?:zebra|okapi)\\\\d')}", nullptr},
  {"find, plain text", "R = {string.find(T, 'zebra123')}",
   "R = {lua_find(T, 'zebra123', 1, true)}"},
  {"gmatch words", "N = 0 for w in string.gmatch(T, '\\\\w+') do N = N + 1 end",
   "N = 0 for w in lua_gmatch(T, '%w+') do N = N + 1 end"},
  {"gmatch numbers", "N = 0 for w in string.gmatch(T, '\\\\d+') do N = N + 1 end",
   "N = 0 for w in lua_gmatch(T, '%d+') do N = N + 1 end"},
  {"gsub blank runs", "R, N = string.gsub(T, '\\\\s+', ' ')",
   "R, N = lua_gsub(T, '%s+', ' ')"},
  {"gsub pairs swapped", "R, N = string.gsub(T, '(\\\\w+)=(\\\\w+)', '\\\\2=\\\\1')",
   "R, N = lua_gsub(T, '(%w+)=(%w+)', '%2=%1')"},
  {"gsub by function", "R, N = string.gsub(T, '\\\\d+', function(d) return '#' end)",
   "R, N = lua_gsub(T, '%d+', function(d) return '#' end)"},
};

}  // namespace

int main() {
  const size_t size = 10 * 1024 * 1024;
  lua_State *L = luaL_newstate();
  luaL_openlibs(L);
  luaL_dostring(L, "lua_find, lua_gmatch, lua_gsub = string.find, string.gmatch, string.gsub");
  rx_open(L);
  std::string text = make_text(size);
  text.replace(size - 100, 8, "zebra123");
  lua_pushlstring(L, text.data(), text.size());
  lua_setglobal(L, "T");
  printf("regular expressions beside stock Lua patterns, %zu MB text\n", size >> 20);
  printf("%-26s %12s %10s %12s %10s\n", "work", "PCRE ms", "MB/s", "stock ms", "MB/s");
  for (const Case &c : cases) {
    double p = run(L, c.pcre);
    printf("%-26s %12.1f %10.1f", c.name, p, p > 0 ? (size / 1048576.0) / (p / 1000) : 0);
    if (c.stock) {
      double s = run(L, c.stock);
      printf(" %12.1f %10.1f", s, s > 0 ? (size / 1048576.0) / (s / 1000) : 0);
    } else {
      printf(" %12s %10s", "-", "-");
    }
    printf("\n");
    lua_gc(L, LUA_GCCOLLECT, 0);
  }
  lua_close(L);
  return 0;
}
