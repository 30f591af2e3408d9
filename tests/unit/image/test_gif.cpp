// GIF reader: LZW, colour tables, interlace, several images, damage.
#include <algorithm>
#include <cstring>

#include "tests/unit/image/img_testutil.h"

namespace {

enc_bytes gif_header(int w, int h) {
  enc_bytes b = {'G', 'I', 'F', '8', '7', 'a', uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8),
                 0x80, 0, 0, 0, 0, 0, 255, 255, 255};  // two colours: black, white
  return b;
}

// Image descriptor of w x h with minimum code size m, then raw data bytes
// as one sub-block.
void gif_image(enc_bytes &b, int w, int h, int m, const enc_bytes &data) {
  enc_bytes d = {0x2C, 0, 0, 0, 0, uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8), 0, uint8_t(m)};
  b.insert(b.end(), d.begin(), d.end());
  b.push_back(uint8_t(data.size()));
  b.insert(b.end(), data.begin(), data.end());
  b.push_back(0);
}

}  // namespace

TEST(Gif, DecodesPaletteSizes) {
  for (int colours : {2, 3, 16, 100, 256}) {
    enc_indexed pic = enc_pattern_indexed(23, 17, colours, colours);
    img_ptr im = decode("gif", enc_gif({pic}));
    EXPECT_TRUE(same_pixels(im.get(), enc_expand(pic))) << colours << " colours";
  }
}

TEST(Gif, TableFillsAndClears) {
  // Noise over 256 colours fills the 4096-entry table several times.
  enc_indexed pic = enc_pattern_indexed(300, 200, 256, 7);
  img_ptr im = decode("gif", enc_gif({pic}));
  EXPECT_TRUE(same_pixels(im.get(), enc_expand(pic)));
}

TEST(Gif, LongRunsUseTheRepeatCase) {
  enc_indexed pic = enc_pattern_indexed(64, 64, 4, 1);
  std::fill(pic.idx.begin(), pic.idx.end(), 3);
  img_ptr im = decode("gif", enc_gif({pic}));
  EXPECT_TRUE(same_pixels(im.get(), enc_expand(pic)));
}

TEST(Gif, InterlacedRowsAreReordered) {
  for (int h : {1, 2, 3, 5, 8, 9, 19}) {
    enc_indexed pic = enc_pattern_indexed(7, h, 16, h);
    enc_gif_opts o;
    o.interlace = true;
    img_ptr im = decode("gif", enc_gif({pic}, o));
    EXPECT_TRUE(same_pixels(im.get(), enc_expand(pic))) << "height " << h;
  }
}

TEST(Gif, LastImageWins) {
  enc_indexed first = enc_pattern_indexed(10, 10, 4, 1), second = enc_pattern_indexed(6, 3, 32, 2);
  img_ptr im = decode("gif", enc_gif({first, second}));
  EXPECT_TRUE(same_pixels(im.get(), enc_expand(second)));
}

TEST(Gif, DataEndingEarlyIsCorrupt) {
  enc_indexed pic = enc_pattern_indexed(40, 40, 64, 5);
  enc_gif_opts o;
  o.truncate = true;
  EXPECT_DECODE_ERROR("gif", enc_gif({pic}, o), "Corrupt GIF image");
  // End code before the last pixel.
  enc_bytes b = gif_header(4, 4);
  gif_image(b, 4, 4, 2, enc_lzw({1, 0}, 2));
  b.push_back(0x3B);
  EXPECT_DECODE_ERROR("gif", b, "Corrupt GIF image");
}

TEST(Gif, NoImageGivesEmptyRecord) {
  for (enc_bytes b : {gif_header(4, 4), enc_gif({})}) {
    img_ptr im = decode("gif", b);
    ASSERT_NE(im.get(), nullptr);
    EXPECT_EQ(im->width, 0);
    EXPECT_EQ(im->height, 0);
    EXPECT_EQ(im->pixels, nullptr);
  }
  enc_bytes b = gif_header(4, 4);
  b.push_back(0x3B);
  gif_image(b, 2, 2, 2, enc_lzw({1, 0, 1, 1}, 2));
  img_ptr im = decode("gif", b);
  ASSERT_NE(im.get(), nullptr);
  EXPECT_EQ(im->pixels, nullptr);
}

TEST(Gif, HeaderErrors) {
  EXPECT_DECODE_ERROR("gif", enc_bytes({'G', 'I', 'F', '8', '8', 'a'}), "Not a GIF image file");
  EXPECT_DECODE_ERROR("gif", enc_bytes({'G', 'I', 'F'}), "Not a GIF image file");
  enc_bytes b = gif_header(4, 4);
  b.push_back(0x21);
  EXPECT_DECODE_ERROR("gif", b, "Unable to read extention block");
  b = gif_header(4, 4);
  gif_image(b, 0, 4, 2, {});
  EXPECT_DECODE_ERROR("gif", b, "image size is 0");
}

TEST(Gif, UnknownBlocksAndExtensionsAreSkipped) {
  enc_bytes b = gif_header(2, 1);
  enc_bytes extra = {0x00, 0x77, 0x21, 0xFF, 3, 'a', 'b', 'c', 2, 'd', 'e', 0};
  b.insert(b.end(), extra.begin(), extra.end());
  gif_image(b, 2, 1, 2, enc_lzw({1, 0}, 2));
  img_ptr im = decode("gif", b);
  ASSERT_NE(im.get(), nullptr);
  const uint8_t want[6] = {255, 255, 255, 0, 0, 0};
  EXPECT_EQ(std::memcmp(im->pixels, want, 6), 0);
}

TEST(Gif, BadCodesStopWithoutHarm) {
  // A first code that is not a literal, and a code beyond the next free one.
  // Codes of 3 bits, least significant first: clear 6; clear 1 7; clear.
  for (enc_bytes data : {enc_bytes{0x34, 0x00}, enc_bytes{0xCC, 0x01}, enc_bytes{0x04}}) {
    enc_bytes b = gif_header(3, 3);
    gif_image(b, 3, 3, 2, data);
    EXPECT_DECODE_ERROR("gif", b, "Corrupt GIF image");
  }
  for (int m : {0, 1, 12}) {
    enc_bytes b = gif_header(3, 3);
    gif_image(b, 3, 3, m, {0, 0, 0});
    SCOPED_TRACE(m);
    EXPECT_DECODE_ERROR("gif", b, "Corrupt GIF image");
  }
}

TEST(Gif, IndexBeyondTableIsBlack) {
  enc_bytes b = gif_header(2, 1);
  gif_image(b, 2, 1, 3, enc_lzw({1, 7}, 3));
  img_ptr im = decode("gif", b);
  ASSERT_NE(im.get(), nullptr);
  const uint8_t want[6] = {255, 255, 255, 0, 0, 0};
  EXPECT_EQ(std::memcmp(im->pixels, want, 6), 0);
}

TEST(Gif, HugeSizeWithLittleDataIsRefusedBeforeAllocating) {
  enc_bytes b = gif_header(1, 1);
  gif_image(b, 65535, 65535, 2, enc_lzw({1, 0}, 2));
  EXPECT_DECODE_ERROR("gif", b, "Corrupt GIF image");
}

// The last image's own row order decides, whatever the images before it had.
TEST(Gif, InterlacedAndPlainImagesInOneFile) {
  // Descriptor flags live 10 bytes into the block; 0x40 marks interlace.
  auto add = [](enc_bytes &b, bool interlaced, const enc_bytes &indices) {
    size_t at = b.size();
    gif_image(b, 1, 3, 2, enc_lzw(indices, 2));
    if (interlaced) b[at + 9] |= 0x40;
  };
  // File rows of an interlaced 1 x 3 image are picture rows 0, 2, 1.
  struct { bool first, last; enc_bytes indices; int white_record_row; } cases[] = {
    {true, false, {1, 0, 0}, 2},   // plain last: top row white
    {false, true, {1, 0, 0}, 2},   // interlaced last: file row 0 is the top
    {false, true, {0, 1, 0}, 0},   // file row 1 is picture row 2, the bottom
    {true, true, {0, 0, 1}, 1},    // file row 2 is picture row 1
  };
  for (const auto &c : cases) {
    enc_bytes b = gif_header(1, 3);
    add(b, c.first, {0, 1, 1});
    add(b, c.last, c.indices);
    b.push_back(0x3B);
    img_ptr im = decode("gif", b);
    ASSERT_NE(im.get(), nullptr) << img_lasterror();
    for (int y = 0; y < 3; y++)
      EXPECT_EQ(im->pixels[3 * y], y == c.white_record_row ? 255 : 0) << c.first << c.last << " row " << y;
  }
}
