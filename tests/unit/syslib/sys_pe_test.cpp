// The export walk over hand-made images: names through the name table,
// and every kind of damaged header refused without reading out of bounds.
#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "syslib/sys_pe.h"

namespace {

struct Image {
  std::vector<unsigned char> b;
  explicit Image(size_t size) : b(size, 0) {}
  void u16(size_t at, uint16_t v) { b[at] = v & 0xFF; b[at + 1] = v >> 8; }
  void u32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++) b[at + i] = (v >> (8 * i)) & 0xFF;
  }
  void text(size_t at, const char *s) { memcpy(&b[at], s, strlen(s) + 1); }
};

// A PE32 image of 0x400 bytes: headers at 0x80, export directory at 0x200,
// name table at 0x240, names from 0x280 (out of order on purpose).
Image make(uint32_t names = 3) {
  Image im(0x400);
  im.b[0] = 'M';
  im.b[1] = 'Z';
  im.u32(0x3C, 0x80);
  im.text(0x80, "PE");
  const size_t opt = 0x80 + 24;
  im.u16(opt, 0x10B);
  im.u32(opt + 56, 0x400);       // SizeOfImage
  im.u32(opt + 92, 16);          // NumberOfRvaAndSizes
  im.u32(opt + 96, 0x200);       // export directory
  im.u32(opt + 100, 0x100);
  im.u32(0x200 + 24, names);
  im.u32(0x200 + 32, 0x240);
  im.text(0x290, "Alpha");
  im.text(0x280, "Beta");
  im.text(0x2A0, "Gamma");
  im.u32(0x240, 0x290);
  im.u32(0x244, 0x280);
  im.u32(0x248, 0x2A0);
  return im;
}

int collect(void *ctx, const char *name) {
  static_cast<std::vector<std::string> *>(ctx)->push_back(name);
  return 1;
}

int walk(const Image &im, std::vector<std::string> *out, size_t avail = 0) {
  return sys_pe_exports(im.b.data(), avail ? avail : im.b.size(), collect, out);
}

TEST(SysPe, NamesInTableOrder) {
  std::vector<std::string> names;
  EXPECT_EQ(walk(make(), &names), 3);
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
}

TEST(SysPe, VisitorCanStop) {
  std::vector<std::string> names;
  int n = sys_pe_exports(make().b.data(), 0x400,
                         [](void *ctx, const char *name) {
                           static_cast<std::vector<std::string> *>(ctx)->push_back(name);
                           return 0;
                         },
                         &names);
  EXPECT_EQ(n, 1);
}

TEST(SysPe, RefusesWhatIsNotAnImageWithNames) {
  std::vector<std::string> names;
  Image im = make();
  im.b[0] = 'X';
  EXPECT_EQ(walk(im, &names), -1);
  im = make();
  im.b[0x81] = 'X';                // signature
  EXPECT_EQ(walk(im, &names), -1);
  EXPECT_EQ(walk(make(0), &names), -1);
  im = make();
  im.u32(0x80 + 24 + 96, 0);       // no export directory
  EXPECT_EQ(walk(im, &names), -1);
  im = make();
  im.u16(0x80 + 24, 0x999);        // unknown optional header
  EXPECT_EQ(walk(im, &names), -1);
  EXPECT_EQ(sys_pe_exports(nullptr, 100, collect, &names), -1);
  EXPECT_TRUE(names.empty());
}

TEST(SysPe, OffsetsOutsideTheImageAreRefused) {
  std::vector<std::string> names;
  Image im = make();
  im.u32(0x3C, 0xFFFFFFF0);        // header offset wraps
  EXPECT_EQ(walk(im, &names), -1);
  im = make();
  im.u32(0x80 + 24 + 96, 0x3F0);   // directory runs off the end
  EXPECT_EQ(walk(im, &names), -1);
  im = make(0x40000000);           // name table far too long
  EXPECT_EQ(walk(im, &names), -1);
  im = make();
  im.u32(0x80 + 24 + 56, 0x220);   // SizeOfImage cuts the directory
  EXPECT_EQ(walk(im, &names), -1);
  EXPECT_EQ(walk(make(), &names, 0x100), -1);  // fewer bytes readable
  EXPECT_TRUE(names.empty());
}

TEST(SysPe, UnterminatedNameEndsTheWalk) {
  std::vector<std::string> names;
  Image im = make();
  im.u32(0x244, 0x500);            // second name outside
  EXPECT_EQ(walk(im, &names), 1);
  im = make();
  memset(&im.b[0x3F0], 'x', 16);   // third name runs to the end
  im.u32(0x248, 0x3F0);
  names.clear();
  EXPECT_EQ(walk(im, &names), 2);
}

}  // namespace
