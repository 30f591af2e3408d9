/*
** The style table of an edit control, as the interface writer puts it:
** only what differs from the defaults (font "courier" of size 10, black on
** white, visible), keyword sets 1 to 9 and a scripted lexer. Margins are
** not written. Reads are raw: no script code runs while writing.
*/
#include <string.h>

#include "gui/objects.h"
#include "gui/savestate.h"
#include "gui/ssquote.h"

extern "C" {
#include "lobject.h"
}

static int field_type(lua_State *L, int t, const char *key) {
  lua_pushstring(L, key);
  lua_rawget(L, t);
  return lua_type(L, -1);
}

static uint32_t colour_of(lua_Number v) {
  if (v >= 0 && v < 4294967296.0) return (uint32_t)v;
  return (uint32_t)obj_toint(v);
}

struct slot {
  lua_State *L;
  struct sbuf *b;
  int d, i, t;   /* depth, style number, index of the slot table */
};

static void piece(struct slot *s, const char *path) {
  ss_prefix(s->b, s->d);
  sb_printf(s->b, "__%d__.style[%d].%s = ", s->d, s->i, path);
}

static void quoted(struct slot *s, const char *path) {
  size_t n;
  const char *v = lua_tolstring(s->L, -1, &n);
  piece(s, path);
  sb_puts(s->b, "\"");
  sq_text(s->b, v, n);
  sb_puts(s->b, "\";");
}

static void flag(struct slot *s, int t, const char *key, const char *path) {
  if (field_type(s->L, t, key) != LUA_TNIL && lua_toboolean(s->L, -1)) {
    piece(s, path);
    sb_puts(s->b, "true;");
  }
  lua_pop(s->L, 1);
}

static void font(struct slot *s) {
  lua_State *L = s->L;
  if (field_type(L, s->t, "font") != LUA_TTABLE) {
    lua_pop(L, 1);
    return;
  }
  int f = lua_gettop(L);
  if (field_type(L, f, "name") == LUA_TSTRING && strcmp(lua_tostring(L, -1), "courier"))
    quoted(s, "font.name");
  lua_pop(L, 1);
  if (field_type(L, f, "size") == LUA_TNUMBER) {
    int size = obj_toint(lua_tonumber(L, -1));
    if (size != 10) {
      piece(s, "font.size");
      sb_printf(s->b, "%d;", size);
    }
  }
  lua_pop(L, 1);
  flag(s, f, "bold", "font.bold");
  flag(s, f, "italic", "font.italic");
  lua_pop(L, 1);
}

static void colour(struct slot *s, const char *key, uint32_t deflt) {
  if (field_type(s->L, s->t, key) == LUA_TNUMBER) {
    uint32_t v = colour_of(lua_tonumber(s->L, -1));
    if (v != deflt) {
      piece(s, key);
      sb_printf(s->b, "tonumber('%x',16);", (unsigned)v);
    }
  }
  lua_pop(s->L, 1);
}

static void one_slot(struct slot *s) {
  lua_State *L = s->L;
  font(s);
  flag(s, s->t, "underline", "underline");
  colour(s, "back", 0xFFFFFFu);
  colour(s, "fore", 0);
  if (field_type(L, s->t, "case") == LUA_TSTRING && lua_objlen(L, -1) > 0)
    quoted(s, "case");
  lua_pop(L, 1);
  flag(s, s->t, "hotspot", "hotspot");
  flag(s, s->t, "fill2eol", "fill2eol");
  if (field_type(L, s->t, "visible") == LUA_TBOOLEAN && !lua_toboolean(L, -1)) {
    piece(s, "visible");
    sb_puts(s->b, "false;");
  }
  lua_pop(L, 1);
}

static void lexer(lua_State *L, int st, int d, struct sbuf *b) {
  if (field_type(L, st, "lex") != LUA_TTABLE) {
    lua_pop(L, 1);
    return;
  }
  int lex = lua_gettop(L);
  for (int i = 1; i <= 9; i++) {
    lua_rawgeti(L, lex, i);
    size_t n;
    const char *v = lua_type(L, -1) == LUA_TSTRING ? lua_tolstring(L, -1, &n) : NULL;
    if (v && n) {
      ss_prefix(b, d);
      sb_printf(b, "__%d__.style.lex[%d] = \"", d, i);
      sq_text(b, v, n);
      sb_puts(b, "\";");
    }
    lua_pop(L, 1);
  }
  field_type(L, lex, "lex");
  if (lua_type(L, -1) == LUA_TFUNCTION && !lua_iscfunction(L, -1)) {
    const Closure *cl = (const Closure *)lua_topointer(L, -1);
    if (cl->l.p->srctext) {
      ss_prefix(b, d);
      sb_printf(b, "__%d__.style.lex.lex = function", d);
      sb_puts(b, cl->l.p->srctext);
    }
  }
  lua_pop(L, 2);
}

void ss_style(lua_State *L, int idx, int d, struct sbuf *b) {
  idx = obj_abs(L, idx);
  if (!lua_istable(L, idx) || field_type(L, idx, "style") != LUA_TTABLE) {
    if (lua_istable(L, idx)) lua_pop(L, 1);
    return;
  }
  int st = lua_gettop(L);
  for (int i = 1; i <= 32; i++) {
    lua_rawgeti(L, st, i);
    if (lua_istable(L, -1)) {
      struct slot s = {L, b, d, i, lua_gettop(L)};
      one_slot(&s);
    }
    lua_pop(L, 1);
  }
  lexer(L, st, d, b);
  lua_pop(L, 1);
}
