/*
** Private heap and the pointer-validity test.
*/
#include <windows.h>
#include <assert.h>
#include <string.h>

#include "host/base/heap.h"

void *hp_heap = NULL;
static const char *lo_addr = NULL;   /* application range; empty until filled */
static const char *hi_addr = NULL;

int hp_init(void) {
  hp_heap = HeapCreate(0, 4 * 1024 * 1024, 0);
  return hp_heap != NULL;
}

void hp_destroy(void) {
  if (hp_heap) HeapDestroy(hp_heap);
  hp_heap = NULL;
}

void hp_bounds_init(void) {
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  lo_addr = (const char *)si.lpMinimumApplicationAddress;
  hi_addr = (const char *)si.lpMaximumApplicationAddress;
}

void *hp_alloc(size_t size) {
  assert(hp_heap != NULL);   /* hp_init comes first */
  return HeapAlloc(hp_heap, HEAP_GENERATE_EXCEPTIONS | HEAP_ZERO_MEMORY,
                   size + 8);
}

void *hp_realloc(void *block, size_t size) {
  return HeapReAlloc(hp_heap, HEAP_ZERO_MEMORY, block, size);
}

void hp_free(void *block) {
  if (block) HeapFree(hp_heap, 0, block);
}

size_t hp_size(void *block) {
  return HeapSize(hp_heap, 0, block);
}

/*
** Guarded read of one byte. A fault at probe_at is turned by the vectored
** handler into a jump to probe_fail, which returns 0; the stack is untouched
** between the two labels, so the plain `ret' there is right.
*/
extern "C" int hp_probe(const void *p);
extern "C" char hp_probe_at[], hp_probe_fail[];
__asm__(
  ".text\n"
  ".globl _hp_probe\n"
  ".globl _hp_probe_at\n"
  ".globl _hp_probe_fail\n"
  "_hp_probe:\n"
  "  movl 4(%esp), %ecx\n"
  "_hp_probe_at:\n"
  "  movzbl (%ecx), %eax\n"
  "  movl $1, %eax\n"
  "  ret\n"
  "_hp_probe_fail:\n"
  "  xorl %eax, %eax\n"
  "  ret\n");

static LONG CALLBACK probe_guard(EXCEPTION_POINTERS *ep) {
  if (ep->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION &&
      ep->ContextRecord->Eip == (DWORD)(uintptr_t)hp_probe_at) {
    ep->ContextRecord->Eip = (DWORD)(uintptr_t)hp_probe_fail;
    return EXCEPTION_CONTINUE_EXECUTION;
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

int hp_valid(const void *p) {
  static void *guard = NULL;
  const char *c = (const char *)p;
  if (c == NULL || lo_addr == NULL || c < lo_addr || c >= hi_addr) return 0;
  if (guard == NULL) guard = AddVectoredExceptionHandler(1, probe_guard);
  if (IsBadCodePtr((FARPROC)p)) return 0;
  return hp_probe(p);
}

void hp_copy(void *dst, const void *src, size_t len) {
  if (dst == NULL || src == NULL || len == 0 || dst == src) return;
  memmove(dst, src, len);
}
