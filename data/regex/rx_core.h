/*
** rx_core.h: the one matching routine behind the string functions and the
** native entry. Platform-neutral; reports errors as text for the caller.
*/
#ifndef rx_core_h
#define rx_core_h

#include <stddef.h>
#include <stdint.h>

#define RX_VECTOR 90          /* integers given to the matcher */
#define RX_MAXPAIRS 30        /* the whole match and up to 29 groups */
#define RX_ERRSIZE 200
#define RX_CACHE 64           /* compiled patterns kept, least recent out */
#define RX_MATCH_LIMIT 10000000UL  /* steps before "Matching error -8" */
#define RX_JIT_STACK (4 * 1024 * 1024)  /* machine code's own stack, max */

struct rx_result {
  int pairs[2 * RX_MAXPAIRS];  /* start, end (exclusive); -1 -1 unset */
  char error[RX_ERRSIZE];      /* message when compile or match failed */
};

/* Matches pattern[0..plen) against subject[0..len) from offset. Returns
   the number of pairs: the whole match and every group of the pattern (up
   to RX_MAXPAIRS), groups that took no part being -1 -1; 0 on no match or
   error (r->error is non-empty on error). A pattern holding a zero byte is
   refused: the compiler would stop reading at it. The compiled and studied
   pattern is kept for later calls with the same text and options. */
int rx_match(const char *subject, size_t len, const char *pattern,
             size_t plen, int offset, int options, struct rx_result *r);

/* stack_room: bytes of machine stack the matcher may use for its
   recursion. The default is a fixed budget; a platform layer may measure
   instead. */
struct rx_ops {
  size_t (*stack_room)(void);
};
extern struct rx_ops rx_ops;

/* The native form: subject and pattern zero-terminated. Returns a block
   from alloc holding n then the n pairs, or null (message in r->error). */
int32_t *rx_match_block(const char *subject, const char *pattern,
                        int32_t offset, int32_t options,
                        void *(*alloc)(size_t), struct rx_result *r);

/* Patterns compiled from now on run as machine code (on) or on PCRE's
   interpreter (off); the kept patterns are dropped. Machine code is the
   default. Returns whether this build can make machine code at all. */
int rx_use_jit(int on);

/* 1 when the pattern runs as machine code, 0 on the interpreter, -1 when
   it does not compile. */
int rx_jitted(const char *pattern, size_t plen, int options);

/* Drops every kept pattern. */
void rx_cache_clear(void);

#endif
