/*
** A growing text buffer in 4096-byte steps. Plain C storage: it may sit in
** a frame that an interpreter error unwinds, so it has no destructor; a
** failed allocation marks the buffer and later appends are dropped.
*/
#ifndef sbuf_h
#define sbuf_h

#include <stddef.h>

#define SB_STEP 4096

struct sbuf {
  char *p;        /* NUL-terminated while not failed */
  size_t n, cap;
  int failed;
};

void sb_init(struct sbuf *b);
void sb_free(struct sbuf *b);
void sb_add(struct sbuf *b, const char *s, size_t n);
void sb_puts(struct sbuf *b, const char *s);
void sb_printf(struct sbuf *b, const char *fmt, ...)
    __attribute__((format(printf, 2, 3)));

#endif
