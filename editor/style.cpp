/*
** Style table to editor messages. Every read of the script's tables is raw:
** this runs from window code, where a metamethod's error could not be
** caught, and the whole walk runs under lua_cpcall besides (memory errors).
*/
#include <assert.h>
#include <stdio.h>

#include "editor/style.h"
#include "editor/unilexer.h"

extern "C" {
#include "lauxlib.h"
}

struct es_job {
  int obj;
  void *hwnd;
  const struct es_sink *s;
};

static intptr_t send(const struct es_sink *s, unsigned msg, uintptr_t wp,
                     intptr_t lp) {
  return s->send(s->ctx, msg, wp, lp);
}

static int es_int(lua_Number n) {
  if (n != n) return 0;
  if (n >= 2147483647.0) return 2147483647;
  if (n <= -2147483648.0) return (int)-2147483647 - 1;
  return (int)n;
}

/* pushes t[key] (raw) of the table at idx */
static int field(lua_State *L, int idx, const char *key) {
  lua_pushstring(L, key);
  lua_rawget(L, idx < 0 ? idx - 1 : idx);
  return lua_type(L, -1);
}

/* number, or a string that converts to one */
static int numeric(lua_State *L, int idx, int *out) {
  if (!lua_isnumber(L, idx)) return 0;
  *out = es_int(lua_tonumber(L, idx));
  return 1;
}

static void style_number(lua_State *L, int t, const char *key,
                         const struct es_sink *s, unsigned msg, int style) {
  int v;
  if (field(L, t, key) != LUA_TNIL && numeric(L, -1, &v))
    send(s, msg, (uintptr_t)style, v);
  lua_pop(L, 1);
}

static void style_flag(lua_State *L, int t, const char *key,
                       const struct es_sink *s, unsigned msg, int style) {
  if (field(L, t, key) == LUA_TBOOLEAN)
    send(s, msg, (uintptr_t)style, lua_toboolean(L, -1));
  lua_pop(L, 1);
}

static void apply_font(lua_State *L, int t, const struct es_sink *s,
                       int style) {
  if (field(L, t, "font") != LUA_TTABLE) {
    lua_pop(L, 1);
    return;
  }
  int f = lua_gettop(L);
  if (field(L, f, "name") == LUA_TSTRING)
    send(s, SCM_STYLESETFONT, (uintptr_t)style,
         (intptr_t)lua_tostring(L, -1));
  lua_pop(L, 1);
  style_number(L, f, "size", s, SCM_STYLESETSIZE, style);
  /* bold is only ever set: nil and false send nothing */
  field(L, f, "bold");
  if (lua_toboolean(L, -1)) send(s, SCM_STYLESETBOLD, (uintptr_t)style, 1);
  lua_pop(L, 1);
  style_flag(L, f, "italic", s, SCM_STYLESETITALIC, style);
  lua_pop(L, 1);
}

/* first character of a string or number field: 0 when absent */
static int first_char(lua_State *L, int t, const char *key) {
  int type = field(L, t, key), c = 0;
  if (type == LUA_TSTRING || type == LUA_TNUMBER) {
    const char *text = lua_tostring(L, -1);
    c = (unsigned char)text[0];
  } else {
    c = -1;
  }
  lua_pop(L, 1);
  return c;
}

static void apply_case(lua_State *L, int t, const struct es_sink *s,
                       int style) {
  int c = first_char(L, t, "case");
  if (c < 0) return;
  int mode = (c == 'u' || c == 'U') ? 1 : (c == 'l' || c == 'L') ? 2 : 0;
  send(s, SCM_STYLESETCASE, (uintptr_t)style, mode);
}

static void apply_style(lua_State *L, int t, const struct es_sink *s,
                        int style) {
  apply_font(L, t, s, style);
  style_flag(L, t, "underline", s, SCM_STYLESETUNDERLINE, style);
  style_number(L, t, "back", s, SCM_STYLESETBACK, style);
  style_number(L, t, "fore", s, SCM_STYLESETFORE, style);
  apply_case(L, t, s, style);
  style_flag(L, t, "hotspot", s, SCM_STYLESETHOTSPOT, style);
  style_flag(L, t, "fill2eol", s, SCM_STYLESETEOLFILLED, style);
  style_flag(L, t, "visible", s, SCM_STYLESETVISIBLE, style);
}

static void apply_margin(lua_State *L, int t, const struct es_sink *s,
                         int m) {
  int c = field(L, t, "type") == LUA_TSTRING
              ? (unsigned char)lua_tostring(L, -1)[0] : -1;
  lua_pop(L, 1);
  if (c >= 0) {
    int type = (c == 's' || c == 'S') ? 0 : (c == 'f' || c == 'F') ? 2 : 1;
    send(s, SCM_SETMARGINTYPEN, (uintptr_t)m, type);
  }
  int type = field(L, t, "w");
  if (type == LUA_TNUMBER) {
    send(s, SCM_SETMARGINWIDTHN, (uintptr_t)m, es_int(lua_tonumber(L, -1)));
  } else if (type == LUA_TSTRING) {
    intptr_t w = send(s, SCM_TEXTWIDTH, ES_STYLE_LINENUMBER,
                      (intptr_t)lua_tostring(L, -1));
    send(s, SCM_SETMARGINWIDTHN, (uintptr_t)m, w + 4);
  }
  lua_pop(L, 1);
}

/* this, hWnd and a fresh wl of nine empty tables in the function's
   environment; raw, past any metatable an earlier lexing call left there */
static void set_env(lua_State *L, int fn, int obj, void *hwnd) {
  lua_getfenv(L, fn);
  if (!lua_istable(L, -1)) {
    lua_pop(L, 1);
    return;
  }
  lua_pushstring(L, "this");
  lua_pushvalue(L, obj);
  lua_rawset(L, -3);
  lua_pushstring(L, "hWnd");
  lua_pushlightuserdata(L, hwnd);
  lua_rawset(L, -3);
  lua_pushstring(L, "wl");
  lua_createtable(L, 9, 0);
  for (int k = 1; k <= 9; k++) {
    lua_newtable(L);
    lua_rawseti(L, -2, k);
  }
  lua_rawset(L, -3);
  lua_pop(L, 1);
}

/* binds style.lex[key] if it is a function; returns its identity or 0 */
static intptr_t bind(lua_State *L, int lex, const char *key,
                     const struct es_job *j) {
  intptr_t id = 0;
  if (field(L, lex, key) == LUA_TFUNCTION) {
    set_env(L, lua_gettop(L), j->obj, j->hwnd);
    id = ul_bind(L, -1);
  }
  lua_pop(L, 1);
  return id;
}

static void apply_lex(lua_State *L, int lex, const struct es_job *j) {
  const struct es_sink *s = j->s;
  intptr_t id = bind(L, lex, "lex", j);
  send(s, SCM_SETPTRPROPERTY, (uintptr_t)"lexer", id);
  send(s, SCM_SETLEXER, id ? ES_LEX_SCRIPT : ES_LEX_NONE, 0);
  id = bind(L, lex, "folder", j);
  send(s, SCM_SETPTRPROPERTY, (uintptr_t)"folder", id);
  send(s, SCM_SETPROPERTY, (uintptr_t)"fold", (intptr_t)(id ? "1" : "0"));
  for (int k = 1; k <= 9; k++) {
    lua_rawgeti(L, lex, k);
    if (lua_type(L, -1) == LUA_TSTRING)
      send(s, SCM_SETKEYWORDS, (uintptr_t)(k - 1),
           (intptr_t)lua_tostring(L, -1));
    lua_pop(L, 1);
  }
}

static int apply(lua_State *L) {
  const struct es_job *j = (const struct es_job *)lua_touserdata(L, 1);
  const struct es_sink *s = j->s;
  intptr_t bits = send(s, SCM_GETSTYLEBITS, 0, 0);
  if (field(L, j->obj, "style") != LUA_TTABLE) return 0;
  int st = lua_gettop(L);
  send(s, SCM_CLEARDOCUMENTSTYLE, 0, 0);
  size_t n = lua_objlen(L, st);
  size_t most = bits >= 0 && bits < 16 ? (size_t)1 << bits : 0;
  if (n > most) n = most;
  for (size_t i = 1; i <= n; i++) {
    lua_rawgeti(L, st, (int)i);
    if (lua_istable(L, -1)) apply_style(L, lua_gettop(L), s, (int)i - 1);
    lua_pop(L, 1);
  }
  if (field(L, st, "margin") == LUA_TTABLE)
    for (int m = 1; m <= 3; m++) {
      lua_rawgeti(L, -1, m);
      if (lua_istable(L, -1)) apply_margin(L, lua_gettop(L), s, m - 1);
      lua_pop(L, 1);
    }
  lua_pop(L, 1);
  if (field(L, st, "lex") == LUA_TTABLE) apply_lex(L, lua_gettop(L), j);
  lua_pop(L, 1);
  send(s, SCM_COLOURISE, 0, -1);
  return 0;
}

void es_apply(lua_State *L, int obj, void *hwnd, const struct es_sink *s) {
  if (L == NULL || hwnd == NULL || s == NULL || !lua_istable(L, obj)) return;
  if (obj < 0 && obj > LUA_REGISTRYINDEX) obj = lua_gettop(L) + obj + 1;
  if (!lua_checkstack(L, 8)) return;
  /* the object goes in as the second argument: cpcall's function sees a
     fresh stack */
  struct es_job j = {2, hwnd, s};
  [[maybe_unused]] int top = lua_gettop(L);
  lua_pushcfunction(L, apply);
  lua_pushlightuserdata(L, &j);
  lua_pushvalue(L, obj);
  if (lua_pcall(L, 2, 0, 0)) lua_pop(L, 1);
  assert(lua_gettop(L) == top);
}

void es_lua_colours(const struct es_sink *s) {
  static const char keywords[] =
      "and break do else elseif end false for function if in local nil not "
      "or repeat return then true until while";
  send(s, SCM_CLEARDOCUMENTSTYLE, 0, 0);
  send(s, SCM_SETLEXER, ES_LEX_LUA, 0);
  send(s, SCM_STYLESETFORE, 2, 0x00FF00);
  send(s, SCM_STYLESETITALIC, 2, 1);
  send(s, SCM_STYLESETFORE, 1, 0x00FF00);
  send(s, SCM_STYLESETITALIC, 1, 1);
  send(s, SCM_STYLESETFORE, 4, 0xFF0000);
  send(s, SCM_STYLESETFORE, 6, 0x800060);
  send(s, SCM_STYLESETFORE, 7, 0x800060);
  send(s, SCM_STYLESETFORE, 8, 0x800060);
  send(s, SCM_SETKEYWORDS, 0, (intptr_t)keywords);
  send(s, SCM_STYLESETFORE, 5, 0x000090);
  send(s, SCM_STYLESETCASE, 5, 1);
  send(s, SCM_STYLESETFORE, 10, 0x764847);
  send(s, SCM_STYLESETFORE, 11, 0x0000FF);
  intptr_t nine = send(s, SCM_TEXTWIDTH, ES_STYLE_LINENUMBER, (intptr_t)"9");
  send(s, SCM_SETMARGINWIDTHN, 0, 3 * nine + 5);
  send(s, SCM_SETMARGINWIDTHN, 1, 0);
  send(s, SCM_COLOURISE, 0, -1);
}
