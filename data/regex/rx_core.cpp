/*
** rx_core.cpp: compile once, execute often. A compiled pattern is studied
** (and turned into machine code where PCRE can) and kept in a small cache
** keyed by its text and options; the least recently used goes when the
** cache is full. The match may never be empty (PCRE_NOTEMPTY) and any of
** CR, LF or CRLF ends a line.
*/
#include "data/regex/rx_core.h"

#include <assert.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <pcre.h>

#define RX_COMPILE_OPTS PCRE_NEWLINE_ANYCRLF
#define RX_EXEC_OPTS (PCRE_NOTEMPTY | PCRE_NEWLINE_ANYCRLF)
#define RX_STACK_BUDGET (1024 * 1024)
#define RX_BUCKETS 128

static size_t rx_fixed_room(void) { return RX_STACK_BUDGET; }

struct rx_ops rx_ops = {rx_fixed_room};

struct rx_entry {
  char *text;          /* the pattern, zero-terminated copy */
  size_t plen;
  int options;
  uint32_t hash;
  pcre *code;
  pcre_extra *extra;   /* study data, limits, machine code */
  int pairs;           /* the whole match and the groups reported */
  int execopts;
  int jit;             /* runs as machine code */
  uint64_t used;       /* clock at the last use */
  int next;            /* next entry of the bucket + 1; 0 ends */
};

static struct rx_entry rx_cache[RX_CACHE];
static int rx_heads[RX_BUCKETS];   /* first entry of each bucket + 1 */
static int rx_count;
static int rx_last = -1;           /* repeated calls skip the hash */
static uint64_t rx_clock;
static int rx_jit = 1;
static pcre_jit_stack *rx_jstack;

/* Recursion depth the stack room allows: PCRE tells the size of one frame
   of its recursive matcher; the margin covers frames that differ. */
static unsigned long rx_depth_limit(void) {
  static long frame = 0;
  if (frame == 0) {
    frame = -pcre_exec(NULL, NULL, NULL, -999, -999, 0, NULL, 0);
    if (frame <= 0) frame = 1024;
  }
  size_t room = rx_ops.stack_room();
  unsigned long depth = (unsigned long)(room / (size_t)(2 * frame));
  return depth < 16 ? 16 : depth;
}

static uint32_t rx_hash(const char *p, size_t n, int options) {
  uint32_t h = 2166136261u ^ (uint32_t)options;
  for (size_t i = 0; i < n; i++) h = (h ^ (unsigned char)p[i]) * 16777619u;
  return h;
}

static int rx_same(const struct rx_entry *e, const char *p, size_t plen,
                   int options) {
  return e->plen == plen && e->options == options &&
         memcmp(e->text, p, plen) == 0;
}

static void rx_drop(struct rx_entry *e) {
  int *link = &rx_heads[e->hash % RX_BUCKETS];
  int self = (int)(e - rx_cache) + 1;
  while (*link != self) link = &rx_cache[*link - 1].next;
  *link = e->next;
  pcre_free_study(e->extra);
  pcre_free(e->code);
  free(e->text);
  memset(e, 0, sizeof *e);
}

void rx_cache_clear(void) {
  for (int i = 0; i < rx_count; i++) rx_drop(&rx_cache[i]);
  rx_count = 0;
  rx_last = -1;
}

/* A free slot: the next unused one, else the least recently used. */
static struct rx_entry *rx_slot(void) {
  if (rx_count < RX_CACHE) return &rx_cache[rx_count++];
  struct rx_entry *old = &rx_cache[0];
  for (int i = 1; i < RX_CACHE; i++)
    if (rx_cache[i].used < old->used) old = &rx_cache[i];
  rx_drop(old);
  return old;
}

/* One stack for all machine code; it grows on demand up to its maximum,
   and running past that is reported as too deep a recursion. */
static pcre_jit_stack *rx_jit_stack(void) {
  if (rx_jstack == NULL) rx_jstack = pcre_jit_stack_alloc(32 * 1024, RX_JIT_STACK);
  return rx_jstack;
}

/* The exec options; newline bits are passed only when the pattern chose
   other line ends itself (a leading (*CR) and the like), since machine
   code cannot take them at run time and would give way to the
   interpreter. */
static int rx_execopts(const pcre *code) {
  unsigned long opts = 0;
  pcre_fullinfo(code, NULL, PCRE_INFO_OPTIONS, &opts);
  if ((opts & (PCRE_NEWLINE_CR | PCRE_NEWLINE_LF | PCRE_NEWLINE_ANY)) ==
      PCRE_NEWLINE_ANYCRLF)
    return PCRE_NOTEMPTY;
  return RX_EXEC_OPTS;
}

static int rx_setup(struct rx_entry *e, pcre *code, struct rx_result *r) {
  const char *err = NULL;
  int how = PCRE_STUDY_EXTRA_NEEDED | (rx_jit ? PCRE_STUDY_JIT_COMPILE : 0);
  pcre_extra *extra = pcre_study(code, how, &err);
  if (extra == NULL) {
    snprintf(r->error, RX_ERRSIZE, "PCRE study failed: %s\n", err ? err : "");
    return 0;
  }
  extra->flags |= PCRE_EXTRA_MATCH_LIMIT | PCRE_EXTRA_MATCH_LIMIT_RECURSION;
  extra->match_limit = RX_MATCH_LIMIT;
  extra->match_limit_recursion = rx_depth_limit();
  int jit = 0, groups = 0;
  if (pcre_fullinfo(code, extra, PCRE_INFO_JIT, &jit) != 0) jit = 0;
  if (jit && rx_jit_stack() != NULL) pcre_assign_jit_stack(extra, NULL, rx_jstack);
  if (pcre_fullinfo(code, NULL, PCRE_INFO_CAPTURECOUNT, &groups) != 0) groups = 0;
  e->code = code;
  e->extra = extra;
  e->pairs = groups + 1 < RX_MAXPAIRS ? groups + 1 : RX_MAXPAIRS;
  e->execopts = rx_execopts(code);
  e->jit = jit && e->execopts == PCRE_NOTEMPTY;
  return 1;
}

static struct rx_entry *rx_compile(const char *pattern, size_t plen,
                                   int options, uint32_t hash,
                                   struct rx_result *r) {
  const char *zero = (const char *)memchr(pattern, 0, plen);
  if (zero != NULL) {
    snprintf(r->error, RX_ERRSIZE,
             "PCRE compilation failed at offset %d: a zero byte in the pattern "
             "(write it as \\x00)\n", (int)(zero - pattern));
    return NULL;
  }
  char *text = (char *)malloc(plen + 1);
  if (text == NULL) {
    snprintf(r->error, RX_ERRSIZE, "PCRE compilation failed: out of memory\n");
    return NULL;
  }
  memcpy(text, pattern, plen);
  text[plen] = '\0';
  const char *err = NULL;
  int erroff = 0;
  pcre *code = pcre_compile(text, options | RX_COMPILE_OPTS, &err, &erroff, NULL);
  if (code == NULL) {
    snprintf(r->error, RX_ERRSIZE, "PCRE compilation failed at offset %d: %s\n",
             erroff, err ? err : "");
    free(text);
    return NULL;
  }
  struct rx_entry e;
  memset(&e, 0, sizeof e);
  if (!rx_setup(&e, code, r)) {
    pcre_free(code);
    free(text);
    return NULL;
  }
  e.text = text;
  e.plen = plen;
  e.options = options;
  e.hash = hash;
  struct rx_entry *slot = rx_slot();
  *slot = e;
  int *head = &rx_heads[hash % RX_BUCKETS];
  slot->next = *head;
  *head = (int)(slot - rx_cache) + 1;
  return slot;
}

/* The kept pattern, compiled now when it is not there yet; null with the
   message in r->error when it does not compile. */
static struct rx_entry *rx_get(const char *pattern, size_t plen, int options,
                               struct rx_result *r) {
  struct rx_entry *e = NULL;
  if (rx_last >= 0 && rx_same(&rx_cache[rx_last], pattern, plen, options)) {
    e = &rx_cache[rx_last];
  } else {
    uint32_t h = rx_hash(pattern, plen, options);
    for (int i = rx_heads[h % RX_BUCKETS]; i != 0 && e == NULL; i = rx_cache[i - 1].next)
      if (rx_cache[i - 1].hash == h && rx_same(&rx_cache[i - 1], pattern, plen, options))
        e = &rx_cache[i - 1];
    if (e == NULL && (e = rx_compile(pattern, plen, options, h, r)) == NULL)
      return NULL;
    rx_last = (int)(e - rx_cache);
  }
  assert(e->code != NULL && e->pairs >= 1 && e->pairs <= RX_MAXPAIRS);
  e->used = ++rx_clock;
  return e;
}

/* Machine code has no recursion limit of its own: its stack running out
   is the same failure, and says so. */
static int rx_exec(struct rx_entry *e, const char *subject, size_t len,
                   int offset, int *vec) {
  if (!e->jit) e->extra->match_limit_recursion = rx_depth_limit();
  int rc = pcre_exec(e->code, e->extra, subject, (int)len, offset, e->execopts,
                     vec, RX_VECTOR);
  return rc == PCRE_ERROR_JIT_STACKLIMIT ? PCRE_ERROR_RECURSIONLIMIT : rc;
}

int rx_match(const char *subject, size_t len, const char *pattern,
             size_t plen, int offset, int options, struct rx_result *r) {
  assert(r != NULL && (subject != NULL || len == 0));
  r->error[0] = '\0';
  if (len > INT_MAX || offset < 0 || (size_t)offset > len) return 0;
  struct rx_entry *e = rx_get(pattern, plen, options, r);
  if (e == NULL) return 0;
  int vec[RX_VECTOR];
  int rc = rx_exec(e, subject, len, offset, vec);
  if (rc == PCRE_ERROR_NOMATCH) return 0;
  if (rc < 0) {
    snprintf(r->error, RX_ERRSIZE, "Matching error %d\n", rc);
    return 0;
  }
  if (rc == 0) rc = RX_MAXPAIRS;
  /* The match result leaves out the groups after the last one that took
     part; the count comes from the compiled form. */
  int n = e->pairs;
  assert(rc <= n);   /* the vector holds every pair the pattern can set */
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

int rx_use_jit(int on) {
  int have = 0;
  rx_cache_clear();
  rx_jit = on != 0;
  return pcre_config(PCRE_CONFIG_JIT, &have) == 0 && have;
}

int rx_jitted(const char *pattern, size_t plen, int options) {
  struct rx_result r;
  struct rx_entry *e = rx_get(pattern, plen, options, &r);
  return e == NULL ? -1 : e->jit;
}
