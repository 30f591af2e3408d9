// libFuzzer target: the export walk over any bytes. Every name it reports
// must lie inside the buffer, zero-terminated.
#include <cstdlib>
#include <cstring>

#include "syslib/sys_pe.h"

namespace {
struct Span {
  const unsigned char *b;
  size_t n;
};

int check(void *ctx, const char *name) {
  const Span *s = static_cast<const Span *>(ctx);
  const unsigned char *p = (const unsigned char *)name;
  if (p < s->b || p >= s->b + s->n) abort();
  if (memchr(p, 0, s->n - (size_t)(p - s->b)) == nullptr) abort();
  return 1;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size) {
  // Exact-size copy: a read beyond it is a heap overflow for ASan.
  unsigned char *buf = (unsigned char *)malloc(size ? size : 1);
  memcpy(buf, data, size);
  Span s = {buf, size};
  sys_pe_exports(buf, size, check, &s);
  free(buf);
  return 0;
}
