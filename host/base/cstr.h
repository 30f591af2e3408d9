/*
** Counted strings: heap text behind a 16-byte header
**   +0 reserved (0), +4 requested block size, +8 length, +12 reference count
** handed around as a pointer to the text, so they pass for plain C texts.
** Built-in texts carry the last 8 header bytes (length, count 2) and are
** never freed, because a release never takes the count below 1.
*/
#ifndef cstr_h
#define cstr_h

#include <stddef.h>
#include <stdint.h>

char *cs_make(const char *text);       /* count 1; null for null */
char *cs_retain(char *s);
void cs_release(char *s);
size_t cs_len(const char *s);          /* 0 if s is not a counted string */

struct cs_hdr {
  uint32_t reserved, size, len, refs;
};

/* A built-in counted text: CS_BUILTIN(cs_prompt, "\r# ") defines
   `char *cs_prompt' pointing at the text. */
#define CS_BUILTIN(name, lit)                                            \
  static struct {                                                        \
    uint32_t len, refs;                                                  \
    char text[sizeof(lit)];                                              \
  } name##_block = {sizeof(lit) - 1, 2, lit};                            \
  char *name = name##_block.text

#endif
