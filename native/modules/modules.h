/*
** Native modules as the rest of the program sees them: start-up, the
** compiler's check-and-register of an assembled block, and the hook through
** which the regular-expression layer serves the member `str.match'.
*/
#ifndef modules_h
#define modules_h

#include <stddef.h>
#include <stdint.h>

struct lua_State;
struct mr_record;

/* Registers the built-in modules (once per process), sets the global
   `modules' in L and routes calls of native functions through the
   guard. */
int mod_open(lua_State *L);

/* The compiler's calls for an executable assembled block: 1 when the block
   is registered (else a message has been written, or the header was bad),
   and the raw text the module keeps as its `src'. */
int mod_check_register(void *block, size_t size);
void mod_attach_source(void *block, const char *text);
mr_record *mod_find(const char *name);

/* The whole of it for the interpreter's assembler hook: makes the block
   executable (read, write, execute), checks and registers it and keeps
   `text' as its source. 1 on success; after 0 the block is the caller's to
   free. */
int mod_install(void *block, size_t size, const char *text);

/* match: regular-expression entry for `str.match': (subject, pattern,
   start offset, compile options) -> heap block of 1 + 2n words, or null.
   Until the regular-expression layer is wired in, the default says so and
   matches nothing. */
struct mod_ops {
  void *(*match)(const char *subject, const char *pattern, uint32_t start,
                 uint32_t options);
};
extern struct mod_ops mod_ops;

#endif
