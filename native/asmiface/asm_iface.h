/*
** The assembler behind the interpreter's `asmfunc' and `asm' blocks.
*/
#ifndef asm_iface_h
#define asm_iface_h

#include <stddef.h>

struct lua_State;

/* Installs the assembler as the interpreter's hook (once per process). */
void ai_open(void);

/* The entry call: assembles "context!source" into a module image. Both
   out-parameters must be zero; they are set only when an image was made.
   Returns 1 when it was. Not reentrant. */
int ai_assemble(const char *options, const char *text, void **image,
                size_t *size);

/* Context flags: 1, 2, 4 for member kinds 1 to 3, 8 for an open context. */
int ai_context_flags(const char *name);

#endif
