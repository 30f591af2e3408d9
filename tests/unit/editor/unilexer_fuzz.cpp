// libFuzzer target: any text, range and code page through a lexer that
// uses every name of the style context with styles taken from the text,
// and a folder that reads and writes at positions taken from the text.
// Colouring must stay inside the text and move forward; nothing may fail.
#include <stdint.h>
#include <stdlib.h>

#include <string>

#include "tests/support/ts_lua.h"
#include "tests/unit/editor/fakes.h"

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

static const char script[] =
    "function lex()"
    "  local n = 0"
    "  while more do"
    "    local c = ch .. chNext .. chPrev"
    "    if #current > 3 then setstate(string.byte(c .. 'x') % 40 - 3) end"
    "    if atLineEnd then changestate(#currentLowered % 35) end"
    "    if ch == 'q' then state = currentPos % 50 end"
    "    if ch == 'c' then complete() end"
    "    forward() n = n + 1"
    "  end"
    "  forward() complete() wl[1].InList(current)"
    "end "
    "function fold()"
    "  for p = startPos - 2, startPos + length + 2 do"
    "    local l = getLine(p) local c = getChar(p)"
    "    setLevel(l, getLevel(l) + string.byte(c) % 3)"
    "  end "
    "end "
    "wl = {{}}";

static lua_State *state(void) {
  static lua_State *L = NULL;
  if (L == NULL) {
    L = ts_fresh();
    if (ts_do(L, script) != "") abort();
  }
  return L;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 3) return 0;
  lua_State *L = state();
  std::string text((const char *)data + 3, size - 3);
  fake_doc doc(text);
  doc.dbcs = data[0] & 1;
  doc.words[0] = {"ab", "^q"};
  long len = (long)text.size();
  long start = len ? data[1] % (len + 1) : 0;
  long n = (len - start + 1) ? data[2] % (len - start + 1) : 0;
  ul_doc d = doc.doc();
  int top = lua_gettop(L);
  lua_getglobal(L, "lex");
  intptr_t lex = ul_bind(L, -1);
  lua_getglobal(L, "fold");
  intptr_t fold = ul_bind(L, -1);
  lua_settop(L, top);
  if (ul_colour(L, lex, &d, start, n) != 0) abort();
  long last = start - 1;
  for (auto &r : doc.runs) {
    if (r.first <= last || r.first >= len || r.second < 0 || r.second > 31)
      abort();
    last = r.first;
  }
  if (ul_fold(L, fold, &d, start, n) != 0) abort();
  if (lua_gettop(L) != top) abort();
  return 0;
}
