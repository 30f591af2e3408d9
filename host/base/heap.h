/*
** Private heap of the program: every native record of the window toolkit,
** every text a window keeps and the buffers of native code live here, apart
** from the interpreter's memory. Blocks are zero-filled, so records start
** with every field 0 or null.
*/
#ifndef heap_h
#define heap_h

#include <stddef.h>

extern void *hp_heap;   /* the private heap; null until hp_init */

int hp_init(void);                      /* 1 on success */
void hp_destroy(void);
void hp_bounds_init(void);              /* fill the application address range */
void *hp_alloc(size_t size);            /* size + 8 bytes; raises on exhaustion */
void *hp_realloc(void *block, size_t size);  /* null on failure */
void hp_free(void *block);
size_t hp_size(void *block);
int hp_valid(const void *p);            /* inside the range and readable */
void hp_copy(void *dst, const void *src, size_t len);

#endif
