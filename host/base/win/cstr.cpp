/*
** Counted, reference-counted strings in the private heap.
*/
#include <windows.h>
#include <assert.h>
#include <string.h>

#include "host/base/cstr.h"
#include "host/base/heap.h"

static struct cs_hdr *hdr_of(const char *s) {
  return (struct cs_hdr *)(s - sizeof(struct cs_hdr));
}

char *cs_make(const char *text) {
  if (text == NULL) return NULL;
  size_t len = strlen(text);
  /* the requested size always holds the header, the text and its NUL */
  size_t size = (len + 23) & ~(size_t)3;
  struct cs_hdr *h = (struct cs_hdr *)hp_alloc(size);
  h->size = (uint32_t)size;
  h->len = (uint32_t)len;
  h->refs = 1;
  char *s = (char *)(h + 1);
  memcpy(s, text, len + 1);
  return s;
}

char *cs_retain(char *s) {
  assert(s == NULL || hdr_of(s)->refs >= 1);   /* not a freed text */
  if (s) hdr_of(s)->refs++;
  return s;
}

/* Built-in texts live in the program's image, never in the heap. */
static int in_image(const void *p) {
  HMODULE m;
  return GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                            GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            (LPCSTR)p, &m) != 0;
}

void cs_release(char *s) {
  if (s == NULL || !hp_valid(s - sizeof(struct cs_hdr))) return;
  struct cs_hdr *h = hdr_of(s);
  if (h->refs > 1) {
    h->refs--;
  } else if (h->refs == 1 && !in_image(s)) {
    h->refs = 0;
    hp_free(h);
  }
}

size_t cs_len(const char *s) {
  if (s == NULL || !hp_valid(s - sizeof(struct cs_hdr))) return 0;
  return hdr_of(s)->len;
}
