/*
** The built-in modules `mem' and `str', and the registration of all four
** built-in modules. Built-in images carry absolute addresses; their code is
** `xor eax, eax; ret', so that `func' of a built-in module returns nothing.
** Members are stdcall (the callee removes its arguments) except
** `str.format', which is wsprintfA and leaves them to the caller.
*/
#include <windows.h>

#include <string.h>

#include "host/base/heap.h"
#include "native/modules/mod_builtin.h"
#include "native/modules/mod_registry.h"
#include "native/modules/modules.h"
#include "host/base/message.h"

static void *no_match(const char *, const char *, uint32_t, uint32_t) {
  con_message("str.match: regular expressions are not available\n");
  return NULL;
}
struct mod_ops mod_ops = {no_match};

/* Sizes whose 8 reserved bytes would wrap around are refused. */
#define BI_MAXSIZE 0x7FFFFFF0u

static uint32_t __stdcall bi_get(uint32_t size) {
  if (size > BI_MAXSIZE) return 0;
  return (uint32_t)(uintptr_t)hp_alloc(size);
}

static void __stdcall bi_free(uint32_t block) {
  hp_free((void *)(uintptr_t)block);
}

static uint32_t __stdcall bi_reget(uint32_t block, uint32_t size) {
  if (size > BI_MAXSIZE || block == 0) return 0;
  return (uint32_t)(uintptr_t)hp_realloc((void *)(uintptr_t)block, (size_t)size + 8);
}

static uint32_t __stdcall bi_cpy(uint32_t dst, uint32_t src, uint32_t n) {
  if (dst && src && n) memmove((void *)(uintptr_t)dst, (const void *)(uintptr_t)src, n);
  return dst;
}

static uint32_t __stdcall bi_size(uint32_t block) {
  return (uint32_t)hp_size((void *)(uintptr_t)block);
}

static uint32_t __stdcall bi_match(const char *subject, const char *pattern,
                                   uint32_t start, uint32_t options) {
  if (subject == NULL || pattern == NULL) return 0;
  return (uint32_t)(uintptr_t)mod_ops.match(subject, pattern, start, options);
}

#define ADDR(f) ((uint32_t)(uintptr_t)(f))

void bi_mem_members(mb_image &im) {
  const uint8_t D = 3;
  mb_member(im.members, "get", "", 0, mb_sig({D}, {D}), ADDR(bi_get));
  mb_member(im.members, "free", "", 0, mb_sig({D}, {}), ADDR(bi_free));
  mb_member(im.members, "reget", "", 0, mb_sig({D, D}, {D}), ADDR(bi_reget));
  mb_member(im.members, "cpy", "", 0, mb_sig({D, D, D}, {D}), ADDR(bi_cpy));
  mb_member(im.members, "size", "", 0, mb_sig({D}, {D}), ADDR(bi_size));
}

void bi_str_members(mb_image &im) {
  const uint8_t S = MI_STRING, D = 3;
  mb_member(im.members, "len", "", 0, mb_sig({S}, {D}), ADDR(lstrlenA));
  mb_member(im.members, "cmp", "", 0, mb_sig({S, S}, {D}), ADDR(lstrcmpA));
  mb_member(im.members, "cat", "", 0, mb_sig({S, S}, {S}), ADDR(lstrcatA));
  mb_member(im.members, "format", "", 0, mb_sig({S, S}, {D}), ADDR(wsprintfA));
  mb_member(im.members, "match", "", 0, mb_sig({S, S, D, D}, {D}), ADDR(bi_match));
}

uint8_t *bi_place(const mb_bytes &img) {
  uint8_t *p = (uint8_t *)VirtualAlloc(NULL, img.size(), MEM_COMMIT | MEM_RESERVE,
                                       PAGE_EXECUTE_READWRITE);
  if (p) memcpy(p, img.data(), img.size());
  return p;
}

static mr_record *bi_add(mb_image &im) {
  im.code = {0x31, 0xC0, 0xC3};   /* xor eax, eax; ret */
  mb_bytes img = mb_finish(im, NULL);
  uint8_t *p = bi_place(img);
  return p ? mr_add(p, img.size(), 0) : NULL;
}

void bi_register(void) {
  static int done = 0;
  if (done) return;
  done = 1;
  mb_image lua, mem, str, interf;
  lua.name = "lua";
  lua.handler[0] = lua.handler[1] = lua.handler[2] = 1;
  lua.handler_addr[0] = ADDR(lm_read);
  lua.handler_addr[1] = ADDR(lm_write);
  lua.handler_addr[2] = ADDR(lm_run);
  mr_record *r = bi_add(lua);
  if (r) r->resolve = lm_resolve;
  mem.name = "mem";
  bi_mem_members(mem);
  bi_add(mem);
  str.name = "str";
  bi_str_members(str);
  bi_add(str);
  interf.name = "interf";
  if_members(interf);
  bi_add(interf);
}
