// TGA reader: pixel depths, colour maps, run-length packets, row orders.
#include "tests/unit/image/img_testutil.h"

namespace {

uint8_t scale5(uint8_t v) { return uint8_t((v >> 3) * 255 / 31); }

enc_pic quantise5(enc_pic p) {
  for (auto &v : p.px) v = scale5(v);
  return p;
}

enc_bytes tga_header(int type, int w, int h, int depth, uint8_t desc) {
  return {0, 0, uint8_t(type), 0, 0, 0, 0, 0, 0, 0, 0, 0,
          uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8), uint8_t(depth), desc};
}

}  // namespace

TEST(Tga, TrueColourDepths) {
  enc_pic pic = enc_pattern(13, 11, 3);
  for (int type : {2, 10}) {
    for (int depth : {24, 32}) {
      enc_tga_opts o;
      o.type = type, o.depth = depth;
      EXPECT_TRUE(same_pixels(decode("tga", enc_tga(pic, o)).get(), pic)) << type << "/" << depth;
    }
    for (int depth : {15, 16}) {
      enc_tga_opts o;
      o.type = type, o.depth = depth;
      EXPECT_TRUE(same_pixels(decode("tga", enc_tga(pic, o)).get(), quantise5(pic))) << type << "/" << depth;
    }
  }
}

TEST(Tga, GreyLevels) {
  enc_pic grey = enc_grey(enc_pattern(10, 7, 8));
  for (int type : {3, 11}) {
    enc_tga_opts o;
    o.type = type, o.depth = 8;
    EXPECT_TRUE(same_pixels(decode("tga", enc_tga(grey, o)).get(), grey)) << type;
  }
}

TEST(Tga, ColourMaps) {
  enc_indexed pic = enc_pattern_indexed(12, 9, 40, 6);
  for (int type : {1, 9}) {
    for (int bits : {24, 32}) {
      enc_tga_opts o;
      o.type = type, o.mapbits = bits;
      EXPECT_TRUE(same_pixels(decode("tga", enc_tga_indexed(pic, o)).get(), enc_expand(pic))) << bits;
    }
    for (int bits : {15, 16}) {
      enc_tga_opts o;
      o.type = type, o.mapbits = bits;
      EXPECT_TRUE(same_pixels(decode("tga", enc_tga_indexed(pic, o)).get(), quantise5(enc_expand(pic))))
          << bits;
    }
  }
}

TEST(Tga, RowOrdersAndOrigins) {
  for (int h : {1, 2, 5, 8}) {
    enc_pic pic = enc_pattern(6, h, h);
    for (uint8_t desc : {0x00, 0x10, 0x20, 0x30, 0x80, 0x90, 0xA0, 0xB0}) {
      for (int type : {2, 10}) {
        enc_tga_opts o;
        o.type = type, o.desc = desc;
        EXPECT_TRUE(same_pixels(decode("tga", enc_tga(pic, o)).get(), pic))
            << "height " << h << " descriptor " << int(desc) << " type " << type;
      }
    }
  }
}

TEST(Tga, BottomFirstFileRowIsRecordRowZero) {
  enc_bytes b = tga_header(2, 1, 2, 24, 0x00);
  const uint8_t px[6] = {1, 2, 3, 4, 5, 6};  // first row B, G, R = 1, 2, 3
  b.insert(b.end(), px, px + 6);
  img_ptr im = decode("tga", b);
  ASSERT_NE(im.get(), nullptr);
  const uint8_t want[6] = {3, 2, 1, 6, 5, 4};
  EXPECT_EQ(std::memcmp(im->pixels, want, 6), 0);
}

// Bit 4: the first value of each file row is the rightmost pixel.
TEST(Tga, RightToLeftRowsAreMirrored) {
  enc_bytes f = tga_header(2, 3, 1, 24, 0x30);
  for (uint8_t red : {10, 20, 30}) f.insert(f.end(), {0, 0, red});
  img_ptr im = decode("tga", f);
  ASSERT_TRUE(im && im->pixels);
  EXPECT_EQ(30, im->pixels[0]);
  EXPECT_EQ(20, im->pixels[3]);
  EXPECT_EQ(10, im->pixels[6]);
  enc_indexed pic = enc_pattern_indexed(7, 3, 9, 2);
  enc_tga_opts o;
  o.type = 9, o.desc = 0x10;
  EXPECT_TRUE(same_pixels(decode("tga", enc_tga_indexed(pic, o)).get(), enc_expand(pic)));
}

TEST(Tga, HeaderErrors) {
  EXPECT_DECODE_ERROR("tga", enc_bytes({0, 0}), "Not a TGA image file");
  EXPECT_DECODE_ERROR("tga", tga_header(0, 2, 2, 24, 0), "Not a TGA image file");
  EXPECT_DECODE_ERROR("tga", tga_header(12, 2, 2, 24, 0), "Not a TGA image file");
  EXPECT_DECODE_ERROR("tga", tga_header(2, 2, 2, 12, 0), "Not a TGA image file");
  EXPECT_DECODE_ERROR("tga", tga_header(2, 0, 2, 24, 0), "image size is 0");
}

TEST(Tga, RunLengthPacketMissing) {
  enc_bytes b = tga_header(10, 4, 1, 24, 0);
  b.insert(b.end(), {0x81, 1, 2, 3});  // two pixels, then nothing
  EXPECT_DECODE_ERROR("tga", b, "Unable to read image data");
}

TEST(Tga, EarlyEndLeavesBlack) {
  enc_pic pic = enc_pattern(4, 4, 2);
  enc_tga_opts o;
  enc_bytes b = enc_tga(pic, o);
  b.resize(b.size() - 3 * 8 - 1);  // half a pixel short of the last two rows
  img_ptr im = decode("tga", b);
  ASSERT_NE(im.get(), nullptr);
  for (int y = 0; y < 2; y++)
    for (int i = 0; i < 12; i++) EXPECT_EQ(im->pixels[12 * y + i], 0);  // bottom rows
  EXPECT_EQ(im->pixels[24], pic.px[24]);
  // A literal packet cut short.
  b = tga_header(10, 4, 1, 24, 0);
  b.insert(b.end(), {0x03, 1, 2, 3});
  EXPECT_NE(decode("tga", b).get(), nullptr);
}

TEST(Tga, PacketsPastTheImageAreClipped) {
  enc_bytes b = tga_header(10, 2, 2, 24, 0);
  b.insert(b.end(), {0xFF, 9, 9, 9});  // 128 pixels for 4
  img_ptr im = decode("tga", b);
  ASSERT_NE(im.get(), nullptr);
  for (int i = 0; i < 12; i++) EXPECT_EQ(im->pixels[i], 9);
}

TEST(Tga, IndexBeyondMapIsGrey) {
  enc_bytes b = {0, 1, 1, 0, 0, 1, 0, 24, 0, 0, 0, 0, 2, 0, 1, 0, 8, 0x20};
  b.insert(b.end(), {10, 20, 30, 0, 77});  // one entry; indices 0 and 77
  img_ptr im = decode("tga", b);
  ASSERT_NE(im.get(), nullptr);
  const uint8_t want[6] = {30, 20, 10, 77, 77, 77};
  EXPECT_EQ(std::memcmp(im->pixels, want, 6), 0);
}

// The map holds entries from its first index on: value 5 is its first entry.
TEST(Tga, ColourMapFromItsFirstIndex) {
  enc_bytes b = {0, 1, 1, 5, 0, 2, 0, 24, 0, 0, 0, 0, 3, 0, 1, 0, 8, 0x20};
  b.insert(b.end(), {10, 20, 30, 40, 50, 60, 5, 6, 4});  // entries 5 and 6
  img_ptr im = decode("tga", b);
  ASSERT_NE(im.get(), nullptr);
  const uint8_t want[9] = {30, 20, 10, 60, 50, 40, 4, 4, 4};
  EXPECT_EQ(std::memcmp(im->pixels, want, 9), 0);
}

TEST(Tga, HugeSizeWithLittleDataIsRefused) {
  enc_bytes b = tga_header(10, 5000, 5000, 24, 0);
  b.insert(b.end(), {0xFF, 1, 2, 3});
  EXPECT_DECODE_ERROR("tga", b, "Unable to read image data");
  b = tga_header(10, 65535, 65535, 24, 0);
  b.insert(b.end(), {0xFF, 1, 2, 3});
  EXPECT_DECODE_ERROR("tga", b, "Image too large");
}

namespace {

// Both images decoded, same size, same bytes.
testing::AssertionResult same_record(const img_image *a, const img_image *b) {
  if (!a || !b) return testing::AssertionFailure() << "no image: " << img_lasterror();
  if (a->width != b->width || a->height != b->height) return testing::AssertionFailure() << "sizes differ";
  size_t n = size_t(a->width) * a->height * 3;
  for (size_t i = 0; i < n; i++)
    if (a->pixels[i] != b->pixels[i])
      return testing::AssertionFailure() << "byte " << i << ": " << int(a->pixels[i]) << " vs " << int(b->pixels[i]);
  return testing::AssertionSuccess();
}

}  // namespace

// A file cut anywhere reads as the whole file with every pixel from the cut
// on zero (black): whole rows and single pixels, every depth and origin (a
// right-to-left row the file ends in keeps its black at the left).
TEST(Tga, CutAnywhereIsTheFileWithABlackTail) {
  enc_pic pic = enc_pattern(5, 4, 7);
  for (int depth : {8, 15, 16, 24, 32})
    for (uint8_t desc : {0x00, 0x10, 0x20, 0x30, 0x80, 0x90, 0xA0, 0xB0}) {
      enc_tga_opts o;
      o.type = depth == 8 ? 3 : 2, o.depth = depth, o.desc = desc;
      enc_bytes full = enc_tga(depth == 8 ? enc_grey(pic) : pic, o);
      size_t bpp = size_t(depth + 7) / 8, head = full.size() - 20 * bpp;
      for (size_t cut = head + 1; cut < full.size(); cut++) {
        enc_bytes b(full.begin(), full.begin() + cut), model = full;
        std::fill(model.begin() + head + (cut - head) / bpp * bpp, model.end(), 0);
        EXPECT_TRUE(same_record(decode("tga", b).get(), decode("tga", model).get()))
            << depth << "/" << int(desc) << " cut at " << cut;
      }
    }
}

// Run-length packets that cross row ends give the pixels of the plain file.
TEST(Tga, PacketsAcrossRowsMatchThePlainFile) {
  for (int depth : {8, 16, 24, 32}) {
    size_t bpp = size_t(depth + 7) / 8;
    enc_bytes px(9 * bpp), rle, plain;
    for (size_t i = 0; i < px.size(); i++) px[i] = uint8_t(i * 37 + 11);
    auto pixel = [&](size_t i) { return enc_bytes(px.begin() + i * bpp, px.begin() + (i + 1) * bpp); };
    auto add = [](enc_bytes &to, const enc_bytes &v) { to.insert(to.end(), v.begin(), v.end()); };
    // 3 x 3 pixels: literal 2, run of 3 over the first row end, literal 4 over the second.
    rle.push_back(0x01), add(rle, pixel(0)), add(rle, pixel(1));
    rle.push_back(0x82), add(rle, pixel(2));
    rle.push_back(0x03);
    for (size_t i = 5; i < 9; i++) add(rle, pixel(i));
    for (size_t i : {0, 1, 2, 2, 2, 5, 6, 7, 8}) add(plain, pixel(i));
    for (uint8_t desc : {0x00, 0x10, 0x20, 0x30}) {
      int type = depth == 8 ? 3 : 2;
      enc_bytes a = tga_header(type + 8, 3, 3, depth, desc), b = tga_header(type, 3, 3, depth, desc);
      add(a, rle), add(b, plain);
      EXPECT_TRUE(same_record(decode("tga", a).get(), decode("tga", b).get())) << depth << "/" << int(desc);
    }
  }
}
