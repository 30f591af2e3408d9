/*
** rx_core.cpp: compile, execute, free. Patterns are compiled at every call
** and nothing is kept between calls. The match may never be empty
** (PCRE_NOTEMPTY) and any of CR, LF or CRLF ends a line.
*/
#include "rx_core.h"

#include <limits.h>
#include <stdio.h>
#include <string.h>

#include <pcre.h>

#define RX_COMPILE_OPTS PCRE_NEWLINE_ANYCRLF
#define RX_EXEC_OPTS (PCRE_NOTEMPTY | PCRE_NEWLINE_ANYCRLF)
#define RX_STACK_BUDGET (1024 * 1024)

static size_t rx_fixed_room(void) { return RX_STACK_BUDGET; }

size_t (*rx_stack_room)(void) = rx_fixed_room;

/* Recursion depth the stack room allows: PCRE tells the size of one frame
   of its recursive matcher; the margin covers frames that differ. */
static unsigned long rx_depth_limit(void) {
  static long frame = 0;
  if (frame == 0) {
    frame = -pcre_exec(NULL, NULL, NULL, -999, -999, 0, NULL, 0);
    if (frame <= 0) frame = 1024;
  }
  size_t room = rx_stack_room();
  unsigned long depth = (unsigned long)(room / (size_t)(2 * frame));
  return depth < 16 ? 16 : depth;
}

static int rx_exec(const pcre *code, const char *subject, size_t len,
                   int offset, int *vec) {
  pcre_extra extra;
  memset(&extra, 0, sizeof extra);
  extra.flags = PCRE_EXTRA_MATCH_LIMIT_RECURSION;
  extra.match_limit_recursion = rx_depth_limit();
  return pcre_exec(code, &extra, subject, (int)len, offset, RX_EXEC_OPTS,
                   vec, RX_VECTOR);
}

/* Pairs the pattern defines. The match result leaves out the groups after
   the last one that took part, so the count comes from the compiled form. */
static int rx_pairs(const pcre *code) {
  int groups = 0;
  if (pcre_fullinfo(code, NULL, PCRE_INFO_CAPTURECOUNT, &groups) != 0) groups = 0;
  return groups + 1 < RX_MAXPAIRS ? groups + 1 : RX_MAXPAIRS;
}

int rx_match(const char *subject, size_t len, const char *pattern,
             size_t plen, int offset, int options, struct rx_result *r) {
  const char *err = NULL;
  int erroff = 0;
  r->error[0] = '\0';
  if (len > INT_MAX || offset < 0 || (size_t)offset > len) return 0;
  const char *zero = (const char *)memchr(pattern, 0, plen);
  if (zero != NULL) {
    snprintf(r->error, RX_ERRSIZE,
             "PCRE compilation failed at offset %d: a zero byte in the pattern "
             "(write it as \\x00)\n", (int)(zero - pattern));
    return 0;
  }
  pcre *code = pcre_compile(pattern, options | RX_COMPILE_OPTS, &err, &erroff,
                            NULL);
  if (code == NULL) {
    snprintf(r->error, RX_ERRSIZE, "PCRE compilation failed at offset %d: %s\n",
             erroff, err ? err : "");
    return 0;
  }
  int vec[RX_VECTOR];
  int rc = rx_exec(code, subject, len, offset, vec);
  int n = rx_pairs(code);
  pcre_free(code);
  if (rc == PCRE_ERROR_NOMATCH) return 0;
  if (rc < 0) {
    snprintf(r->error, RX_ERRSIZE, "Matching error %d\n", rc);
    return 0;
  }
  if (rc == 0) rc = RX_MAXPAIRS;
  memcpy(r->pairs, vec, sizeof(int) * 2 * (size_t)rc);
  for (int i = 2 * rc; i < 2 * n; i++) r->pairs[i] = -1;
  return n;
}

int32_t *rx_match_block(const char *subject, const char *pattern,
                        int32_t offset, int32_t options,
                        void *(*alloc)(size_t), struct rx_result *r) {
  r->error[0] = '\0';
  if (subject == NULL || pattern == NULL) return NULL;
  int n = rx_match(subject, strlen(subject), pattern, strlen(pattern),
                   offset, options, r);
  if (n == 0) return NULL;
  int32_t *block = (int32_t *)alloc(sizeof(int32_t) * (1 + 2 * (size_t)n));
  if (block == NULL) return NULL;
  block[0] = n;
  for (int i = 0; i < 2 * n; i++) block[1 + i] = r->pairs[i];
  return block;
}
