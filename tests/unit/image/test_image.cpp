// The image record, the loader's choice of reader and its last error text.
#include <cerrno>
#include <cstring>

#include "tests/unit/image/img_testutil.h"

TEST(ImageRecord, SizingAllocatesZeroedPixels) {
  img_image im = {};
  ASSERT_TRUE(img_size(&im, 3, 2));
  EXPECT_EQ(im.width, 3);
  EXPECT_EQ(im.height, 2);
  ASSERT_NE(im.pixels, nullptr);
  for (int i = 0; i < 18; i++) EXPECT_EQ(im.pixels[i], 0);
  im.alpha = true;
  ASSERT_TRUE(img_size(&im, 1, 1));
  EXPECT_EQ(img_bpp(&im), 4u);
  img_release(&im);
  EXPECT_EQ(im.pixels, nullptr);
}

TEST(ImageRecord, SizeBelowOneLeavesNoArray) {
  img_image im = {};
  ASSERT_TRUE(img_size(&im, 2, 2));
  EXPECT_FALSE(img_size(&im, 0, 5));
  EXPECT_EQ(im.pixels, nullptr);
  EXPECT_FALSE(img_size(&im, 5, -1));
  EXPECT_EQ(im.pixels, nullptr);
  EXPECT_FALSE(img_size(&im, 1 << 14, 1 << 14));
  EXPECT_EQ(im.pixels, nullptr);
}

TEST(ImageRecord, FlipSwapsRows) {
  img_image im = {};
  ASSERT_TRUE(img_size(&im, 1, 3));
  for (int i = 0; i < 9; i++) im.pixels[i] = uint8_t(i);
  img_flip(&im);
  const uint8_t want[9] = {6, 7, 8, 3, 4, 5, 0, 1, 2};
  EXPECT_EQ(std::memcmp(im.pixels, want, 9), 0);
  img_release(&im);
}

class ImageLoad : public testing::Test {
 protected:
  enc_indexed pic = enc_pattern_indexed(5, 4, 4, 3);
};

TEST_F(ImageLoad, UpperCaseExtensionPicksReader) {
  write_file(tmp_file("load_upper.GIF"), enc_gif({pic}));
  img_ptr im(img_load(tmp_file("load_upper.GIF").c_str()));
  EXPECT_TRUE(same_pixels(im.get(), enc_expand(pic)));
  EXPECT_STREQ(img_lasterror(), "");
}

TEST_F(ImageLoad, EveryExtensionHasItsReader) {
  enc_pic rgb = enc_expand(pic);
  write_file(tmp_file("load_all.Bmp"), enc_bmp_rgb(rgb, {}));
  write_file(tmp_file("load_all.rgb"), enc_sgi(rgb, 3, false));
  write_file(tmp_file("load_all.TGA"), enc_tga(rgb, {}));
  for (const char *ext : {"pbm", "pgm", "pnm", "ppm"}) {
    std::string name = tmp_file(std::string("load_all.") + ext);
    write_file(name, enc_pnm(rgb, '6', 255));
    img_ptr im(img_load(name.c_str()));
    EXPECT_TRUE(same_pixels(im.get(), rgb)) << ext;
  }
  for (const char *name : {"load_all.Bmp", "load_all.rgb", "load_all.TGA"}) {
    img_ptr im(img_load(tmp_file(name).c_str()));
    EXPECT_TRUE(same_pixels(im.get(), rgb)) << name;
  }
}

TEST_F(ImageLoad, UnknownExtensions) {
  write_file(tmp_file("load_unknown.jpg"), enc_gif({pic}));
  for (const char *name : {"load_unknown.jpg", "x.tif", "x.TIFF", "noextension", "x.gif.png", "x."}) {
    img_ptr im(img_load(tmp_file(name).c_str()));
    EXPECT_EQ(im.get(), nullptr);
    EXPECT_STREQ(img_lasterror(), "Unknown format extension") << name;
  }
}

TEST_F(ImageLoad, NoNameIsUnknown) {
  EXPECT_EQ(img_load(nullptr), nullptr);
  EXPECT_STREQ(img_lasterror(), "Unknown format extension");
  EXPECT_EQ(img_decode(nullptr, nullptr, 0), nullptr);
  EXPECT_STREQ(img_lasterror(), "Unknown format extension");
}

TEST_F(ImageLoad, MissingFileGivesSystemText) {
  img_ptr im(img_load(tmp_file("no_such_file_here.gif").c_str()));
  EXPECT_EQ(im.get(), nullptr);
  EXPECT_STREQ(img_lasterror(), std::strerror(ENOENT));
}

TEST_F(ImageLoad, ErrorTextIsClearedBySuccess) {
  write_file(tmp_file("load_bad.bmp"), {'n', 'o', 'p', 'e'});
  write_file(tmp_file("load_good.gif"), enc_gif({pic}));
  img_ptr bad(img_load(tmp_file("load_bad.bmp").c_str()));
  EXPECT_STREQ(img_lasterror(), "Not a BMP image file");
  img_ptr good(img_load(tmp_file("load_good.gif").c_str()));
  ASSERT_NE(good.get(), nullptr);
  EXPECT_STREQ(img_lasterror(), "");
}

TEST_F(ImageLoad, EmptyFileFailsInEveryReader) {
  enc_bytes none;
  EXPECT_DECODE_ERROR("gif", none, "Not a GIF image file");
  EXPECT_DECODE_ERROR("rgb", none, "Not a SGI RGB image");
  EXPECT_DECODE_ERROR("tga", none, "Not a TGA image file");
  EXPECT_DECODE_ERROR("pnm", none, "Not a PNM image file");
  EXPECT_DECODE_ERROR("bmp", none, "Not a BMP image file");
}
