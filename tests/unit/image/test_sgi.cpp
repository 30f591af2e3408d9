// SGI RGB reader: verbatim and run-length rows, grey, RGB and RGBA.
#include "tests/unit/image/img_testutil.h"

namespace {

enc_bytes sgi_header(int storage, int bpc, int x, int y, int z) {
  enc_bytes b = {0x01, 0xDA, uint8_t(storage), uint8_t(bpc), 0, 3, uint8_t(x >> 8), uint8_t(x),
                 uint8_t(y >> 8), uint8_t(y), uint8_t(z >> 8), uint8_t(z), 0, 0, 0, 0, 0, 0, 0, 255};
  b.resize(512, 0);
  return b;
}

}  // namespace

TEST(Sgi, VerbatimAndRunLength) {
  for (bool rle : {false, true}) {
    enc_pic rgb = enc_pattern(37, 21, 4);
    EXPECT_TRUE(same_pixels(decode("rgb", enc_sgi(rgb, 3, rle)).get(), rgb)) << "rle " << rle;
    enc_pic grey = enc_grey(rgb);
    EXPECT_TRUE(same_pixels(decode("rgb", enc_sgi(grey, 1, rle)).get(), grey)) << "rle " << rle;
    enc_pic rgba = enc_pattern(19, 30, 5, true);
    EXPECT_TRUE(same_pixels(decode("rgb", enc_sgi(rgba, 4, rle)).get(), rgba)) << "rle " << rle;
  }
}

TEST(Sgi, TwoChannelsReadAsGrey) {
  enc_pic pic = enc_pattern(9, 8, 2, true);
  img_ptr im = decode("rgb", enc_sgi(pic, 2, true));
  pic.alpha = false;
  enc_pic grey;
  grey.w = pic.w, grey.h = pic.h;
  for (size_t i = 0; i < pic.px.size(); i += 4) grey.px.insert(grey.px.end(), 3, pic.px[i]);
  EXPECT_TRUE(same_pixels(im.get(), grey));
}

TEST(Sgi, HeaderErrors) {
  enc_bytes b = sgi_header(0, 1, 2, 2, 3);
  b[1] = 0xDB;
  EXPECT_DECODE_ERROR("rgb", b, "Not a SGI RGB image");
  EXPECT_DECODE_ERROR("rgb", sgi_header(0, 2, 2, 2, 3), "Image must have 1 byte per pixel channel");
  b = sgi_header(0, 1, 2, 2, 3);
  b.resize(100);
  EXPECT_DECODE_ERROR("rgb", b, "Not a SGI RGB image");
  EXPECT_DECODE_ERROR("rgb", sgi_header(0, 1, 0, 2, 3), "image size is 0");
  EXPECT_DECODE_ERROR("rgb", sgi_header(0, 1, 2, 2, 5), "Not a SGI RGB image");
}

TEST(Sgi, MissingDataIsRefused) {
  enc_bytes b = enc_sgi(enc_pattern(8, 8, 1), 3, false);
  b.resize(b.size() - 1);
  EXPECT_DECODE_ERROR("rgb", b, "Image data truncated");
  // Tables promising more rows than the file holds.
  EXPECT_DECODE_ERROR("rgb", sgi_header(1, 1, 1000, 1000, 3), "Image data truncated");
  // A row offset past the end of the file.
  b = enc_sgi(enc_pattern(4, 2, 1), 3, true);
  b[512] = 0x7F;
  EXPECT_DECODE_ERROR("rgb", b, "Image data truncated");
}

TEST(Sgi, OverlongRunsAreClipped) {
  enc_bytes b = sgi_header(1, 1, 3, 1, 1);
  const uint8_t tab[8] = {0, 0, 2, 8, 0, 0, 0, 9};
  b.insert(b.end(), tab, tab + 8);
  const uint8_t row[] = {0x7F, 9, 0x85, 1, 2, 3, 4, 5, 0};  // run of 127, then 5 literals
  b.insert(b.end(), row, row + sizeof row);
  img_ptr im = decode("rgb", b);
  ASSERT_NE(im.get(), nullptr);
  for (int i = 0; i < 9; i++) EXPECT_EQ(im->pixels[i], 9);
  // A row without its end marker stops at the end of the file.
  b.resize(b.size() - 7);
  im = decode("rgb", b);
  ASSERT_NE(im.get(), nullptr);
}
