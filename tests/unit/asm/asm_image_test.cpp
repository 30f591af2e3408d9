/* Module image output: layout, header blocks and relocations. */
#include "tests/unit/asm/asm_test_util.h"

#include <gtest/gtest.h>

#include "asm/asm_int.h"

namespace {

std::vector<uint8_t> image(const std::string &src) {
  test_services svc;
  asm_options opt;
  std::vector<uint8_t> out;
  EXPECT_TRUE(asm_assemble("m", src.data(), src.size(), &svc, opt, out)) << svc.out;
  return out;
}

uint32_t u32(const std::vector<uint8_t> &b, size_t at) {
  return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8 | (uint32_t)b[at + 2] << 16 |
         (uint32_t)b[at + 3] << 24;
}

/* Reads a vnum as the loader does. */
uint32_t vnum(const std::vector<uint8_t> &b, size_t &at) {
  uint32_t n = b[at] & 3, v = b[at] >> 2;
  for (uint32_t i = 1; i <= n; i++)
    v += (uint32_t)b[at + i] << (6 + 8 * (i - 1));
  at += n + 1;
  return v;
}

/* Offsets listed in block 1. */
std::vector<uint32_t> relocs(const std::vector<uint8_t> &img) {
  size_t at = u32(img, 2) + 4;
  at += vnum(img, at); /* descriptor */
  uint32_t len = vnum(img, at);
  size_t end = at + len;
  std::vector<uint32_t> r;
  while (at < end)
    r.push_back(vnum(img, at));
  return r;
}

} // namespace

TEST(AsmImage, LayoutOfASmallModule) {
  std::vector<uint8_t> img = image("nop\nret");
  EXPECT_EQ(asm_hex_bytes(img),
            "EB 04 08 00 00 00 90 C3 A9 DC 02 01 14 00 00 00 00 00 00 00");
}

TEST(AsmImage, VariableLengthNumbers) {
  std::vector<uint8_t> b;
  asm_image_vnum(b, 4);
  asm_image_vnum(b, 102);
  asm_image_vnum(b, 20000);
  asm_image_vnum(b, 5000000);
  size_t at = 0;
  EXPECT_EQ(b[0], 0x10);
  EXPECT_EQ(b[1], 0x99);
  EXPECT_EQ(b[2], 0x01);
  at = 1;
  vnum(b, at);
  EXPECT_EQ(vnum(b, at), 20000u);
  EXPECT_EQ(vnum(b, at), 5000000u);
  EXPECT_EQ(at, b.size());
}

TEST(AsmImage, AbsoluteAddressesAreRelocated) {
  std::vector<uint8_t> img = image("start: mov eax, start\npush start\n"
                                   "mov ecx, [start + 4]\ndd start, 5\n"
                                   "mov edx, fin - start\njmp start\nfin:");
  /* code starts at 6: B8 imm32 | 68 imm32 | 8B 0D disp32 | dd | dd | B8 .. */
  EXPECT_EQ(u32(img, 7), 6u);
  EXPECT_EQ(img[11], 0x68); /* no short push for an address */
  EXPECT_EQ(u32(img, 12), 6u);
  EXPECT_EQ(u32(img, 18), 10u);
  EXPECT_EQ(u32(img, 22), 6u);
  EXPECT_EQ(relocs(img), (std::vector<uint32_t>{7, 12, 18, 22}));
}

TEST(AsmImage, VirtualAndDifferencesAreNotRelocated) {
  std::vector<uint8_t> img = image("a: virtual at 0\ndd a\nend virtual\n"
                                   "dd $ - a\nb = a + 4\ndd b");
  EXPECT_EQ(relocs(img), (std::vector<uint32_t>{10}));
}

TEST(AsmImage, AddressesMustBeWholeDoublewords) {
  test_services svc;
  asm_options opt;
  std::vector<uint8_t> out;
  std::string src = "a: db a";
  EXPECT_FALSE(asm_assemble("m", src.data(), src.size(), &svc, opt, out));
  EXPECT_EQ(svc.pieces[1], "invalid use of symbol");
}

TEST(AsmImage, TwoAddressesInOneInstruction) {
  std::vector<uint8_t> img = image("x: mov dword [x], x\ncmp dword [ebx + x], 5");
  /* C7 05 disp32 imm32, then 83 BB disp32 imm8: only addresses go full size */
  EXPECT_EQ(img[6], 0xC7);
  EXPECT_EQ(u32(img, 8), 6u);
  EXPECT_EQ(u32(img, 12), 6u);
  EXPECT_EQ(img[16], 0x83);
  EXPECT_EQ(u32(img, 18), 6u);
  EXPECT_EQ(relocs(img), (std::vector<uint32_t>{8, 12, 18}));
}
