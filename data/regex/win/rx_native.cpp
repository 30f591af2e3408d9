/*
** rx_native.cpp: the matcher for native code; the block comes from the
** program heap and complaints go to the terminal.
*/
#include "data/regex/rx_native.h"

#include "host/base/heap.h"
#include "data/regex/rx_core.h"
#include "host/base/message.h"

void rx_win_open(void);

static void *rx_heap_alloc(size_t size) { return hp_alloc(size); }

int32_t *rx_native_match(const char *subject, const char *pattern,
                         int32_t offset, int32_t options) {
  struct rx_result r;
  rx_win_open();
  int32_t *block = rx_match_block(subject, pattern, offset, options,
                                  rx_heap_alloc, &r);
  if (r.error[0]) con_message(r.error);
  return block;
}
