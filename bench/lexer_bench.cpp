// Colouring 1 MB of Lua source in an editor window: a lexer function in
// Lua of the usual kind (keywords, strings, comments, numbers) through the
// scripted lexer, beside the component's built-in Lua lexer on the same
// text. Prints milliseconds per MB; no pass or fail.
#include <windows.h>
#include <stdio.h>

#include <string>

#include "Scintilla.h"
#include "editor/win/edwin.h"
#include "editor/unilexer.h"
#include "host/trelk.h"

extern "C" {
#include "lauxlib.h"
}

static const char lexer_source[] =
    "local function alpha(c) return (c >= 'a' and c <= 'z') or "
    "  (c >= 'A' and c <= 'Z') or c == '_' end\n"
    "local function digit(c) return c >= '0' and c <= '9' end\n"
    "function bench_lexer()\n"
    "  while more do\n"
    "    local s = state\n"
    "    if s == 12 then\n"   /* identifier or keyword */
    "      if not (alpha(ch) or digit(ch)) then\n"
    "        if wl[1].InList(current) then changestate(6) end\n"
    "        setstate(1)\n"
    "      end\n"
    "    elseif s == 5 then\n"   /* number */
    "      if not (digit(ch) or ch == '.') then setstate(1) end\n"
    "    elseif s == 7 then\n"   /* string */
    "      if ch == '\\\\' then forward()\n"
    "      elseif ch == '\"' then forward() setstate(1) end\n"
    "    elseif s == 3 then\n"   /* comment */
    "      if atLineEnd then forward() setstate(1) end\n"
    "    end\n"
    "    if state == 1 then\n"
    "      if ch == '-' and chNext == '-' then setstate(3)\n"
    "      elseif ch == '\"' then setstate(7)\n"
    "      elseif digit(ch) then setstate(5)\n"
    "      elseif alpha(ch) then setstate(12) end\n"
    "    end\n"
    "    forward()\n"
    "  end\n"
    "  complete()\n"
    "end\n"
    "wl = {} for i = 1, 9 do wl[i] = {} end\n";

static const char keywords[] =
    "and break do else elseif end false for function if in local nil not "
    "or repeat return then true until while";

static std::string make_source(size_t size) {
  static const char chunk[] =
      "-- a comment line about the function below\n"
      "local function count(t, limit)\n"
      "  local n, total = 0, 0.5\n"
      "  for i = 1, #t do\n"
      "    if t[i] ~= nil and i < limit then n = n + 1 end\n"
      "    total = total + 42 * i\n"
      "  end\n"
      "  print(\"counted \\\"items\\\"\", n, total)\n"
      "  return n\n"
      "end\n\n";
  std::string s;
  while (s.size() < size) s += chunk;
  s.resize(size);
  return s;
}

static double now_ms(void) {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * (double)c.QuadPart / (double)f.QuadPart;
}

/* best of three full colourings of the text */
static double colour_ms(HWND h, const std::string &text) {
  double best = 1e30;
  for (int i = 0; i < 3; i++) {
    ew_send(h, SCI_SETTEXT, 0, (LPARAM)text.c_str());
    double t = now_ms();
    ew_send(h, SCI_COLOURISE, 0, -1);
    t = now_ms() - t;
    if (t < best) best = t;
  }
  return best;
}

int main(void) {
  if (!trelk_init()) return 1;
  lua_State *L = trelk_open_state();
  if (L == NULL || luaL_dostring(L, lexer_source)) return 1;
  HWND h = CreateWindowExA(0, "Scintilla", "", WS_POPUP, 0, 0, 400, 300,
                           NULL, NULL, trelk.instance, NULL);
  if (h == NULL) return 1;
  ew_adopt(h);
  const size_t size = 1 << 20;
  std::string text = make_source(size);
  double mb = (double)size / (1 << 20);

  ew_send(h, 4001, 15, 0);
  ew_send(h, SCI_SETKEYWORDS, 0, (LPARAM)keywords);
  double builtin = colour_ms(h, text) / mb;

  lua_getglobal(L, "bench_lexer");
  intptr_t id = ul_bind(L, -1);
  lua_pop(L, 1);
  ew_send(h, 4012, (WPARAM)"lexer", id);
  ew_send(h, 4001, 2, 0);
  ew_send(h, SCI_SETKEYWORDS, 0, (LPARAM)keywords);
  double script = colour_ms(h, text) / mb;
  LRESULT kw = ew_send(h, SCI_GETSTYLEAT, 44, 0);   /* `local' */

  printf("lexer: colouring %.1f MB of Lua source (best of 3)\n", mb);
  printf("  built-in Lua lexer      %8.1f ms/MB\n", builtin);
  printf("  Lua lexer function      %8.1f ms/MB  (%.1fx; keyword style %ld)\n",
         script, builtin > 0 ? script / builtin : 0.0, (long)kw);
  DestroyWindow(h);
  return 0;
}
