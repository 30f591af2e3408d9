/*
** The built-in modules' members and handlers, and the images that
** describe them.
*/
#ifndef mod_builtin_h
#define mod_builtin_h

#include <stdint.h>

#include "native/modules/mod_build.h"

struct lua_State;
struct mr_record;

/* `interf': services for assembled code. getvar, setvar and call take the
   module (its record or image address) and the member name and remove
   both themselves. */
extern "C" uint32_t __stdcall if_getvar(uint32_t module, const char *name);
extern "C" char if_setvar[];   /* value in EAX, or ST0 for a real */
extern "C" char if_call[];     /* jumps to the member with the caller's frame */
extern "C" uint32_t __stdcall if_new(void);
void if_members(mb_image &im);

/* `lua': read, write and run-text handlers, and the API for imports. */
extern lua_State *lm_L;
extern "C" uint32_t __stdcall lm_read(const char *name, uint32_t type);
extern "C" uint32_t __stdcall lm_write(const char *name, uint32_t type, uint32_t value);
extern "C" uint32_t __stdcall lm_run(const char *text);
uint32_t lm_resolve(const char *name);

/* `mem' and `str'. */
void bi_mem_members(mb_image &im);
void bi_str_members(mb_image &im);

/* An executable copy of an image, for the built-in and DLL modules. */
uint8_t *bi_place(const mb_bytes &img);
/* Registers lua, mem, str and interf, once. */
void bi_register(void);

#endif
