// libFuzzer target: any bytes, any buffer length. The decoder must not read
// past the buffer or past 16 bytes, and its results must be consistent.
#include "native/das386/das_decode.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size) {
  if (size < 2) return 0;
  uint32_t start = data[0] * 0x01010101u;
  data++, size--;
  // Exact-size copy: a read beyond it is a heap overflow for ASan.
  unsigned char *buf = (unsigned char *)malloc(size);
  memcpy(buf, data, size);
  das_result r;
  int len = das_decode(buf, size, start, &r);
  size_t limit = size < DAS_MAXLEN ? size : DAS_MAXLEN;
  if (r.used < 0 || (size_t)r.used > limit) abort();
  if (memchr(r.text, 0, DAS_TEXTLEN) == nullptr) abort();
  if (memchr(r.error, 0, DAS_ERRLEN) == nullptr) abort();
  if (len >= 0) {
    if (len != r.used || len == 0 || r.text[0] == 0 || r.error[0] != 0) abort();
    das_result again;  // a longer buffer cannot change a complete decode
    if (size > (size_t)len && das_decode(buf, len, start, &again) != len) abort();
    if (size > (size_t)len && strcmp(again.text, r.text) != 0) abort();
  } else {
    if (r.text[0] != 0 || r.error[0] == 0 || r.status == DAS_OK) abort();
  }
  free(buf);
  return 0;
}
