// Blocks in use in the private heap, counted by walking it.
#ifndef heapwalk_h
#define heapwalk_h

#include <windows.h>

#include "host/base/heap.h"

inline int busy_blocks() {
  PROCESS_HEAP_ENTRY e;
  e.lpData = NULL;
  int n = 0;
  while (HeapWalk(hp_heap, &e))
    if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) n++;
  return n;
}

// Every test suite of the heap starts from one initialised heap.
inline void heap_ready() {
  if (!hp_heap) hp_init();
  hp_bounds_init();
}

#endif
