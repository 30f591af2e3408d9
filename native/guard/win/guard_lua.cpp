/*
** Guarded calls for scripts. The called code may have run scripts of its
** own (through the `lua' module or the API): a fault there leaves their
** call frames, C call depth and protected-call handler behind, all of
** which are put back, so that the next error reaches a live handler.
*/
#include "native/guard/guard_lua.h"

extern "C" {
#include "lauxlib.h"
#include "ldo.h"
#include "lfunc.h"
#include "lstate.h"
}

struct ng_mark {
  ptrdiff_t top, ci;
  unsigned short nccalls, baseccalls;
  lu_byte allowhook, status;
  struct lua_longjmp *errorjmp;
};

static void ng_save(lua_State *L, ng_mark *k) {
  k->top = savestack(L, L->top);
  k->ci = saveci(L, L->ci);
  k->nccalls = L->nCcalls;
  k->baseccalls = L->baseCcalls;
  k->allowhook = L->allowhook;
  k->status = L->status;
  k->errorjmp = L->errorJmp;
}

__attribute__((noinline)) static void ng_restore(lua_State *L, const ng_mark *k) {
  StkId top = restorestack(L, k->top);
  luaF_close(L, top);
  L->top = top;
  L->ci = restoreci(L, k->ci);
  L->base = L->ci->base;
  L->savedpc = L->ci->savedpc;
  L->nCcalls = k->nccalls;
  L->baseCcalls = k->baseccalls;
  L->allowhook = k->allowhook;
  L->status = k->status;
  L->errorJmp = k->errorjmp;
}

/* Inline in the script-facing entries: one frame fewer on every call. */
static inline int ng_guarded(lua_State *L, const void *fn,
                             const uint32_t *words, int n, uint32_t *eax) {
  ng_mark k;
  ng_save(L, &k);
  int faulted = 0;
  *eax = ng_invoke(fn, words, n, &faulted);
  if (!faulted) return 1;
  ng_restore(L, &k);
  ng_after_fault();
  return 0;
}

int ng_call(lua_State *L, const void *fn, const uint32_t *words, int n,
            uint32_t *eax) {
  return ng_guarded(L, fn, words, n, eax);
}

__attribute__((noinline)) int ng_error(lua_State *L) {
  char buf[160];
  return luaL_error(L, "exception in native code: %s",
                    ng_describe(&ng_last, buf, sizeof buf));
}

int ng_native(lua_State *L, void *code, const unsigned int *words, int nwords) {
  uint32_t eax;
  if (!ng_guarded(L, code, words, nwords, &eax)) return ng_error(L);
  return (int)eax;
}

static int ng_host(lua_State *L) {
  const void *code = lua_touserdata(L, lua_upvalueindex(1));
  uint32_t state = (uint32_t)(uintptr_t)L, eax;
  if (!ng_guarded(L, code, &state, 1, &eax)) return ng_error(L);
  return (int)eax;
}

void ng_push_host(lua_State *L, void *code) {
  lua_pushlightuserdata(L, code);
  lua_pushcclosure(L, ng_host, 1);
}

void ng_open(void) { lua_nativecall = ng_native; }
