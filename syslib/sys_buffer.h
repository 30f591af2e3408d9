/*
** sys_buffer.h: buffers for DLL calls: zero-filled memory owned by the
** collector, with typed reads and writes at byte offsets that are checked
** against its size. Platform-neutral.
*/
#ifndef sys_buffer_h
#define sys_buffer_h

#include <stddef.h>
#include <stdint.h>

extern "C" {
#include "lua.h"
}

#define SYS_BUFFER_MT "dll.buffer"
#define SYS_CALLBACK_MT "dll.callback"   /* its block starts with the code address */
#define SYS_BUFFER_MAX (1u << 30)

/* The memory of the buffer at idx and its size; NULL for any other value. */
void *sys_buffer_data(lua_State *L, int idx, size_t *size);

/* The address a pointer argument or field takes from the value at idx: nil
   0, a number its low 32 bits, a light userdata, a buffer its memory, a
   callback its code; a string its characters when strings is set. 1 on
   success, 0 for any other value. */
int sys_pointer_of(lua_State *L, int idx, int strings, uintptr_t *p);

/* dll.buffer(size): a new zero-filled buffer, or nothing with a message. */
int sys_buffer_new(lua_State *L);

/* Registers the buffer metatable. */
void sys_buffer_open(lua_State *L);

#endif
