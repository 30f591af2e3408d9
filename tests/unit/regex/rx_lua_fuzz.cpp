// libFuzzer target: find, match, gmatch and gsub with any subject,
// expression and replacement text. Nothing may crash or leak; gsub's
// second result must be the length of its first.
#include <cstdlib>
#include <cstring>

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

#include "data/regex/rx_lua.h"
#include "tests/support/ts_lua.h"

void con_message(const char *) {}

static lua_State *state() {
  static lua_State *L = nullptr;
  if (L == nullptr) {
    L = ts_fresh();
    rx_open(L);
    ts_do(L,
        "function probe(s, p, r) "
        "  string.find(s, p) string.find(s, p, -3) string.match(s, p, 2) "
        "  local n = 0 for a in string.gmatch(s, p) do n = n + 1 "
        "    if n > #s + 1 then error('gmatch does not end') end end "
        "  local g, len = string.gsub(s, p, r) "
        "  if #g ~= len then error('gsub length') end "
        "  string.gsub(s, p, function(...) return select('#', ...) end, 3) "
        "end");
  }
  return L;
}

// Input: subject, expression and replacement separated by two 0xFF bytes.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size) {
  const char *parts[3] = {"", "", ""};
  size_t lens[3] = {0, 0, 0};
  const char *p = (const char *)data, *end = p + size;
  for (int i = 0; i < 3 && p <= end; i++) {
    const char *sep = p;
    while (sep + 1 < end && !(sep[0] == '\xff' && sep[1] == '\xff')) sep++;
    if (sep + 1 >= end) sep = end;
    parts[i] = p;
    lens[i] = (size_t)(sep - p);
    p = sep + 2;
  }
  lua_State *L = state();
  lua_getglobal(L, "probe");
  for (int i = 0; i < 3; i++) lua_pushlstring(L, parts[i], lens[i]);
  if (lua_pcall(L, 3, 0, 0)) {
    const char *m = lua_tostring(L, -1);
    if (m && (strstr(m, "gmatch does not end") || strstr(m, "gsub length"))) abort();
    lua_pop(L, 1);
  }
  return 0;
}
