/*
** Line history. A slot holds a counted string or null; null reads as "".
*/
#include <string.h>

#include "host/base/cstr.h"
#include "host/history.h"

struct hist_ring hist;

static int step(int i, int by) {
  return (i + by + HIST_SLOTS) % HIST_SLOTS;
}

void hist_add(const char *line) {
  char *s = cs_make(line);
  if (s == NULL) return;
  size_t n = strlen(s);
  while (n > 0 && strchr("\t\n\r ", s[n - 1])) n--;
  s[n] = '\0';
  ((struct cs_hdr *)s - 1)->len = (uint32_t)n;
  hist.newest = step(hist.newest, 1);
  hist.cursor = hist.newest;
  if (hist.newest == hist.oldest) {
    cs_release(hist.slot[hist.newest]);
    hist.slot[hist.newest] = NULL;
    hist.oldest = step(hist.oldest, 1);
  }
  hist.slot[hist.newest] = s;
}

const char *hist_prev(void) {
  const char *s = hist.slot[hist.cursor];
  if (hist.cursor != hist.oldest) hist.cursor = step(hist.cursor, -1);
  return s ? s : "";
}

const char *hist_next(void) {
  if (hist.cursor == hist.newest) return "";
  hist.cursor = step(hist.cursor, 1);
  const char *s = hist.slot[hist.cursor];
  return s ? s : "";
}

void hist_clear(void) {
  for (int i = 0; i < HIST_SLOTS; i++) {
    cs_release(hist.slot[i]);
    hist.slot[i] = NULL;
  }
  hist.oldest = hist.newest = hist.cursor = 0;
}
