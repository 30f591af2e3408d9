/*
** sys_callback.cpp: dll.callback(f, signature [, convention]) makes machine
** code that a DLL may call. Each callback gets a thunk, assembled by the
** program's assembler at its final address in executable memory, that
** passes its record and the address of its arguments to a C trampoline;
** the trampoline runs f under the protected call with traceback, so a
** script error is reported and never unwinds through the DLL's frames.
**
** The thunk and the record are never freed: a DLL may keep the address
** after the script lets go of the callback. Once the callback is collected
** (or freed by cb:free()), its function is released and the thunk answers
** every call with a message and 0.
*/
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

extern "C" {
#include "lauxlib.h"
#include "lstate.h"
}

#include "asm/asm.h"
#include "host/base/message.h"
#include "host/script/report.h"
#include "native/guard/guard_lua.h"
#include "syslib/sys_buffer.h"
#include "syslib/sys_sig.h"
#include "syslib/win/sys_dll.h"

#define SYS_SLOT 64            /* bytes of one thunk */
#define SYS_POOL 65536         /* executable memory taken at once */

struct sys_cb {
  lua_State *main;   /* the program's main thread */
  int ref;           /* the function in the registry; LUA_NOREF once gone */
  DWORD thread;      /* the only thread that may call */
  struct sys_sig sig;
};

struct sys_cbobj {   /* the userdata: the code address comes first */
  void *code;
  struct sys_cb *cb;
};

struct sys_cbcall {  /* one call, handed to the protected body */
  struct sys_cb *cb;
  const uint32_t *args;
  uint64_t bits;
  double fp;
};

static char *sys_pool, *sys_pool_end;

/* A thunk slot that is never given back; NULL when memory is out. */
static char *sys_slot(void) {
  if (sys_pool == NULL || sys_pool_end - sys_pool < SYS_SLOT) {
    sys_pool = (char *)VirtualAlloc(NULL, SYS_POOL, MEM_COMMIT | MEM_RESERVE,
                                    PAGE_EXECUTE_READWRITE);
    if (sys_pool == NULL) return NULL;
    sys_pool_end = sys_pool + SYS_POOL;
  }
  char *slot = sys_pool;
  sys_pool += SYS_SLOT;
  return slot;
}

/* A char * argument as a string, read under the guard: nil for a null
   pointer or one that cannot be read. */
static void sys_push_cstring(lua_State *L, const char *s) {
  uint32_t len, arg = (uint32_t)(uintptr_t)s;
  if (s && ng_call(L, (const void *)strlen, &arg, 1, &len)) {
    lua_pushlstring(L, s, len);
    return;
  }
  if (s) con_message("dll.callback: a string argument cannot be read; it is nil\n");
  lua_pushnil(L);
}

/* The function's arguments, read off the caller's stack. */
static void sys_push_args(lua_State *L, const struct sys_sig *s, const uint32_t *a) {
  for (int i = 0; i < s->n; i++) {
    int t = s->args[i];
    uint64_t bits = *a++;
    if (sys_type_words(t) == 2) bits |= (uint64_t)*a++ << 32;
    if (t == SYS_STRING) {
      sys_push_cstring(L, (const char *)(uintptr_t)bits);
    } else {
      lua_pushnumber(L, sys_number_of(t, bits));
    }
  }
}

/* The protected part: function, arguments, call, result. */
static int sys_cb_body(lua_State *L) {
  struct sys_cbcall *c = (struct sys_cbcall *)lua_touserdata(L, 1);
  const struct sys_sig *s = &c->cb->sig;
  luaL_checkstack(L, s->n + 2, "callback arguments");
  lua_rawgeti(L, LUA_REGISTRYINDEX, c->cb->ref);
  sys_push_args(L, s, c->args);
  lua_call(L, s->n, 1);
  int t = s->ret;
  if (t == SYS_VOID) return 0;
  uintptr_t p;
  if (t == SYS_POINTER) {
    if (!sys_pointer_of(L, -1, 0, &p))
      return luaL_error(L, "callback: the result must be a pointer, not %s",
                        luaL_typename(L, -1));
    c->bits = p;
  } else if (lua_type(L, -1) == LUA_TNUMBER || lua_isnoneornil(L, -1) ||
             lua_type(L, -1) == LUA_TBOOLEAN) {
    double d = lua_isboolean(L, -1) ? lua_toboolean(L, -1) : lua_tonumber(L, -1);
    if (t == SYS_FLOAT || t == SYS_DOUBLE) c->fp = d;
    else c->bits = sys_bits_of(t, d);
  } else {
    return luaL_error(L, "callback: the result must be a number, not %s",
                      luaL_typename(L, -1));
  }
  return 0;
}

static void sys_cb_run(struct sys_cbcall *c) {
  struct sys_cb *cb = c->cb;
  if (GetCurrentThreadId() != cb->thread) return;   /* the state is not ours */
  if (cb->ref == LUA_NOREF) {
    con_message("dll.callback: called after it was freed or collected; returns 0\n");
    return;
  }
  lua_State *L = sys_active ? sys_active : cb->main;
  int top = lua_gettop(L);
  if (!lua_checkstack(L, 4)) {
    con_message("dll.callback: stack overflow; returns 0\n");
    return;
  }
  lua_pushcfunction(L, sys_cb_body);
  lua_pushlightuserdata(L, c);
  if (rep_pcall(L, 1, 1) != 0) {
    c->bits = 0;
    c->fp = 0;
  }
  lua_settop(L, top);
}

/* The trampolines the thunks call (cdecl): integer results in EDX:EAX,
   floating ones in ST0. */
extern "C" uint64_t sys_cb_int(struct sys_cb *cb, const uint32_t *args) {
  struct sys_cbcall c = {cb, args, 0, 0.0};
  sys_cb_run(&c);
  return c.bits;
}

extern "C" double sys_cb_float(struct sys_cb *cb, const uint32_t *args) {
  struct sys_cbcall c = {cb, args, 0, 0.0};
  sys_cb_run(&c);
  return c.fp;
}

struct sys_asm_out : asm_services {
  std::string text;
  void message(const char *t) override { text += t; }
};

/* Assembles the thunk of cb into slot; 1 when it fits. */
static int sys_thunk(char *slot, struct sys_cb *cb, std::string &why) {
  int fp = cb->sig.ret == SYS_FLOAT || cb->sig.ret == SYS_DOUBLE;
  void *target = fp ? (void *)sys_cb_float : (void *)sys_cb_int;
  char src[400];
  snprintf(src, sizeof src,
           "use32\n"
           "org 0x%08X\n"
           "  lea eax, [esp+4]\n"        /* the first argument */
           "  push eax\n"
           "  push dword 0x%08X\n"       /* the record */
           "  mov eax, 0x%08X\n"
           "  call eax\n"
           "  add esp, 8\n"
           "  ret %d\n",
           (unsigned)(uintptr_t)slot, (unsigned)(uintptr_t)cb,
           (unsigned)(uintptr_t)target,
           cb->sig.conv == SYS_STDCALL ? 4 * cb->sig.words : 0);
  sys_asm_out svc;
  asm_options opt;
  opt.format = ASM_FORMAT_BINARY;
  opt.memory = 256 * 1024;
  std::vector<uint8_t> code;
  if (!asm_assemble("callback", src, strlen(src), &svc, opt, code) ||
      code.empty() || code.size() > SYS_SLOT) {
    why = svc.text.empty() ? "the thunk does not fit" : svc.text;
    return 0;
  }
  memcpy(slot, code.data(), code.size());
  FlushInstructionCache(GetCurrentProcess(), slot, code.size());
  return 1;
}

static int sys_cb_check(const struct sys_sig *s) {
  for (int i = 0; i < s->n; i++)
    if (s->args[i] == SYS_BUFFER) {
      con_message("dll.callback: a callback receives a pointer, not a buffer\n");
      return 0;
    }
  if (s->ret == SYS_STRING) {
    con_message("dll.callback: a callback cannot return a string\n");
    return 0;
  }
  return 1;
}

int sys_callback_new(lua_State *L) {
  if (lua_type(L, 1) != LUA_TFUNCTION) {
    con_message("dll.callback: the first argument must be a function\n");
    return 0;
  }
  if (lua_type(L, 2) != LUA_TSTRING ||
      !(lua_isnoneornil(L, 3) || lua_type(L, 3) == LUA_TSTRING)) {
    con_message("dll.callback: the signature and the convention must be strings\n");
    return 0;
  }
  struct sys_sig sig;
  char why[160];
  if (!sys_sig_parse(lua_tostring(L, 2), lua_tostring(L, 3), &sig, why, sizeof why)) {
    lua_pushfstring(L, "dll.callback: bad signature \"%s\": %s\n", lua_tostring(L, 2), why);
    con_message(lua_tostring(L, -1));
    return 0;
  }
  if (!sys_cb_check(&sig)) return 0;
  struct sys_cbobj *o = (struct sys_cbobj *)lua_newuserdata(L, sizeof *o);
  o->code = NULL;
  o->cb = NULL;
  luaL_getmetatable(L, SYS_CALLBACK_MT);
  lua_setmetatable(L, -2);
  struct sys_cb *cb = (struct sys_cb *)calloc(1, sizeof *cb);
  char *slot = cb ? sys_slot() : NULL;
  if (slot == NULL) {
    free(cb);
    con_message("dll.callback: not enough memory\n");
    return 0;
  }
  cb->main = G(L)->mainthread;
  cb->thread = GetCurrentThreadId();
  cb->sig = sig;
  cb->ref = LUA_NOREF;
  std::string err;
  if (!sys_thunk(slot, cb, err)) {   /* the slot stays unused */
    free(cb);
    err = "dll.callback: " + err + "\n";
    con_message(err.c_str());
    return 0;
  }
  lua_pushvalue(L, 1);
  cb->ref = luaL_ref(L, LUA_REGISTRYINDEX);
  o->code = slot;
  o->cb = cb;
  return 1;
}

/* The callback at 1, or NULL after a message. */
static struct sys_cbobj *sys_cbobj_at(lua_State *L, const char *method) {
  void *o = lua_touserdata(L, 1);
  if (o && lua_getmetatable(L, 1)) {
    luaL_getmetatable(L, SYS_CALLBACK_MT);
    int is = lua_rawequal(L, -1, -2);
    lua_pop(L, 2);
    if (is) return (struct sys_cbobj *)o;
  }
  char msg[96];
  snprintf(msg, sizeof msg, "callback:%s: call it on a callback, with a colon\n", method);
  con_message(msg);
  return NULL;
}

/* __gc and cb:free(): the function goes; the thunk stays and answers 0. */
static int sys_cb_free(lua_State *L) {
  struct sys_cbobj *o = sys_cbobj_at(L, "free");
  if (o && o->cb && o->cb->ref != LUA_NOREF) {
    luaL_unref(L, LUA_REGISTRYINDEX, o->cb->ref);
    o->cb->ref = LUA_NOREF;
  }
  return 0;
}

static int sys_cb_address(lua_State *L) {
  struct sys_cbobj *o = sys_cbobj_at(L, "address");
  if (o == NULL) return 0;
  lua_pushnumber(L, (lua_Number)(uintptr_t)o->code);
  return 1;
}

static int sys_cb_tostring(lua_State *L) {
  struct sys_cbobj *o = sys_cbobj_at(L, "tostring");
  if (o == NULL) return 0;
  lua_pushfstring(L, "callback: %p%s", o->code,
                  o->cb && o->cb->ref != LUA_NOREF ? "" : " (freed)");
  return 1;
}

void sys_callback_open(lua_State *L) {
  luaL_newmetatable(L, SYS_CALLBACK_MT);
  lua_newtable(L);
  lua_pushcfunction(L, sys_cb_address);
  lua_setfield(L, -2, "address");
  lua_pushcfunction(L, sys_cb_free);
  lua_setfield(L, -2, "free");
  lua_setfield(L, -2, "__index");
  lua_pushcfunction(L, sys_cb_free);
  lua_setfield(L, -2, "__gc");
  lua_pushcfunction(L, sys_cb_tostring);
  lua_setfield(L, -2, "__tostring");
  lua_pop(L, 1);
}
