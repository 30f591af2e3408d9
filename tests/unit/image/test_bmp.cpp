// BMP reader: bit counts, header kinds, run-length data, row order.
#include <algorithm>

#include "tests/unit/image/img_testutil.h"

namespace {

// Info-header file of w x h (height as given), 8 bits, two palette
// entries, compression c; data follows.
enc_bytes bmp8(int w, int h, int c, const enc_bytes &data) {
  const uint8_t head[62] = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0, 40, 0, 0, 0,
                 uint8_t(w), uint8_t(w >> 8), 0, 0, uint8_t(h), uint8_t(h >> 8), uint8_t(h >> 16), uint8_t(h >> 24),
                 1, 0, 8, 0, uint8_t(c), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,
                 30, 20, 10, 0, 60, 50, 40, 0};
  enc_bytes b(head, head + sizeof head);
  b.resize(sizeof head + data.size());
  std::copy(data.begin(), data.end(), b.begin() + sizeof head);
  return b;
}

}  // namespace

TEST(Bmp, IndexedBitCounts) {
  for (int bits : {1, 4, 8}) {
    for (int w : {1, 7, 9, 33}) {
      enc_indexed pic = enc_pattern_indexed(w, 5, 1 << bits, bits + w);
      enc_bmp_opts o;
      o.bits = bits;
      EXPECT_TRUE(same_pixels(decode("bmp", enc_bmp(pic, o)).get(), enc_expand(pic))) << bits << "/" << w;
      o.core = true;
      EXPECT_TRUE(same_pixels(decode("bmp", enc_bmp(pic, o)).get(), enc_expand(pic))) << "core " << bits;
    }
  }
}

TEST(Bmp, TrueColour) {
  for (int w : {1, 2, 3, 4, 31}) {
    enc_pic pic = enc_pattern(w, 6, w);
    enc_bmp_opts o;
    EXPECT_TRUE(same_pixels(decode("bmp", enc_bmp_rgb(pic, o)).get(), pic)) << w;
    o.core = true;
    EXPECT_TRUE(same_pixels(decode("bmp", enc_bmp_rgb(pic, o)).get(), pic)) << "core " << w;
  }
}

TEST(Bmp, TopDownRowsAreTurned) {
  enc_pic pic = enc_pattern(7, 5, 2);
  enc_bmp_opts o;
  o.topdown = true;
  EXPECT_TRUE(same_pixels(decode("bmp", enc_bmp_rgb(pic, o)).get(), pic));
  enc_indexed ix = enc_pattern_indexed(9, 4, 16, 3);
  o.bits = 4;
  EXPECT_TRUE(same_pixels(decode("bmp", enc_bmp(ix, o)).get(), enc_expand(ix)));
}

TEST(Bmp, RunLengthData) {
  for (int bits : {4, 8}) {
    for (int w : {1, 2, 5, 40}) {
      enc_indexed pic = enc_pattern_indexed(w, 11, 1 << bits, w);
      enc_bmp_opts o;
      o.bits = bits, o.rle = true;
      EXPECT_TRUE(same_pixels(decode("bmp", enc_bmp(pic, o)).get(), enc_expand(pic))) << bits << "/" << w;
    }
  }
}

TEST(Bmp, RunLengthEscapes) {
  // Row 0 (bottom): 1 1 1, end of line; delta right 1; one 1, end of line;
  // row 2 literal 0 1 0; end of bitmap. Skipped pixels keep index 0.
  enc_bytes d = {3, 1, 0, 0, 0, 2, 1, 0, 1, 1, 0, 0, 0, 3, 0, 1, 0, 0, 0, 1};
  img_ptr im = decode("bmp", bmp8(3, 3, 1, d));
  ASSERT_NE(im.get(), nullptr);
  const uint8_t want[27] = {40, 50, 60, 40, 50, 60, 40, 50, 60,  // record row 0 = bottom
                            10, 20, 30, 40, 50, 60, 10, 20, 30,
                            10, 20, 30, 40, 50, 60, 10, 20, 30};
  EXPECT_EQ(std::memcmp(im->pixels, want, 27), 0);
}

TEST(Bmp, RunLengthOutsideTheImageIsClipped) {
  enc_bytes d = {255, 1, 0, 2, 200, 200, 5, 1, 0, 0, 0, 255};
  for (int i = 0; i < 300; i++) d.insert(d.end(), {0, 0});  // end of line past the last row
  img_ptr im = decode("bmp", bmp8(2, 2, 1, d));
  ASSERT_NE(im.get(), nullptr);
  EXPECT_EQ(im->pixels[0], 40);
  EXPECT_EQ(im->pixels[9], 10);
  // Literal run longer than the data.
  im = decode("bmp", bmp8(2, 2, 1, {0, 200, 1, 1}));
  ASSERT_NE(im.get(), nullptr);
}

TEST(Bmp, IndexBeyondPaletteIsGrey) {
  img_ptr im = decode("bmp", bmp8(4, 1, 0, {0, 1, 7, 200}));
  ASSERT_NE(im.get(), nullptr);
  const uint8_t want[12] = {10, 20, 30, 40, 50, 60, 7, 7, 7, 200, 200, 200};
  EXPECT_EQ(std::memcmp(im->pixels, want, 12), 0);
}

TEST(Bmp, HeaderErrors) {
  enc_pic pic = enc_pattern(2, 2, 1);
  enc_bytes b = enc_bmp_rgb(pic, {});
  b[0] = 'b', b[1] = 'm';
  EXPECT_NE(decode("bmp", b).get(), nullptr);
  b[0] = 'X';
  EXPECT_DECODE_ERROR("bmp", b, "Not a BMP image file");
  for (int bits : {16, 32, 2, 0}) {
    b = enc_bmp_rgb(pic, {});
    b[28] = uint8_t(bits);
    EXPECT_DECODE_ERROR("bmp", b, "Not a BMP image file");
  }
  b = enc_bmp_rgb(pic, {});
  b[14] = 20;  // header size neither 12 nor 40 and more
  EXPECT_DECODE_ERROR("bmp", b, "Not a BMP image file");
  b = enc_bmp_rgb(pic, {});
  b[30] = 3;  // bit fields
  EXPECT_DECODE_ERROR("bmp", b, "Not a BMP image file");
  EXPECT_DECODE_ERROR("bmp", bmp8(0, 3, 0, {}), "image size is 0");
  EXPECT_DECODE_ERROR("bmp", bmp8(3, 0, 0, {}), "image size is 0");
}

TEST(Bmp, MissingDataIsRefused) {
  enc_bytes b = enc_bmp_rgb(enc_pattern(5, 5, 1), {});
  b.resize(b.size() - 1);
  EXPECT_DECODE_ERROR("bmp", b, "Image data truncated");
  EXPECT_DECODE_ERROR("bmp", bmp8(5000, 5000, 0, {1, 2, 3, 4}), "Image data truncated");
  b = bmp8(2, 1, 0, {0, 1, 0, 0});
  b[10] = 0xFF, b[11] = 0xFF;  // data offset past the end
  EXPECT_DECODE_ERROR("bmp", b, "Image data truncated");
  EXPECT_DECODE_ERROR("bmp", bmp8(1 << 15, 1 << 15, 1, {0, 1}), "Image too large");
}

TEST(Bmp, ImageSizeFieldCountsOnlyWhenRowsAreMissing) {
  // 3 x 2 at 8 bits: rows of 4 bytes; an image size without the padding.
  enc_bytes b = bmp8(3, 2, 0, {0, 1, 0, 0, 1, 0, 1, 0});
  b[34] = 6;
  img_ptr im = decode("bmp", b);
  ASSERT_NE(im.get(), nullptr);
  const uint8_t want[18] = {10, 20, 30, 40, 50, 60, 10, 20, 30,   // record row 0 = bottom
                            40, 50, 60, 10, 20, 30, 40, 50, 60};
  EXPECT_EQ(std::memcmp(im->pixels, want, 18), 0);
  // A file that holds only the declared bytes: the rows they cover.
  b = bmp8(3, 2, 0, {1, 1, 0, 0});
  b[34] = 4;
  im = decode("bmp", b);
  ASSERT_NE(im.get(), nullptr);
  EXPECT_EQ(im->pixels[0], 40);
  EXPECT_EQ(im->pixels[9], 0);
  b[34] = 0;
  EXPECT_DECODE_ERROR("bmp", b, "Image data truncated");
}
