/*
** The assembler behind the interpreter's `asmfunc' and `asm' blocks.
*/
#ifndef asm_iface_h
#define asm_iface_h

#include <stddef.h>

struct lua_State;

/* The interpreter's hook for `asmfunc' and `asm' blocks: assembles text,
   makes the image executable and registers it; 1 with code and size set
   when it did. */
int ai_hook(struct lua_State *L, const char *text, void **code, size_t *size);

/* The entry call: assembles "context!source" into a module image. Both
   out-parameters must be zero; they are set only when an image was made.
   Returns 1 when it was. Not reentrant. */
int ai_assemble(const char *options, const char *text, void **image,
                size_t *size);

/* Context flags: 1, 2, 4 for member kinds 1 to 3, 8 for an open context. */
int ai_context_flags(const char *name);

#endif
