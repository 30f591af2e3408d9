// libFuzzer target for one reader, chosen by FUZZ_EXT at build time. Any
// outcome is fine as long as nothing is read or written out of bounds and
// a decoded image has the pixel array its size promises.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "canvas/image/img.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  img_image *im = img_decode(FUZZ_EXT, data, size);
  if (!im) {
    if (img_lasterror()[0] == '\0') __builtin_trap();  // a failure always says why
    return 0;
  }
  if (im->pixels) {  // the sanitizer checks both ends lie in the array
    size_t n = size_t(im->width) * size_t(im->height) * img_bpp(im);
    volatile uint8_t ends = uint8_t(im->pixels[0] + im->pixels[n - 1]);
    (void)ends;
  }
  img_free(im);
  return 0;
}
