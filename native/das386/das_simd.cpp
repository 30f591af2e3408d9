/*
** das_simd.cpp: the MMX and SSE rows of the 0F, 0F 38 and 0F 3A maps, four
** per opcode for the mandatory prefixes none, 66, F3, F2. M0..M7 are MMX
** registers, X0..X7 XMM registers; the vector mnemonics keep their own
** names (they already say the element size), integer ones take %S.
*/
#include "native/das386/das_internal.h"

namespace {

constexpr das_entry U{};
constexpr das_entry x(const char *t) { return das_entry{{DK_MODRM, 0}, t, nullptr}; }
constexpr das_entry xb(const char *t) { return das_entry{{DK_MODRMB, 0}, t, nullptr}; }
constexpr das_entry xi(const char *t) { return das_entry{{DK_MODRM, DK_IMM8}, t, nullptr}; }
constexpr das_entry xr(const char *t) { return das_entry{{DK_REGONLY, 0}, t, nullptr}; }
constexpr das_entry xri(const char *t) { return das_entry{{DK_REGONLY, DK_IMM8}, t, nullptr}; }
constexpr das_entry xm(const char *t) { return das_entry{{DK_MEMONLY, 0}, t, nullptr}; }
constexpr das_entry g(int k, const das_entry *t) { return das_entry{{(unsigned char)k, 0}, nullptr, t}; }

/* Shift-by-immediate groups 71-73: [reg] for MMX, [8 + reg] for XMM. */
constexpr das_entry das_g71[2][8] = {
  {U, U, xri("PSRLW\t%i,%M"), U, xri("PSRAW\t%i,%M"), U, xri("PSLLW\t%i,%M"), U},
  {U, U, xri("PSRLW\t%i,%Q"), U, xri("PSRAW\t%i,%Q"), U, xri("PSLLW\t%i,%Q"), U},
};
constexpr das_entry das_g72[2][8] = {
  {U, U, xri("PSRLD\t%i,%M"), U, xri("PSRAD\t%i,%M"), U, xri("PSLLD\t%i,%M"), U},
  {U, U, xri("PSRLD\t%i,%Q"), U, xri("PSRAD\t%i,%Q"), U, xri("PSLLD\t%i,%Q"), U},
};
constexpr das_entry das_g73[2][8] = {
  {U, U, xri("PSRLQ\t%i,%M"), U, U, U, xri("PSLLQ\t%i,%M"), U},
  {U, U, xri("PSRLQ\t%i,%Q"), xri("PSRLDQ\t%i,%Q"), U, U, xri("PSLLQ\t%i,%Q"),
   xri("PSLLDQ\t%i,%Q")},
};

/* 0F AE and 0F C7 by prefix; [reg] for memory, [8 + reg] for registers. */
#define N8 U, U, U, U, U, U, U, U
constexpr das_entry das_gae[4][16] = {
  {xm("FXSAVE\t%e"), xm("FXRSTOR\t%e"), xm("LDMXCSR\t%e"), xm("STMXCSR\t%e"),
   xm("XSAVE\t%e"), xm("XRSTOR\t%e"), xm("XSAVEOPT\t%e"), xm("CLFLUSH\t%e"),
   U, U, U, U, U, x("LFENCE"), x("MFENCE"), x("SFENCE")},
  {U, U, U, U, U, U, xm("CLWB\t%e"), xm("CLFLUSHOPT\t%e"),
   U, U, U, U, U, U, x("TPAUSE\t%e"), U},
  {U, U, U, U, xm("PTWRITEL\t%e"), U, xm("CLRSSBSY\t%e"), U,
   U, U, U, U, x("PTWRITEL\t%e"), x("INCSSPDL\t%e"), x("UMONITOR\t%e"), U},
  {N8, U, U, U, U, U, U, x("UMWAIT\t%e"), U},
};
constexpr das_entry das_gc7[4][16] = {
  {U, xm("CMPXCHG8B\t%e"), U, xm("XRSTORS\t%e"), xm("XSAVEC\t%e"), xm("XSAVES\t%e"),
   xm("VMPTRLD\t%e"), xm("VMPTRST\t%e"),
   U, U, U, U, U, U, x("RDRAND%S\t%e"), x("RDSEED%S\t%e")},
  {U, xm("CMPXCHG8B\t%e"), U, U, U, U, xm("VMCLEAR\t%e"), U,
   U, U, U, U, U, U, x("RDRAND%S\t%e"), x("RDSEED%S\t%e")},
  {U, xm("CMPXCHG8B\t%e"), U, U, U, U, xm("VMXON\t%e"), U,
   U, U, U, U, U, U, U, x("RDPIDL\t%e")},
  {U, xm("CMPXCHG8B\t%e"), U, U, U, U, U, U, N8},
};

/* 12/16: the memory form moves a half, the register form the other half. */
constexpr das_entry das_movlps[2] = {x("MOVLPS\t%e,%q"), x("MOVHLPS\t%Q,%q")};
constexpr das_entry das_movhps[2] = {x("MOVHPS\t%e,%q"), x("MOVLHPS\t%Q,%q")};

struct builder {
  das_sel s{};
  constexpr void r(int map, int op, das_entry a, das_entry b = U, das_entry c = U,
                   das_entry d = U) {
    das_entry *e = &s.e[map][4 * op];
    e[0] = a, e[1] = b, e[2] = c, e[3] = d;
  }
};

#define MX(op, n) b.r(0, op, x(n "\t%M,%m"), x(n "\t%Q,%q"))
#define X66(map, op, n) b.r(map, op, U, x(n "\t%Q,%q"))
#define PS4(op, n) \
  b.r(0, op, x(n "PS\t%Q,%q"), x(n "PD\t%Q,%q"), x(n "SS\t%Q,%q"), x(n "SD\t%Q,%q"))
#define PS2(op, n) b.r(0, op, x(n "PS\t%Q,%q"), x(n "PD\t%Q,%q"))
#define MX38(op, n) b.r(1, op, x(n "\t%M,%m"), x(n "\t%Q,%q"))

constexpr das_sel das_build() {
  builder b;
  /* 0F map */
  b.r(0, 0x10, x("MOVUPS\t%Q,%q"), x("MOVUPD\t%Q,%q"), x("MOVSS\t%Q,%q"), x("MOVSD\t%Q,%q"));
  b.r(0, 0x11, x("MOVUPS\t%q,%Q"), x("MOVUPD\t%q,%Q"), x("MOVSS\t%q,%Q"), x("MOVSD\t%q,%Q"));
  b.r(0, 0x12, g(DK_MODSEL, das_movlps), xm("MOVLPD\t%e,%q"), x("MOVSLDUP\t%Q,%q"),
      x("MOVDDUP\t%Q,%q"));
  b.r(0, 0x13, xm("MOVLPS\t%q,%e"), xm("MOVLPD\t%q,%e"));
  PS2(0x14, "UNPCKL");
  PS2(0x15, "UNPCKH");
  b.r(0, 0x16, g(DK_MODSEL, das_movhps), xm("MOVHPD\t%e,%q"), x("MOVSHDUP\t%Q,%q"));
  b.r(0, 0x17, xm("MOVHPS\t%q,%e"), xm("MOVHPD\t%q,%e"));
  b.r(0, 0x28, x("MOVAPS\t%Q,%q"), x("MOVAPD\t%Q,%q"));
  b.r(0, 0x29, x("MOVAPS\t%q,%Q"), x("MOVAPD\t%q,%Q"));
  b.r(0, 0x2A, x("CVTPI2PS\t%M,%q"), x("CVTPI2PD\t%M,%q"), x("CVTSI2SSL\t%e,%q"),
      x("CVTSI2SDL\t%e,%q"));
  b.r(0, 0x2B, xm("MOVNTPS\t%q,%e"), xm("MOVNTPD\t%q,%e"), xm("MOVNTSS\t%q,%e"),
      xm("MOVNTSD\t%q,%e"));
  b.r(0, 0x2C, x("CVTTPS2PI\t%Q,%m"), x("CVTTPD2PI\t%Q,%m"), x("CVTTSS2SIL\t%Q,%R"),
      x("CVTTSD2SIL\t%Q,%R"));
  b.r(0, 0x2D, x("CVTPS2PI\t%Q,%m"), x("CVTPD2PI\t%Q,%m"), x("CVTSS2SIL\t%Q,%R"),
      x("CVTSD2SIL\t%Q,%R"));
  b.r(0, 0x2E, x("UCOMISS\t%Q,%q"), x("UCOMISD\t%Q,%q"));
  b.r(0, 0x2F, x("COMISS\t%Q,%q"), x("COMISD\t%Q,%q"));
  b.r(0, 0x50, xr("MOVMSKPS\t%Q,%R"), xr("MOVMSKPD\t%Q,%R"));
  PS4(0x51, "SQRT");
  b.r(0, 0x52, x("RSQRTPS\t%Q,%q"), U, x("RSQRTSS\t%Q,%q"));
  b.r(0, 0x53, x("RCPPS\t%Q,%q"), U, x("RCPSS\t%Q,%q"));
  PS2(0x54, "AND");
  PS2(0x55, "ANDN");
  PS2(0x56, "OR");
  PS2(0x57, "XOR");
  PS4(0x58, "ADD");
  PS4(0x59, "MUL");
  b.r(0, 0x5A, x("CVTPS2PD\t%Q,%q"), x("CVTPD2PS\t%Q,%q"), x("CVTSS2SD\t%Q,%q"),
      x("CVTSD2SS\t%Q,%q"));
  b.r(0, 0x5B, x("CVTDQ2PS\t%Q,%q"), x("CVTPS2DQ\t%Q,%q"), x("CVTTPS2DQ\t%Q,%q"));
  PS4(0x5C, "SUB");
  PS4(0x5D, "MIN");
  PS4(0x5E, "DIV");
  PS4(0x5F, "MAX");
  MX(0x60, "PUNPCKLBW");
  MX(0x61, "PUNPCKLWD");
  MX(0x62, "PUNPCKLDQ");
  MX(0x63, "PACKSSWB");
  MX(0x64, "PCMPGTB");
  MX(0x65, "PCMPGTW");
  MX(0x66, "PCMPGTD");
  MX(0x67, "PACKUSWB");
  MX(0x68, "PUNPCKHBW");
  MX(0x69, "PUNPCKHWD");
  MX(0x6A, "PUNPCKHDQ");
  MX(0x6B, "PACKSSDW");
  X66(0, 0x6C, "PUNPCKLQDQ");
  X66(0, 0x6D, "PUNPCKHQDQ");
  b.r(0, 0x6E, x("MOVD\t%e,%m"), x("MOVD\t%e,%q"));
  b.r(0, 0x6F, x("MOVQ\t%M,%m"), x("MOVDQA\t%Q,%q"), x("MOVDQU\t%Q,%q"));
  b.r(0, 0x70, xi("PSHUFW\t%i,%M,%m"), xi("PSHUFD\t%i,%Q,%q"), xi("PSHUFHW\t%i,%Q,%q"),
      xi("PSHUFLW\t%i,%Q,%q"));
  b.r(0, 0x71, g(DK_GROUP, das_g71[0]), g(DK_GROUP, das_g71[1]));
  b.r(0, 0x72, g(DK_GROUP, das_g72[0]), g(DK_GROUP, das_g72[1]));
  b.r(0, 0x73, g(DK_GROUP, das_g73[0]), g(DK_GROUP, das_g73[1]));
  MX(0x74, "PCMPEQB");
  MX(0x75, "PCMPEQW");
  MX(0x76, "PCMPEQD");
  b.r(0, 0x77, das_entry{{0, 0}, "EMMS", nullptr});
  b.r(0, 0xAE, g(DK_FGROUP, das_gae[0]), g(DK_FGROUP, das_gae[1]), g(DK_FGROUP, das_gae[2]),
      g(DK_FGROUP, das_gae[3]));
  b.r(0, 0xC7, g(DK_FGROUP, das_gc7[0]), g(DK_FGROUP, das_gc7[1]), g(DK_FGROUP, das_gc7[2]),
      g(DK_FGROUP, das_gc7[3]));
  b.r(0, 0x7C, U, x("HADDPD\t%Q,%q"), U, x("HADDPS\t%Q,%q"));
  b.r(0, 0x7D, U, x("HSUBPD\t%Q,%q"), U, x("HSUBPS\t%Q,%q"));
  b.r(0, 0x7E, x("MOVD\t%m,%e"), x("MOVD\t%q,%e"), x("MOVQ\t%Q,%q"));
  b.r(0, 0x7F, x("MOVQ\t%m,%M"), x("MOVDQA\t%q,%Q"), x("MOVDQU\t%q,%Q"));
  b.r(0, 0xB8, U, U, x("POPCNT%S\t%e,%r"));
  b.r(0, 0xBC, x("BSF%S\t%e,%r"), x("BSF%S\t%e,%r"), x("TZCNT%S\t%e,%r"), x("BSF%S\t%e,%r"));
  b.r(0, 0xBD, x("BSR%S\t%e,%r"), x("BSR%S\t%e,%r"), x("LZCNT%S\t%e,%r"), x("BSR%S\t%e,%r"));
  b.r(0, 0xC2, xi("CMPPS\t%i,%Q,%q"), xi("CMPPD\t%i,%Q,%q"), xi("CMPSS\t%i,%Q,%q"),
      xi("CMPSD\t%i,%Q,%q"));
  b.r(0, 0xC3, xm("MOVNTIL\t%R,%e"), U, U, U);
  b.r(0, 0xC4, xi("PINSRW\t%i,%e,%m"), xi("PINSRW\t%i,%e,%q"));
  b.r(0, 0xC5, xri("PEXTRW\t%i,%M,%R"), xri("PEXTRW\t%i,%Q,%R"));
  b.r(0, 0xC6, xi("SHUFPS\t%i,%Q,%q"), xi("SHUFPD\t%i,%Q,%q"));
  b.r(0, 0xD0, U, x("ADDSUBPD\t%Q,%q"), U, x("ADDSUBPS\t%Q,%q"));
  MX(0xD1, "PSRLW");
  MX(0xD2, "PSRLD");
  MX(0xD3, "PSRLQ");
  MX(0xD4, "PADDQ");
  MX(0xD5, "PMULLW");
  b.r(0, 0xD6, U, x("MOVQ\t%q,%Q"), xr("MOVQ2DQ\t%M,%q"), xr("MOVDQ2Q\t%Q,%m"));
  b.r(0, 0xD7, xr("PMOVMSKB\t%M,%R"), xr("PMOVMSKB\t%Q,%R"));
  MX(0xD8, "PSUBUSB");
  MX(0xD9, "PSUBUSW");
  MX(0xDA, "PMINUB");
  MX(0xDB, "PAND");
  MX(0xDC, "PADDUSB");
  MX(0xDD, "PADDUSW");
  MX(0xDE, "PMAXUB");
  MX(0xDF, "PANDN");
  MX(0xE0, "PAVGB");
  MX(0xE1, "PSRAW");
  MX(0xE2, "PSRAD");
  MX(0xE3, "PAVGW");
  MX(0xE4, "PMULHUW");
  MX(0xE5, "PMULHW");
  b.r(0, 0xE6, U, x("CVTTPD2DQ\t%Q,%q"), x("CVTDQ2PD\t%Q,%q"), x("CVTPD2DQ\t%Q,%q"));
  b.r(0, 0xE7, xm("MOVNTQ\t%m,%e"), xm("MOVNTDQ\t%q,%e"));
  MX(0xE8, "PSUBSB");
  MX(0xE9, "PSUBSW");
  MX(0xEA, "PMINSW");
  MX(0xEB, "POR");
  MX(0xEC, "PADDSB");
  MX(0xED, "PADDSW");
  MX(0xEE, "PMAXSW");
  MX(0xEF, "PXOR");
  b.r(0, 0xF0, U, U, U, xm("LDDQU\t%e,%q"));
  MX(0xF1, "PSLLW");
  MX(0xF2, "PSLLD");
  MX(0xF3, "PSLLQ");
  MX(0xF4, "PMULUDQ");
  MX(0xF5, "PMADDWD");
  MX(0xF6, "PSADBW");
  b.r(0, 0xF7, xr("MASKMOVQ\t%M,%m"), xr("MASKMOVDQU\t%Q,%q"));
  MX(0xF8, "PSUBB");
  MX(0xF9, "PSUBW");
  MX(0xFA, "PSUBD");
  MX(0xFB, "PSUBQ");
  MX(0xFC, "PADDB");
  MX(0xFD, "PADDW");
  MX(0xFE, "PADDD");

  /* 0F 38 */
  MX38(0x00, "PSHUFB");
  MX38(0x01, "PHADDW");
  MX38(0x02, "PHADDD");
  MX38(0x03, "PHADDSW");
  MX38(0x04, "PMADDUBSW");
  MX38(0x05, "PHSUBW");
  MX38(0x06, "PHSUBD");
  MX38(0x07, "PHSUBSW");
  MX38(0x08, "PSIGNB");
  MX38(0x09, "PSIGNW");
  MX38(0x0A, "PSIGND");
  MX38(0x0B, "PMULHRSW");
  b.r(1, 0x10, U, x("PBLENDVB\tX0,%Q,%q"));
  b.r(1, 0x14, U, x("BLENDVPS\tX0,%Q,%q"));
  b.r(1, 0x15, U, x("BLENDVPD\tX0,%Q,%q"));
  X66(1, 0x17, "PTEST");
  MX38(0x1C, "PABSB");
  MX38(0x1D, "PABSW");
  MX38(0x1E, "PABSD");
  X66(1, 0x20, "PMOVSXBW");
  X66(1, 0x21, "PMOVSXBD");
  X66(1, 0x22, "PMOVSXBQ");
  X66(1, 0x23, "PMOVSXWD");
  X66(1, 0x24, "PMOVSXWQ");
  X66(1, 0x25, "PMOVSXDQ");
  X66(1, 0x28, "PMULDQ");
  X66(1, 0x29, "PCMPEQQ");
  b.r(1, 0x2A, U, xm("MOVNTDQA\t%e,%q"));
  X66(1, 0x2B, "PACKUSDW");
  X66(1, 0x30, "PMOVZXBW");
  X66(1, 0x31, "PMOVZXBD");
  X66(1, 0x32, "PMOVZXBQ");
  X66(1, 0x33, "PMOVZXWD");
  X66(1, 0x34, "PMOVZXWQ");
  X66(1, 0x35, "PMOVZXDQ");
  X66(1, 0x37, "PCMPGTQ");
  X66(1, 0x38, "PMINSB");
  X66(1, 0x39, "PMINSD");
  X66(1, 0x3A, "PMINUW");
  X66(1, 0x3B, "PMINUD");
  X66(1, 0x3C, "PMAXSB");
  X66(1, 0x3D, "PMAXSD");
  X66(1, 0x3E, "PMAXUW");
  X66(1, 0x3F, "PMAXUD");
  X66(1, 0x40, "PMULLD");
  X66(1, 0x41, "PHMINPOSUW");
  b.r(1, 0xC8, x("SHA1NEXTE\t%Q,%q"));
  b.r(1, 0xC9, x("SHA1MSG1\t%Q,%q"));
  b.r(1, 0xCA, x("SHA1MSG2\t%Q,%q"));
  b.r(1, 0xCB, x("SHA256RNDS2\tX0,%Q,%q"));
  b.r(1, 0xCC, x("SHA256MSG1\t%Q,%q"));
  b.r(1, 0xCD, x("SHA256MSG2\t%Q,%q"));
  X66(1, 0xDB, "AESIMC");
  X66(1, 0xDC, "AESENC");
  X66(1, 0xDD, "AESENCLAST");
  X66(1, 0xDE, "AESDEC");
  X66(1, 0xDF, "AESDECLAST");
  b.r(1, 0xF0, xm("MOVBE%S\t%e,%r"), xm("MOVBE%S\t%e,%r"), U, xb("CRC32B\t%e,%R"));
  b.r(1, 0xF1, xm("MOVBE%S\t%r,%e"), xm("MOVBE%S\t%r,%e"), U, x("CRC32%S\t%e,%R"));
  b.r(1, 0xF6, U, x("ADCXL\t%e,%R"), x("ADOXL\t%e,%R"));

  /* 0F 3A */
  b.r(2, 0x08, U, xi("ROUNDPS\t%i,%Q,%q"));
  b.r(2, 0x09, U, xi("ROUNDPD\t%i,%Q,%q"));
  b.r(2, 0x0A, U, xi("ROUNDSS\t%i,%Q,%q"));
  b.r(2, 0x0B, U, xi("ROUNDSD\t%i,%Q,%q"));
  b.r(2, 0x0C, U, xi("BLENDPS\t%i,%Q,%q"));
  b.r(2, 0x0D, U, xi("BLENDPD\t%i,%Q,%q"));
  b.r(2, 0x0E, U, xi("PBLENDW\t%i,%Q,%q"));
  b.r(2, 0x0F, xi("PALIGNR\t%i,%M,%m"), xi("PALIGNR\t%i,%Q,%q"));
  b.r(2, 0x14, U, xi("PEXTRB\t%i,%q,%e"));
  b.r(2, 0x15, U, xi("PEXTRW\t%i,%q,%e"));
  b.r(2, 0x16, U, xi("PEXTRD\t%i,%q,%e"));
  b.r(2, 0x17, U, xi("EXTRACTPS\t%i,%q,%e"));
  b.r(2, 0x20, U, xi("PINSRB\t%i,%e,%q"));
  b.r(2, 0x21, U, xi("INSERTPS\t%i,%Q,%q"));
  b.r(2, 0x22, U, xi("PINSRD\t%i,%e,%q"));
  b.r(2, 0x40, U, xi("DPPS\t%i,%Q,%q"));
  b.r(2, 0x41, U, xi("DPPD\t%i,%Q,%q"));
  b.r(2, 0x42, U, xi("MPSADBW\t%i,%Q,%q"));
  b.r(2, 0x44, U, xi("PCLMULQDQ\t%i,%Q,%q"));
  b.r(2, 0x60, U, xi("PCMPESTRM\t%i,%Q,%q"));
  b.r(2, 0x61, U, xi("PCMPESTRI\t%i,%Q,%q"));
  b.r(2, 0x62, U, xi("PCMPISTRM\t%i,%Q,%q"));
  b.r(2, 0x63, U, xi("PCMPISTRI\t%i,%Q,%q"));
  b.r(2, 0xCC, xi("SHA1RNDS4\t%i,%Q,%q"));
  b.r(2, 0xDF, U, xi("AESKEYGENASSIST\t%i,%Q,%q"));
  return b.s;
}

}  // namespace

constexpr das_sel das_legacy_sel = das_build();
constexpr das_map das_legacy_map = das_link(das_legacy_sel);
