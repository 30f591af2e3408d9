/*
** Growing text buffer.
*/
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "gui/sbuf.h"

void sb_init(struct sbuf *b) {
  b->p = NULL;
  b->n = b->cap = 0;
  b->failed = 0;
}

void sb_free(struct sbuf *b) {
  free(b->p);
  sb_init(b);
}

static int reserve(struct sbuf *b, size_t more) {
  if (b->failed) return 0;
  if (more >= (size_t)-1 - b->n - SB_STEP) {
    b->failed = 1;
    return 0;
  }
  size_t need = b->n + more + 1;
  if (need <= b->cap) return 1;
  size_t cap = (need + SB_STEP - 1) / SB_STEP * SB_STEP;
  char *p = (char *)realloc(b->p, cap);
  if (p == NULL) {
    b->failed = 1;
    return 0;
  }
  b->p = p;
  b->cap = cap;
  return 1;
}

void sb_add(struct sbuf *b, const char *s, size_t n) {
  if (!reserve(b, n)) return;
  memcpy(b->p + b->n, s, n);
  b->n += n;
  b->p[b->n] = '\0';
}

void sb_puts(struct sbuf *b, const char *s) { sb_add(b, s, strlen(s)); }

void sb_printf(struct sbuf *b, const char *fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  int n = vsnprintf(NULL, 0, fmt, ap);
  va_end(ap);
  if (n < 0 || !reserve(b, (size_t)n)) {
    b->failed = 1;
    return;
  }
  va_start(ap, fmt);
  vsnprintf(b->p + b->n, (size_t)n + 1, fmt, ap);
  va_end(ap);
  b->n += (size_t)n;
}
