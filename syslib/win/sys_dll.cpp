/*
** sys_dll.cpp: dll.sig(fn, signature [, convention]) gives a function that
** calls fn with typed arguments and converts its typed result. The
** signature is parsed once; a call converts into a stack array and goes
** through the guarded call, by way of sys_call_thunk, which keeps what the
** guard does not: EDX (64-bit results) and ST0 (floating results).
*/
#include <windows.h>

#include <string.h>

extern "C" {
#include "lauxlib.h"
}

#include "host/base/message.h"
#include "native/guard/guard_lua.h"
#include "syslib/sys_buffer.h"
#include "syslib/sys_sig.h"
#include "syslib/syslib.h"
#include "syslib/win/sys_dll.h"

#define SYS_FN_MT "dll.function"

static const char sys_fault_msg[] =
    "Error! exception is occured inside asm module call\n";

lua_State *sys_active;

struct sys_fn {
  const void *fn;
  struct sys_sig sig;
};

struct sys_result {
  uint32_t lo, hi;   /* EAX, EDX */
  double fp;         /* ST0, when the result is floating */
};

/* Called by the guard with the words: target, result block, 1 when the
   result is in ST0, padding (the arguments stay 16-byte aligned), then the
   arguments. EBX, ESI and EDI are the guard's to restore, and its frame is
   found without ESP, so the arguments need not be taken off. */
extern "C" void sys_call_thunk(void);
__asm__(
  ".text\n"
  ".globl _sys_call_thunk\n"
  "_sys_call_thunk:\n"
  "  popl %ebx\n"
  "  popl %eax\n"
  "  popl %esi\n"
  "  popl %edi\n"
  "  popl %ecx\n"
  "  call *%eax\n"
  "  movl %eax, (%esi)\n"
  "  movl %edx, 4(%esi)\n"
  "  testl %edi, %edi\n"
  "  jz 1f\n"
  "  fstpl 8(%esi)\n"
  "1:\n"
  "  jmp *%ebx\n");

static int sys_arg_error(int i, const char *want, lua_State *L, int idx) {
  char msg[160];
  snprintf(msg, sizeof msg, "dll: argument %d must be %s, not %s\n", i, want,
           luaL_typename(L, idx));
  con_message(msg);
  return 0;
}

/* The words of the arguments at 2.. into w; NULL after a message. */
static uint32_t *sys_words(lua_State *L, const struct sys_sig *s, uint32_t *w) {
  for (int i = 0; i < s->n; i++) {
    int t = s->args[i], idx = i + 2, lt = lua_type(L, idx);
    uintptr_t p;
    size_t size;
    switch (t) {
      case SYS_POINTER:
        if (!sys_pointer_of(L, idx, 1, &p))
          return sys_arg_error(i + 1, "a pointer (number, buffer, callback, string or nil)",
                               L, idx), (uint32_t *)NULL;
        *w++ = (uint32_t)p;
        break;
      case SYS_STRING:
        if (lt != LUA_TSTRING && lt != LUA_TNIL)
          return sys_arg_error(i + 1, "a string or nil", L, idx), (uint32_t *)NULL;
        *w++ = (uint32_t)(uintptr_t)lua_tostring(L, idx);
        break;
      case SYS_BUFFER:
        if (lt == LUA_TNIL) {
          *w++ = 0;
        } else if ((p = (uintptr_t)sys_buffer_data(L, idx, &size)) != 0) {
          *w++ = (uint32_t)p;
        } else {
          return sys_arg_error(i + 1, "a buffer or nil", L, idx), (uint32_t *)NULL;
        }
        break;
      default: {
        double d;
        if (lt == LUA_TNUMBER) d = lua_tonumber(L, idx);
        else if (lt == LUA_TBOOLEAN) d = lua_toboolean(L, idx);
        else return sys_arg_error(i + 1, "a number", L, idx), (uint32_t *)NULL;
        uint64_t bits = sys_bits_of(t, d);
        *w++ = (uint32_t)bits;
        if (sys_type_words(t) == 2) *w++ = (uint32_t)(bits >> 32);
      }
    }
  }
  return w;
}

/* A returned char *, read under the guard. */
static int sys_push_cstring(lua_State *L, const char *s) {
  uint32_t len, arg = (uint32_t)(uintptr_t)s;
  if (s == NULL) return lua_pushnil(L), 1;
  if (!ng_call(L, (const void *)strlen, &arg, 1, &len)) {
    con_message("dll: the returned string cannot be read\n");
    return 0;
  }
  lua_pushlstring(L, s, len);
  return 1;
}

static int sys_fn_call(lua_State *L) {
  struct sys_fn *f = (struct sys_fn *)lua_touserdata(L, 1);
  if (f == NULL || !lua_getmetatable(L, 1) ||
      !lua_rawequal(L, -1, lua_upvalueindex(1))) {
    con_message("dll: not a typed function\n");
    return 0;
  }
  lua_pop(L, 1);
  const struct sys_sig *s = &f->sig;
  int n = lua_gettop(L) - 1;
  if (n != s->n) {
    char msg[96];
    snprintf(msg, sizeof msg, "dll: the function takes %d argument%s, not %d\n",
             s->n, s->n == 1 ? "" : "s", n);
    con_message(msg);
    return 0;
  }
  uint32_t words[4 + 2 * SYS_SIG_MAXARGS];
  struct sys_result r = {0, 0, 0.0};
  words[0] = (uint32_t)(uintptr_t)f->fn;
  words[1] = (uint32_t)(uintptr_t)&r;
  words[2] = s->ret == SYS_FLOAT || s->ret == SYS_DOUBLE;
  words[3] = 0;
  uint32_t *end = sys_words(L, s, words + 4);
  if (end == NULL) return 0;
  con_before_call();   /* the call may block: show what was printed */
  lua_State *outer = sys_active;
  sys_active = L;
  uint32_t eax;
  int ok = ng_call(L, (const void *)sys_call_thunk, words, (int)(end - words), &eax);
  sys_active = outer;
  if (!ok) {
    con_message(sys_fault_msg);
    return 0;
  }
  switch (s->ret) {
    case SYS_VOID: return 0;
    case SYS_FLOAT:
    case SYS_DOUBLE: lua_pushnumber(L, r.fp); return 1;
    case SYS_STRING: return sys_push_cstring(L, (const char *)(uintptr_t)r.lo);
    default:
      lua_pushnumber(L, sys_number_of(s->ret, ((uint64_t)r.hi << 32) | r.lo));
      return 1;
  }
}

/* The address of a function value: an export, a callback, a number or a
   light userdata; 0 for anything else. */
/* Whether the metatable at mt is that of exports. */
static int sys_is_export(lua_State *L, int mt) {
  luaL_getmetatable(L, SYS_EXPORT_MT);
  int is = lua_rawequal(L, -1, mt < 0 ? mt - 1 : mt);
  lua_pop(L, 1);
  return is;
}

static uintptr_t sys_fn_address(lua_State *L, int idx) {
  if (lua_type(L, idx) == LUA_TUSERDATA && lua_getmetatable(L, idx)) {
    int is = sys_is_export(L, -1);
    lua_pop(L, 1);
    if (is) return (uintptr_t) * (void **)lua_touserdata(L, idx);
  }
  uintptr_t p = 0;
  if (lua_type(L, idx) != LUA_TNIL && sys_pointer_of(L, idx, 0, &p) &&
      sys_buffer_data(L, idx, NULL) == NULL)
    return p;
  return 0;
}

static int sys_sig_new(lua_State *L) {
  const void *fn = (const void *)sys_fn_address(L, 1);
  if (fn == NULL) {
    con_message("dll.sig: the function must be an export from ldlyb, a callback"
                " or an address other than 0\n");
    return 0;
  }
  if (lua_type(L, 2) != LUA_TSTRING ||
      !(lua_isnoneornil(L, 3) || lua_type(L, 3) == LUA_TSTRING)) {
    con_message("dll.sig: the signature and the convention must be strings\n");
    return 0;
  }
  struct sys_fn *f = (struct sys_fn *)lua_newuserdata(L, sizeof *f);
  char why[160];
  if (!sys_sig_parse(lua_tostring(L, 2), lua_tostring(L, 3), &f->sig, why,
                     sizeof why)) {
    lua_pushfstring(L, "dll.sig: bad signature \"%s\": %s\n", lua_tostring(L, 2), why);
    con_message(lua_tostring(L, -1));
    return 0;
  }
  f->fn = fn;
  luaL_getmetatable(L, SYS_FN_MT);
  lua_setmetatable(L, -2);
  if (lua_type(L, 1) == LUA_TUSERDATA && lua_getmetatable(L, 1)) {
    int is = sys_is_export(L, -1);
    lua_pop(L, 1);
    if (is) {
      lua_getfenv(L, 1);             /* an export keeps its library */
    } else {
      lua_createtable(L, 1, 0);      /* a callback is kept by the table */
      lua_pushvalue(L, 1);
      lua_rawseti(L, -2, 1);
    }
    lua_setfenv(L, -2);
  }
  return 1;
}

static int sys_fn_tostring(lua_State *L) {
  struct sys_fn *f = (struct sys_fn *)lua_touserdata(L, 1);
  lua_pushfstring(L, "dll function: %p", f ? f->fn : NULL);
  return 1;
}

int sys_open_dll(lua_State *L) {
  luaL_newmetatable(L, SYS_FN_MT);
  lua_pushvalue(L, -1);
  lua_pushcclosure(L, sys_fn_call, 1);
  lua_setfield(L, -2, "__call");
  lua_pushcfunction(L, sys_fn_tostring);
  lua_setfield(L, -2, "__tostring");
  lua_pop(L, 1);
  sys_buffer_open(L);
  sys_callback_open(L);
  lua_newtable(L);
  lua_pushcfunction(L, sys_sig_new);
  lua_setfield(L, -2, "sig");
  lua_pushcfunction(L, sys_buffer_new);
  lua_setfield(L, -2, "buffer");
  lua_pushcfunction(L, sys_callback_new);
  lua_setfield(L, -2, "callback");
  lua_setglobal(L, "dll");
  return 0;
}
