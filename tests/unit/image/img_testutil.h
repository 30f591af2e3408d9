// Helpers shared by the image reader tests.
#ifndef img_testutil_h
#define img_testutil_h

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "canvas/image/img.h"
#include "tests/unit/image/img_encode.h"
#include "tests/support/ts_tmp.h"

struct img_deleter {
  void operator()(img_image *im) const { img_free(im); }
};
typedef std::unique_ptr<img_image, img_deleter> img_ptr;

inline img_ptr decode(const char *ext, const enc_bytes &b) {
  return img_ptr(img_decode(ext, b.data(), b.size()));
}

// A loaded image has the picture's bottom row first.
inline testing::AssertionResult same_pixels(const img_image *im, const enc_pic &pic, int tol = 0) {
  if (!im) return testing::AssertionFailure() << "no image: " << img_lasterror();
  if (im->width != pic.w || im->height != pic.h)
    return testing::AssertionFailure() << "size " << im->width << "x" << im->height << ", want "
                                       << pic.w << "x" << pic.h;
  if (im->alpha != pic.alpha) return testing::AssertionFailure() << "alpha " << im->alpha;
  if (!im->pixels) return testing::AssertionFailure() << "no pixels";
  size_t bpp = pic.alpha ? 4 : 3, row = size_t(pic.w) * bpp;
  for (int y = 0; y < pic.h; y++)
    for (size_t i = 0; i < row; i++) {
      int got = im->pixels[size_t(pic.h - 1 - y) * row + i], want = pic.px[size_t(y) * row + i];
      if (std::abs(got - want) > tol)
        return testing::AssertionFailure() << "pixel " << i / bpp << "," << y << " channel " << i % bpp
                                           << ": got " << got << ", want " << want;
    }
  return testing::AssertionSuccess();
}

// A file of the tests, in the folder of this run (removed at exit), never
// in the working directory.
inline std::string tmp_file(const std::string &name) { return ts_tmpfile(name); }

inline void write_file(const std::string &name, const enc_bytes &b) {
  FILE *f = std::fopen(name.c_str(), "wb");
  ASSERT_NE(f, nullptr) << name;
  std::fwrite(b.data(), 1, b.size(), f);
  std::fclose(f);
}

// Decoding must fail with exactly this text.
#define EXPECT_DECODE_ERROR(ext, bytes, text)        \
  do {                                               \
    img_ptr im_ = decode(ext, bytes);                \
    EXPECT_EQ(im_.get(), nullptr);                   \
    EXPECT_STREQ(img_lasterror(), text);             \
  } while (0)

#endif
