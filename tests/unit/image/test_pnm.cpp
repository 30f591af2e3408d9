// PNM reader: text and raw samples, maxval scaling, unsupported types.
#include <string>

#include "tests/unit/image/img_testutil.h"

namespace {

enc_bytes text(const std::string &s) { return enc_bytes(s.begin(), s.end()); }

// Picture whose samples stay within maxval.
enc_pic limited(int w, int h, int maxval, unsigned seed) {
  enc_pic p = enc_pattern(w, h, seed);
  for (auto &v : p.px) v = uint8_t(v % (maxval + 1));
  return p;
}

enc_pic scaled(enc_pic p, int maxval) {
  for (auto &v : p.px) v = uint8_t((maxval / 2 + v * 255) / maxval);
  return p;
}

}  // namespace

TEST(Pnm, RawAndTextTypes) {
  enc_pic pic = enc_pattern(17, 9, 3);
  EXPECT_TRUE(same_pixels(decode("ppm", enc_pnm(pic, '6', 255)).get(), pic));
  EXPECT_TRUE(same_pixels(decode("ppm", enc_pnm(pic, '3', 255)).get(), pic));
  enc_pic grey = enc_grey(pic);
  EXPECT_TRUE(same_pixels(decode("pgm", enc_pnm(grey, '5', 255)).get(), grey));
  EXPECT_TRUE(same_pixels(decode("pnm", enc_pnm(grey, '7', 255)).get(), grey));
}

TEST(Pnm, MaxvalFifteenScales) {
  enc_pic pic = limited(8, 5, 15, 2);
  pic.px[0] = 15;
  img_ptr im = decode("ppm", enc_pnm(pic, '6', 15));
  EXPECT_TRUE(same_pixels(im.get(), scaled(pic, 15)));
  EXPECT_EQ(im->pixels[size_t(4) * 8 * 3], 255);  // top-left sample 15
  EXPECT_TRUE(same_pixels(decode("ppm", enc_pnm(pic, '3', 15)).get(), scaled(pic, 15)));
  EXPECT_TRUE(same_pixels(decode("pgm", enc_pnm(enc_grey(pic), '5', 15)).get(), scaled(enc_grey(pic), 15)));
}

TEST(Pnm, SixteenBitSamples) {
  enc_pic pic = enc_pattern(5, 4, 9);  // written as v * 257 with maxval 65535
  EXPECT_TRUE(same_pixels(decode("ppm", enc_pnm(pic, '6', 65535)).get(), pic));
  EXPECT_TRUE(same_pixels(decode("pgm", enc_pnm(enc_grey(pic), '5', 65535)).get(), enc_grey(pic)));
}

TEST(Pnm, CommentsAnywhereInTheHeader) {
  img_ptr im = decode("ppm", text("P6#c\n2#x y\n #z\n1 #w\n255\nABCDEF"));
  ASSERT_NE(im.get(), nullptr);
  EXPECT_EQ(std::string((char *)im->pixels, 6), "ABCDEF");
  // a comment right after the digits ends the number; its digits are text
  for (const char *f : {"P6\n2# c3\n1 255\nABCDEF", "P6 2#7 7\r1#9\n255#1 2\nABCDEF",
                        "P6 2 1 255#\nABCDEF"}) {
    im = decode("ppm", text(f));
    ASSERT_TRUE(im && im->pixels) << f << ": " << img_lasterror();
    EXPECT_EQ(2, im->width) << f;
    EXPECT_EQ(1, im->height) << f;
    EXPECT_EQ(std::string((char *)im->pixels, 6), "ABCDEF") << f;
  }
  im = decode("ppm", text("P3 1#0\n1 255 1#2\n2#3\n3#"));   // and in text samples
  ASSERT_TRUE(im && im->pixels);
  EXPECT_EQ(std::string((char *)im->pixels, 3), "\1\2\3");
}

TEST(Pnm, UnsupportedTypes) {
  EXPECT_DECODE_ERROR("pbm", text("P1\n2 2\n0 1 1 0\n"), "unsupported PNM-P1 format");
  EXPECT_DECODE_ERROR("pgm", text("P2\n2 2\n255\n0 1 1 0\n"), "unsupported PNM-P2 format");
  EXPECT_DECODE_ERROR("pbm", text("P4\n8 1\nA"), "unsupported PNM-P4 format");
}

TEST(Pnm, HeaderErrors) {
  EXPECT_DECODE_ERROR("ppm", text("Q6\n1 1\n255\nabc"), "Not a PNM image file");
  EXPECT_DECODE_ERROR("ppm", text("P8\n1 1\n255\nabc"), "Not a PNM image file");
  EXPECT_DECODE_ERROR("ppm", text("P6\n0 5\n255\n"), "Unable to read image: image dimensions are zero");
  EXPECT_DECODE_ERROR("ppm", text("P6\n"), "Unable to read image: image dimensions are zero");
  EXPECT_DECODE_ERROR("ppm", text("P6\n1 1\n0\nabc"), "Not a PNM image file");
  EXPECT_DECODE_ERROR("ppm", text("P6\n1 1\n70000\nabcdef"), "Not a PNM image file");
  EXPECT_DECODE_ERROR("ppm", text("P6\n99999999999 99999999999\n255\n"), "Image too large");
}

TEST(Pnm, MissingSamplesAreRefused) {
  EXPECT_DECODE_ERROR("ppm", text("P6\n2 2\n255\nabcdefghijk"), "Image data truncated");
  EXPECT_DECODE_ERROR("ppm", text("P3\n1 2\n255\n1 2 3 4 5"), "Image data truncated");
  EXPECT_DECODE_ERROR("ppm", text("P6\n5000 5000\n255\nabc"), "Image data truncated");
}

TEST(Pnm, SamplesAboveMaxvalStayInRange) {
  img_ptr im = decode("ppm", text("P6\n1 1\n15\n\xff\x10\x0f"));
  ASSERT_NE(im.get(), nullptr);
  EXPECT_EQ(im->pixels[0], 255);
  EXPECT_EQ(im->pixels[2], 255);
  im = decode("ppm", text("P3\n1 1\n15\n400 7 99999999999\n"));
  ASSERT_NE(im.get(), nullptr);
  EXPECT_EQ(im->pixels[0], 255);
  EXPECT_EQ(im->pixels[1], 119);
}
