/*
** The built-in module `interf': reading, writing and calling members of
** other modules from assembled code, and empty module headers.
*/
#include <windows.h>

#include <string.h>

#include "host/base/heap.h"
#include "native/modules/mod_builtin.h"
#include "native/modules/mod_registry.h"

/* A member of a registered module, by the module's record or image
   address; 0 when either is unknown. */
static int if_member(uint32_t module, const char *name, mi_member *m) {
  mr_record *r = mr_owner(module);
  return r && name && mr_member_named(r, name, m);
}

extern "C" uint32_t __stdcall if_getvar(uint32_t module, const char *name) {
  mi_member m;
  if (!if_member(module, name, &m) || m.kind == 0 || !(m.kind & MI_READ)) return 0;
  uint8_t *p = (uint8_t *)(uintptr_t)mi_get32(m.addr);
  uint8_t t = m.kind & MI_TYPEMASK;
  if (t == MI_REAL || (t & MI_SIZEMASK) == MI_STRING) return (uint32_t)(uintptr_t)p;
  switch (t & MI_SIZEMASK) {
    case 1: return *p;
    case 2: return *(uint16_t *)p;
    default: return *(uint32_t *)p;
  }
}

extern "C" uint32_t __cdecl if_setvar_c(uint32_t module, const char *name,
                                        uint32_t eax, double st0) {
  mi_member m;
  if (!if_member(module, name, &m) || m.kind == 0 || !(m.kind & MI_WRITE)) return 0;
  uint8_t *p = (uint8_t *)(uintptr_t)mi_get32(m.addr);
  uint8_t t = m.kind & MI_TYPEMASK;
  if (t == MI_REAL) {
    memcpy(p, &st0, 8);
  } else if ((t & MI_SIZEMASK) == MI_STRING) {
    const char *s = (const char *)(uintptr_t)eax;
    size_t room = mr_string_room(mr_owner(module), p);
    if (s == NULL || room == 0) return 0;
    size_t n = strnlen(s, room - 1);
    memmove(p, s, n);
    p[n] = 0;
  } else if ((t & MI_SIZEMASK) == 1) {
    *p = (uint8_t)eax;
  } else if ((t & MI_SIZEMASK) == 2) {
    *(uint16_t *)p = (uint16_t)eax;
  } else {
    *(uint32_t *)p = eax;
  }
  return 1;
}

extern "C" const void *__cdecl if_function(uint32_t module, const char *name) {
  mi_member m;
  if (!if_member(module, name, &m) || m.kind != 0) return NULL;
  return (const void *)(uintptr_t)mi_get32(m.addr);
}

/* setvar: keeps EAX and a copy of ST0 (not popped) for if_setvar_c.
   call: drops the two arguments and enters the member with the caller's
   return address, so the member sees the caller's further arguments as
   its own and returns straight to the caller. */
__asm__(
  ".text\n"
  ".globl _if_setvar\n"
  "_if_setvar:\n"
  "  subl $8, %esp\n"
  "  fstl (%esp)\n"
  "  pushl %eax\n"
  "  pushl 20(%esp)\n"
  "  pushl 20(%esp)\n"
  "  call _if_setvar_c\n"
  "  addl $20, %esp\n"
  "  ret $8\n"
  ".globl _if_call\n"
  "_if_call:\n"
  "  pushl 8(%esp)\n"
  "  pushl 8(%esp)\n"
  "  call _if_function\n"
  "  addl $8, %esp\n"
  "  testl %eax, %eax\n"
  "  jz 1f\n"
  "  popl %ecx\n"
  "  addl $8, %esp\n"
  "  pushl %ecx\n"
  "  jmp *%eax\n"
  "1:\n"
  "  ret $8\n");

/* 0xEB, 0, header offset 6, signature, empty descriptor, relocations and
   imports: 18 bytes. */
extern "C" uint32_t __stdcall if_new(void) {
  static const uint8_t empty[18] = {0xEB, 0, 6, 0, 0, 0, 0xA9, 0xDC, 0x02, 0x01,
                                    0x14, 0, 0, 0, 0, 0, 0, 0};
  uint8_t *p = (uint8_t *)hp_alloc(sizeof empty);
  memcpy(p, empty, sizeof empty);
  return (uint32_t)(uintptr_t)p;
}

void if_members(mb_image &im) {
  const uint8_t S = MI_STRING, D = 3;
  mb_member(im.members, "getvar", "", 0, mb_sig({S}, {D}), (uint32_t)(uintptr_t)if_getvar);
  mb_member(im.members, "setvar", "", 0, mb_sig({S, S}, {D}), (uint32_t)(uintptr_t)if_setvar);
  mb_member(im.members, "call", "", 0, mb_sig({S}, {D}), (uint32_t)(uintptr_t)if_call);
  mb_member(im.members, "new", "", 0, mb_sig({}, {D}), (uint32_t)(uintptr_t)if_new);
}
