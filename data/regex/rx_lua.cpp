/*
** rx_lua.cpp: string.find, match, gmatch and gsub over the matcher of
** rx_core. Offsets of the regular path count from 0 with an exclusive end;
** the plain path of find keeps 1-based inclusive positions. Only the Lua C
** API is used here. Compiled patterns belong to rx_core's cache and every
** step asks it afresh (a replacement function may push the pattern out),
** so an interpreter error leaks nothing and no step holds a stale pattern.
*/
#include "data/regex/rx_lua.h"

#include <string.h>

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

#include "data/regex/rx_core.h"
#include "host/base/message.h"

#ifdef _WIN32
void rx_win_open(void);
#endif

#define RX_SPECIALS "^$*+?.([%-\\"

/* Runs the matcher and prints its complaint; the number of pairs. */
static int rx_run(const char *s, size_t len, const char *p, size_t lp,
                  int offset, struct rx_result *r) {
  int n = rx_match(s, len, p, lp, offset, 0, r);
  if (r->error[0]) con_message(r->error);
  return n;
}

/* One pair as a string; an unset or inconsistent pair gives "". */
static void rx_pushpair(lua_State *L, const char *s, size_t len,
                        const int *pair) {
  int a = pair[0], b = pair[1];
  if (a < 0 || b < a || (size_t)b > len)
    lua_pushlstring(L, "", 0);
  else
    lua_pushlstring(L, s + a, (size_t)(b - a));
}

/* Pairs from..n-1 as strings; their count. */
static int rx_pushstrings(lua_State *L, const char *s, size_t len,
                          const struct rx_result *r, int from, int n) {
  luaL_checkstack(L, n - from, "too many captures");
  for (int i = from; i < n; i++) rx_pushpair(L, s, len, r->pairs + 2 * i);
  return n - from;
}

/* init from 1, negative from the end, clamped to 1..len+1; as offset.
   Read as a number so that huge values clamp instead of wrapping. */
static int rx_init(lua_State *L, int arg, size_t len) {
  lua_Number init = luaL_optnumber(L, arg, 1);
  lua_Number last = (lua_Number)len + 1;
  if (!(init == init)) init = 1;
  if (init < 0) init += last;
  if (init < 1) init = 1;
  if (init > last) init = last;
  return (int)init - 1;
}

static int rx_isplain(const char *p, size_t lp) {
  for (size_t i = 0; i < lp; i++)
    if (p[i] != '\0' && strchr(RX_SPECIALS, p[i])) return 0;
  return 1;
}

/* The Windows C library's memchr goes byte by byte; glibc's is faster
   than the scan below, so it stays in use there. */
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__)) && \
    !defined(__GLIBC__)
#include <emmintrin.h>
#define RX_SIMD 1

/* Places where both the first and the last byte of the text fit, 16 at a
   time; memcmp checks each. */
__attribute__((target("sse2")))
static const char *rx_scan(const char *s, size_t ls, const char *p, size_t lp) {
  const __m128i first = _mm_set1_epi8(p[0]), last = _mm_set1_epi8(p[lp - 1]);
  size_t starts = ls - lp + 1, i = 0;
  for (; i + 16 <= starts; i += 16) {
    __m128i a = _mm_loadu_si128((const __m128i *)(s + i));
    __m128i b = _mm_loadu_si128((const __m128i *)(s + i + lp - 1));
    unsigned m = (unsigned)_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last)));
    for (; m != 0; m &= m - 1) {
      const char *at = s + i + __builtin_ctz(m);
      if (memcmp(at, p, lp) == 0) return at;
    }
  }
  for (; i < starts; i++)
    if (s[i] == p[0] && memcmp(s + i, p, lp) == 0) return s + i;
  return NULL;
}

static int rx_has_simd(void) {
#if defined(__x86_64__)
  return 1;
#else
  static int have = -1;
  if (have < 0) have = __builtin_cpu_supports("sse2") ? 1 : 0;
  return have;
#endif
}
#endif

static const char *rx_memfind(const char *s, size_t ls, const char *p,
                              size_t lp) {
  if (lp == 0) return s;
#ifdef RX_SIMD
  if (ls < lp) return NULL;
  if (rx_has_simd()) return rx_scan(s, ls, p, lp);
#endif
  while (ls >= lp) {
    const char *hit = (const char *)memchr(s, p[0], ls - lp + 1);
    if (hit == NULL) return NULL;
    if (memcmp(hit, p, lp) == 0) return hit;
    ls -= (size_t)(hit + 1 - s);
    s = hit + 1;
  }
  return NULL;
}

static int rx_find_plain(lua_State *L, const char *s, size_t ls, const char *p,
                         size_t lp, int offset) {
  const char *hit = rx_memfind(s + offset, ls - (size_t)offset, p, lp);
  if (hit == NULL) return 0;
  lua_pushinteger(L, (lua_Integer)(hit - s) + 1);
  lua_pushinteger(L, (lua_Integer)(hit - s + lp));
  return 2;
}

static int rx_find(lua_State *L) {
  size_t ls, lp;
  const char *s = luaL_checklstring(L, 1, &ls);
  const char *p = luaL_checklstring(L, 2, &lp);
  int offset = rx_init(L, 3, ls);
  if (lua_toboolean(L, 4) || rx_isplain(p, lp))
    return rx_find_plain(L, s, ls, p, lp, offset);
  struct rx_result r;
  int n = rx_run(s, ls, p, lp, offset, &r);
  if (n == 0) return 0;
  lua_pushinteger(L, r.pairs[0]);
  lua_pushinteger(L, r.pairs[1]);
  return 2 + rx_pushstrings(L, s, ls, &r, 1, n);
}

static int rx_match_lua(lua_State *L) {
  size_t ls, lp;
  const char *s = luaL_checklstring(L, 1, &ls);
  const char *p = luaL_checklstring(L, 2, &lp);
  int offset = rx_init(L, 3, ls);
  struct rx_result r;
  int n = rx_run(s, ls, p, lp, offset, &r);
  if (n == 0) return 0;
  return rx_pushstrings(L, s, ls, &r, n > 1 ? 1 : 0, n);
}

/* Iterator: upvalues subject, pattern, position. */
static int rx_gmatch_step(lua_State *L) {
  size_t ls, lp;
  const char *s = lua_tolstring(L, lua_upvalueindex(1), &ls);
  const char *p = lua_tolstring(L, lua_upvalueindex(2), &lp);
  lua_Integer pos = lua_tointeger(L, lua_upvalueindex(3));
  if (pos < 0 || (size_t)pos > ls) return 0;
  struct rx_result r;
  int n = rx_run(s, ls, p, lp, (int)pos, &r);
  if (n == 0) {
    lua_pushinteger(L, (lua_Integer)ls + 1);  /* stay ended */
    lua_replace(L, lua_upvalueindex(3));
    return 0;
  }
  lua_Integer next = r.pairs[1] > pos ? r.pairs[1] : pos + 1;
  lua_pushinteger(L, next);
  lua_replace(L, lua_upvalueindex(3));
  return rx_pushstrings(L, s, ls, &r, 0, n);
}

static int rx_gmatch(lua_State *L) {
  luaL_checkstring(L, 1);
  luaL_checkstring(L, 2);
  lua_settop(L, 2);
  lua_pushinteger(L, 0);
  lua_pushcclosure(L, rx_gmatch_step, 3);
  return 1;
}

static const char *rx_escape(char c) {
  switch (c) {
    case 'b': return "\b";
    case 'f': return "\f";
    case 'n': return "\n";
    case 'r': return "\r";
    case 't': return "\t";
    case 'v': return "\v";
    default: return NULL;
  }
}

static int rx_isdigit(char c) { return c >= '0' && c <= '9'; }

/* Replacement text with \N groups and the C escapes; i is at the byte
   after a backslash; returns the index of the last byte consumed. */
static size_t rx_addescape(luaL_Buffer *b, const char *t, size_t lt, size_t i,
                           const char *s, size_t ls, const struct rx_result *r,
                           int n) {
  char c = t[i];
  if (rx_isdigit(c)) {
    int g = c - '0';
    if (i + 1 < lt && rx_isdigit(t[i + 1])) g = g * 10 + (t[++i] - '0');
    if (g >= 1 && g < n) {
      const int *pair = r->pairs + 2 * g;
      if (pair[0] >= 0 && pair[1] > pair[0] && (size_t)pair[1] <= ls)
        luaL_addlstring(b, s + pair[0], (size_t)(pair[1] - pair[0]));
    }
    return i;
  }
  const char *e = rx_escape(c);
  luaL_addchar(b, e ? *e : c);
  return i;
}

static void rx_addtext(luaL_Buffer *b, const char *t, size_t lt, const char *s,
                       size_t ls, const struct rx_result *r, int n) {
  for (size_t i = 0; i < lt; i++) {
    if (t[i] != '\\')
      luaL_addchar(b, t[i]);
    else if (i + 1 == lt)
      luaL_addchar(b, '\\');   /* a lone backslash at the end stays */
    else
      i = rx_addescape(b, t, lt, i + 1, s, ls, r, n);
  }
}

/* The function gets the groups, or the whole match when there are none;
   a string (or number) result replaces the match, anything else inserts
   nothing. */
static void rx_addcall(lua_State *L, luaL_Buffer *b, const char *s, size_t ls,
                       const struct rx_result *r, int n) {
  lua_pushvalue(L, 3);
  int k = rx_pushstrings(L, s, ls, r, n > 1 ? 1 : 0, n);
  lua_call(L, k, 1);
  if (lua_isstring(L, -1))
    luaL_addvalue(b);
  else
    lua_pop(L, 1);
}

static int rx_gsub(lua_State *L) {
  size_t ls, lp, lt = 0;
  const char *s = luaL_checklstring(L, 1, &ls);
  const char *p = luaL_checklstring(L, 2, &lp);
  int tr = lua_type(L, 3);
  luaL_argcheck(L, tr == LUA_TSTRING || tr == LUA_TNUMBER || tr == LUA_TFUNCTION,
                3, "string or function expected");
  const char *t = tr == LUA_TFUNCTION ? NULL : lua_tolstring(L, 3, &lt);
  lua_Number max = luaL_optnumber(L, 4, (lua_Number)ls + 1);
  size_t pos = 0;
  luaL_Buffer b;
  luaL_buffinit(L, &b);
  for (lua_Number done = 0; done < max && pos <= ls; done++) {
    struct rx_result r;
    int n = rx_run(s + pos, ls - pos, p, lp, 0, &r);
    if (n == 0) break;
    size_t s0 = r.pairs[0] > 0 ? (size_t)r.pairs[0] : 0;
    size_t e0 = r.pairs[1] > 0 ? (size_t)r.pairs[1] : 0;
    if (e0 < s0) e0 = s0;
    luaL_addlstring(&b, s + pos, s0);
    if (t)
      rx_addtext(&b, t, lt, s + pos, ls - pos, &r, n);
    else
      rx_addcall(L, &b, s + pos, ls - pos, &r, n);
    if (e0 == 0) {              /* no progress: keep one byte and move on */
      if (pos < ls) luaL_addchar(&b, s[pos]);
      e0 = 1;
    }
    pos += e0;
  }
  if (pos < ls) luaL_addlstring(&b, s + pos, ls - pos);
  luaL_pushresult(&b);
  lua_pushinteger(L, (lua_Integer)lua_objlen(L, -1));
  return 2;
}

static int rx_gfind(lua_State *L) {
  return luaL_error(L, "'string.gfind' was renamed to 'string.gmatch'");
}

static const luaL_Reg rx_funcs[] = {
  {"find", rx_find},
  {"match", rx_match_lua},
  {"gmatch", rx_gmatch},
  {"gsub", rx_gsub},
  {"gfind", rx_gfind},
  {NULL, NULL}
};

int rx_open(lua_State *L) {
#ifdef _WIN32
  rx_win_open();
#endif
  lua_getglobal(L, LUA_STRLIBNAME);
  if (!lua_istable(L, -1)) {
    lua_pop(L, 1);
    lua_newtable(L);
    lua_pushvalue(L, -1);
    lua_setglobal(L, LUA_STRLIBNAME);
  }
  luaL_register(L, NULL, rx_funcs);
  lua_pop(L, 1);
  return 0;
}
