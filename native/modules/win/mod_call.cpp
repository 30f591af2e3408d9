/*
** Member calls from scripts. String arguments are passed as copies in one
** block owned by the interpreter (a userdata on the stack during the call):
** the called code may write into them, as `str.cat' and `str.format' do,
** without touching the interpreter's own strings. Each copy has room for
** the sum of all string arguments plus 1025 bytes, which covers
** concatenation of the arguments and a `wsprintfA' result.
*/
#include <math.h>
#include <string.h>

extern "C" {
#include "lauxlib.h"
#include "lobject.h"
#include "lstate.h"
}

#include "native/guard/guard_lua.h"
#include "native/modules/mod_call.h"
#include "host/base/message.h"

const char mc_fault_message[] = "Error! exception is occured inside asm module call\n";

/* Whole numbers in 32 bits, the usual argument: 2^52 + 2^51 added puts d
   rounded in the low word, with neither fmod nor a switch of the x87
   control word; the comparison leaves every other value to mc_word. */
static inline int mc_small(lua_Number d, uint32_t *w) {
  union { double d; uint32_t w[2]; } u;
  u.d = (double)d + 6755399441055744.0;
  if ((lua_Number)(int32_t)u.w[0] != d) return 0;
  *w = u.w[0];
  return 1;
}

uint32_t mc_word(lua_Number d) {
  uint32_t w;
  if (mc_small(d, &w)) return w;
  if (!(d == d) || isinf(d)) return 0;
  d = fmod(trunc(d), 4294967296.0);
  if (d < 0) d += 4294967296.0;
  return (uint32_t)d;
}

static int mc_is_string(uint8_t t) {
  t &= MI_TYPEMASK;
  return t != MI_REAL && (t & MI_SIZEMASK) == MI_STRING;
}

static int mc_is_real(uint8_t t) {
  return (t & MI_TYPEMASK) == MI_REAL;
}

/* Copies of the string arguments, laid out in one userdata. */
struct mc_copies {
  char *next;
  size_t room;
};

static uint32_t mc_copy(lua_State *L, int idx, mc_copies *c) {
  size_t n;
  const char *s = lua_tolstring(L, idx, &n);
  if (s == NULL) return 0;
  char *dst = c->next;
  memcpy(dst, s, n);
  memset(dst + n, 0, c->room - n);
  c->next += c->room;
  return (uint32_t)(uintptr_t)dst;
}

static uint32_t mc_other(lua_State *L, int idx, mc_copies *c) {
  switch (lua_type(L, idx)) {
    case LUA_TNIL:
    case LUA_TNONE:
      return 0;
    case LUA_TLIGHTUSERDATA:
      return (uint32_t)(uintptr_t)lua_touserdata(L, idx);
    case LUA_TSTRING:
      return mc_copy(L, idx, c);
    case LUA_TUSERDATA: {
      void *p = lua_touserdata(L, idx);
      return lua_objlen(L, idx) >= 4 ? *(uint32_t *)p : 0;
    }
    default:
      return mc_word(lua_tonumber(L, idx));
  }
}

/* Fills the argument words, in `local' or else in a userdata left on the
   stack until the call returns (no C++ object may live in a frame an
   interpreter error can unwind); returns the word count. */
static int mc_args(lua_State *L, const mi_sig *s, int first, int top,
                   uint32_t **out, uint32_t *local, size_t nlocal) {
  size_t strings = 0, count = 0, nwords = 0;
  for (uint32_t i = 0; i < s->nparams; i++) {
    int idx = first + (int)i;
    nwords += mc_is_real(s->params[i]) ? 2 : 1;
    int ty = idx <= top ? lua_type(L, idx) : LUA_TNONE;
    if (ty == LUA_TSTRING) strings += lua_objlen(L, idx);
    if (ty == LUA_TSTRING || (ty == LUA_TNUMBER && mc_is_string(s->params[i])))
      count++;   /* what mc_copy will take a copy of */
  }
  mc_copies c;
  c.room = strings + 1025 + 1;
  if (nwords > 4096) luaL_error(L, "too many parameters for a member call");
  uint32_t *w = local;   /* the caller's array does when no text is copied */
  if (count || nwords > nlocal)
    w = (uint32_t *)lua_newuserdata(L, nwords * 4 + count * c.room + 1);
  uint32_t *w0 = w;
  *out = w;
  c.next = (char *)(w + nwords);
  for (uint32_t i = 0; i < s->nparams; i++) {
    int idx = first + (int)i;
    uint8_t t = s->params[i];
    int present = idx <= top;
    if (mc_is_real(t)) {
      double d = present ? (double)lua_tonumber(L, idx) : 0.0;
      uint32_t half[2];
      memcpy(half, &d, 8);
      *w++ = half[0];
      *w++ = half[1];
    } else if (mc_is_string(t)) {
      int ty = present ? lua_type(L, idx) : LUA_TNONE;
      if (ty == LUA_TSTRING || ty == LUA_TNUMBER)
        *w++ = mc_copy(L, idx, &c);
      else if (ty == LUA_TLIGHTUSERDATA)
        *w++ = (uint32_t)(uintptr_t)lua_touserdata(L, idx);
      else
        *w++ = 0;
    } else {
      *w++ = present ? mc_other(L, idx, &c) : 0;
    }
  }
  return (int)(w - w0);
}

static uint32_t __cdecl mc_strlen(const char *s) {
  return (uint32_t)strlen(s);
}

static void mc_result(lua_State *L, const mi_sig *s, uint32_t eax, int faulted) {
  if (s->nresults == 0) {
    lua_pushnil(L);
  } else if (!mc_is_string(s->results[0])) {
    lua_pushnumber(L, (lua_Number)(int32_t)eax);
  } else if (faulted || eax == 0) {
    lua_pushnil(L);
  } else {
    int bad = 0;   /* the text is measured under the guard too */
    uint32_t n = ng_invoke((const void *)mc_strlen, &eax, 1, &bad);
    if (bad) {
      con_message(mc_fault_message);
      lua_pushnil(L);
    } else {
      lua_pushlstring(L, (const char *)(uintptr_t)eax, n);
    }
  }
}

int mc_call(lua_State *L, const mi_member *m, int first) {
  mi_sig s;
  if (!mi_sig_of(m->sig, &s)) memset(&s, 0, sizeof s);
  return mc_call_sig(L, m, &s, first);
}

/* The usual call: every parameter a word and every argument present a
   whole number in 32 bits, read straight off the stack. -1 leaves the
   call to mc_args, which gives the same words for these. */
static int mc_plain_args(lua_State *L, const mi_sig *s, int first, uint32_t *w, size_t nw) {
  if (s->nparams > nw) return -1;
  const TValue *o = L->base + (first - 1);
  ptrdiff_t have = L->top - o;
  for (uint32_t i = 0; i < s->nparams; i++, o++) {
    uint8_t t = s->params[i];
    if (mc_is_real(t) || mc_is_string(t)) return -1;
    if ((ptrdiff_t)i >= have)
      w[i] = 0;
    else if (!ttisnumber(o) || !mc_small(nvalue(o), &w[i]))
      return -1;
  }
  return (int)s->nparams;
}

int mc_call_sig(lua_State *L, const mi_member *m, const mi_sig *s, int first) {
  uint32_t *words = NULL, local[32];
  int n = mc_plain_args(L, s, first, local, 32);
  if (n >= 0)
    words = local;
  else
    n = mc_args(L, s, first, lua_gettop(L), &words, local, 32);
  const void *fn = (const void *)(uintptr_t)mi_get32(m->addr);
  uint32_t eax;
  int faulted = !ng_call(L, fn, words, n, &eax);
  if (faulted) {
    con_message(mc_fault_message);
    eax = (uint32_t)-1;
  }
  mc_result(L, s, eax, faulted);
  return 1;
}
