/*
** das_vex.cpp: the VEX maps 0F, 0F 38 and 0F 3A (AVX, AVX2, FMA, BMI, VEX
** forms of AES and PCLMULQDQ), four rows per opcode for VEX.pp = none, 66,
** F3, F2. %y/%Y/%v name X0..X7 or Y0..Y7 by VEX.L; %q/%Q/%u are always
** XMM (scalar and 128-bit operands); %V is vvvv as a general register.
*/
#include "native/das386/das_internal.h"

namespace {

constexpr das_entry U{};
constexpr das_entry e3(int k1, int k2, int k3, const char *t) {
  return das_entry{{(unsigned char)k1, (unsigned char)k2, (unsigned char)k3}, t, nullptr};
}
constexpr das_entry x(const char *t) { return e3(DK_MODRM, 0, 0, t); }
constexpr das_entry xi(const char *t) { return e3(DK_MODRM, DK_IMM8, 0, t); }
constexpr das_entry xr(const char *t) { return e3(DK_REGONLY, 0, 0, t); }
constexpr das_entry xm(const char *t) { return e3(DK_MEMONLY, 0, 0, t); }
constexpr das_entry xri(const char *t) { return e3(DK_REGONLY, DK_IMM8, 0, t); }
/* 128-bit only (VEX.L 0) and 256-bit only (VEX.L 1) forms */
constexpr das_entry x0(const char *t) { return e3(DK_MODRM, DK_VL0, 0, t); }
constexpr das_entry xi0(const char *t) { return e3(DK_MODRM, DK_IMM8, DK_VL0, t); }
constexpr das_entry xr0(const char *t) { return e3(DK_REGONLY, DK_VL0, 0, t); }
constexpr das_entry xm0(const char *t) { return e3(DK_MEMONLY, DK_VL0, 0, t); }
constexpr das_entry x1(const char *t) { return e3(DK_MODRM, DK_VL1, 0, t); }
constexpr das_entry xi1(const char *t) { return e3(DK_MODRM, DK_IMM8, DK_VL1, t); }
constexpr das_entry xm1(const char *t) { return e3(DK_MEMONLY, DK_VL1, 0, t); }
constexpr das_entry g(int k, const das_entry *t) {
  return das_entry{{(unsigned char)k, 0, 0}, nullptr, t};
}
/* the entry with one more check in its first free kind */
constexpr das_entry with(das_entry e, int k) {
  for (unsigned char &c : e.kind)
    if (!c) {
      c = (unsigned char)k;
      break;
    }
  return e;
}
constexpr das_entry w0(das_entry e) { return with(e, DK_W0); }
constexpr das_entry w1(das_entry e) { return with(e, DK_W1); }

constexpr das_entry das_v71[8] = {
  U, U, xri("VPSRLW\t%i,%Y,%v"), U, xri("VPSRAW\t%i,%Y,%v"), U, xri("VPSLLW\t%i,%Y,%v"), U,
};
constexpr das_entry das_v72[8] = {
  U, U, xri("VPSRLD\t%i,%Y,%v"), U, xri("VPSRAD\t%i,%Y,%v"), U, xri("VPSLLD\t%i,%Y,%v"), U,
};
constexpr das_entry das_v73[8] = {
  U, U, xri("VPSRLQ\t%i,%Y,%v"), xri("VPSRLDQ\t%i,%Y,%v"),
  U, U, xri("VPSLLQ\t%i,%Y,%v"), xri("VPSLLDQ\t%i,%Y,%v"),
};
constexpr das_entry das_vae[16] = {
  U, U, x0("VLDMXCSR\t%e"), x0("VSTMXCSR\t%e"), U, U, U, U,
  U, U, U, U, U, U, U, U,
};
constexpr das_entry das_vbls[8] = {
  U, x0("BLSRL\t%e,%V"), x0("BLSMSKL\t%e,%V"), x0("BLSIL\t%e,%V"), U, U, U, U,
};
constexpr das_entry das_vzero[2] = {e3(0, 0, 0, "VZEROUPPER"), e3(0, 0, 0, "VZEROALL")};
/* [0] memory, [1] register: the register forms merge with vvvv */
constexpr das_entry das_vmovss[2] = {x("VMOVSS\t%e,%q"), x("VMOVSS\t%Q,%u,%q")};
constexpr das_entry das_vmovsd[2] = {x("VMOVSD\t%e,%q"), x("VMOVSD\t%Q,%u,%q")};
constexpr das_entry das_vmovss_st[2] = {x("VMOVSS\t%q,%e"), x("VMOVSS\t%q,%u,%Q")};
constexpr das_entry das_vmovsd_st[2] = {x("VMOVSD\t%q,%e"), x("VMOVSD\t%q,%u,%Q")};
constexpr das_entry das_vmovlps[2] = {x0("VMOVLPS\t%e,%u,%q"), x0("VMOVHLPS\t%Q,%u,%q")};
constexpr das_entry das_vmovhps[2] = {x0("VMOVHPS\t%e,%u,%q"), x0("VMOVLHPS\t%Q,%u,%q")};

/* Gathers by VEX.W: doubleword or quadword elements. */
constexpr das_entry vg(const char *t) { return e3(DK_VSIB, 0, 0, t); }
constexpr das_entry das_vg90[2] = {vg("VPGATHERDD\t%v,%G,%y"), vg("VPGATHERDQ\t%v,%H,%y")};
constexpr das_entry das_vg91[2] = {vg("VPGATHERQD\t%u,%G,%q"), vg("VPGATHERQQ\t%v,%G,%y")};
constexpr das_entry das_vg92[2] = {vg("VGATHERDPS\t%v,%G,%y"), vg("VGATHERDPD\t%v,%H,%y")};
constexpr das_entry das_vg93[2] = {vg("VGATHERQPS\t%u,%G,%q"), vg("VGATHERQPD\t%v,%G,%y")};

struct builder {
  das_sel s{};
  constexpr void r(int map, int op, das_entry a, das_entry b = U, das_entry c = U,
                   das_entry d = U) {
    das_entry *e = &s.e[map][4 * op];
    e[0] = a, e[1] = b, e[2] = c, e[3] = d;
  }
};

/* packed over %v, or with 66 only */
#define VP2(op, n) b.r(0, op, x(n "PS\t%Y,%v,%y"), x(n "PD\t%Y,%v,%y"))
#define VP4(op, n) \
  b.r(0, op, x(n "PS\t%Y,%v,%y"), x(n "PD\t%Y,%v,%y"), x(n "SS\t%Q,%u,%q"), \
      x(n "SD\t%Q,%u,%q"))
#define V66(map, op, n) b.r(map, op, U, x(n "\t%Y,%v,%y"))
#define V66S(map, op, n) b.r(map, op, U, x(n "\t%Q,%v,%y"))  /* count in an XMM */
#define V2(map, op, n) b.r(map, op, U, x(n "\t%Y,%y"))
#define VX(map, op, n) b.r(map, op, U, x(n "\t%Q,%y"))      /* widening */
#define FMA3(op, n) \
  b.r(1, op, U, x("VFMADDSUB" n "P%w\t%Y,%v,%y")), \
  b.r(1, op + 1, U, x("VFMSUBADD" n "P%w\t%Y,%v,%y")), \
  b.r(1, op + 2, U, x("VFMADD" n "P%w\t%Y,%v,%y")), \
  b.r(1, op + 3, U, x("VFMADD" n "S%w\t%Q,%u,%q")), \
  b.r(1, op + 4, U, x("VFMSUB" n "P%w\t%Y,%v,%y")), \
  b.r(1, op + 5, U, x("VFMSUB" n "S%w\t%Q,%u,%q")), \
  b.r(1, op + 6, U, x("VFNMADD" n "P%w\t%Y,%v,%y")), \
  b.r(1, op + 7, U, x("VFNMADD" n "S%w\t%Q,%u,%q")), \
  b.r(1, op + 8, U, x("VFNMSUB" n "P%w\t%Y,%v,%y")), \
  b.r(1, op + 9, U, x("VFNMSUB" n "S%w\t%Q,%u,%q"))

constexpr das_sel das_build() {
  builder b;
  /* 0F */
  b.r(0, 0x10, x("VMOVUPS\t%Y,%y"), x("VMOVUPD\t%Y,%y"), g(DK_MODSEL, das_vmovss),
      g(DK_MODSEL, das_vmovsd));
  b.r(0, 0x11, x("VMOVUPS\t%y,%Y"), x("VMOVUPD\t%y,%Y"), g(DK_MODSEL, das_vmovss_st),
      g(DK_MODSEL, das_vmovsd_st));
  b.r(0, 0x12, g(DK_MODSEL, das_vmovlps), xm0("VMOVLPD\t%e,%u,%q"), x("VMOVSLDUP\t%Y,%y"),
      x("VMOVDDUP\t%Y,%y"));
  b.r(0, 0x13, xm0("VMOVLPS\t%q,%e"), xm0("VMOVLPD\t%q,%e"));
  VP2(0x14, "VUNPCKL");
  VP2(0x15, "VUNPCKH");
  b.r(0, 0x16, g(DK_MODSEL, das_vmovhps), xm0("VMOVHPD\t%e,%u,%q"), x("VMOVSHDUP\t%Y,%y"));
  b.r(0, 0x17, xm0("VMOVHPS\t%q,%e"), xm0("VMOVHPD\t%q,%e"));
  b.r(0, 0x28, x("VMOVAPS\t%Y,%y"), x("VMOVAPD\t%Y,%y"));
  b.r(0, 0x29, x("VMOVAPS\t%y,%Y"), x("VMOVAPD\t%y,%Y"));
  b.r(0, 0x2A, U, U, x("VCVTSI2SSL\t%e,%u,%q"), x("VCVTSI2SDL\t%e,%u,%q"));
  b.r(0, 0x2B, xm("VMOVNTPS\t%y,%e"), xm("VMOVNTPD\t%y,%e"));
  b.r(0, 0x2C, U, U, x("VCVTTSS2SIL\t%Q,%R"), x("VCVTTSD2SIL\t%Q,%R"));
  b.r(0, 0x2D, U, U, x("VCVTSS2SIL\t%Q,%R"), x("VCVTSD2SIL\t%Q,%R"));
  b.r(0, 0x2E, x("VUCOMISS\t%Q,%q"), x("VUCOMISD\t%Q,%q"));
  b.r(0, 0x2F, x("VCOMISS\t%Q,%q"), x("VCOMISD\t%Q,%q"));
  b.r(0, 0x50, xr("VMOVMSKPS\t%Y,%R"), xr("VMOVMSKPD\t%Y,%R"));
  b.r(0, 0x51, x("VSQRTPS\t%Y,%y"), x("VSQRTPD\t%Y,%y"), x("VSQRTSS\t%Q,%u,%q"),
      x("VSQRTSD\t%Q,%u,%q"));
  b.r(0, 0x52, x("VRSQRTPS\t%Y,%y"), U, x("VRSQRTSS\t%Q,%u,%q"));
  b.r(0, 0x53, x("VRCPPS\t%Y,%y"), U, x("VRCPSS\t%Q,%u,%q"));
  VP2(0x54, "VAND");
  VP2(0x55, "VANDN");
  VP2(0x56, "VOR");
  VP2(0x57, "VXOR");
  VP4(0x58, "VADD");
  VP4(0x59, "VMUL");
  b.r(0, 0x5A, x("VCVTPS2PD\t%Q,%y"), x("VCVTPD2PS\t%Y,%q"), x("VCVTSS2SD\t%Q,%u,%q"),
      x("VCVTSD2SS\t%Q,%u,%q"));
  b.r(0, 0x5B, x("VCVTDQ2PS\t%Y,%y"), x("VCVTPS2DQ\t%Y,%y"), x("VCVTTPS2DQ\t%Y,%y"));
  VP4(0x5C, "VSUB");
  VP4(0x5D, "VMIN");
  VP4(0x5E, "VDIV");
  VP4(0x5F, "VMAX");
  V66(0, 0x60, "VPUNPCKLBW");
  V66(0, 0x61, "VPUNPCKLWD");
  V66(0, 0x62, "VPUNPCKLDQ");
  V66(0, 0x63, "VPACKSSWB");
  V66(0, 0x64, "VPCMPGTB");
  V66(0, 0x65, "VPCMPGTW");
  V66(0, 0x66, "VPCMPGTD");
  V66(0, 0x67, "VPACKUSWB");
  V66(0, 0x68, "VPUNPCKHBW");
  V66(0, 0x69, "VPUNPCKHWD");
  V66(0, 0x6A, "VPUNPCKHDQ");
  V66(0, 0x6B, "VPACKSSDW");
  V66(0, 0x6C, "VPUNPCKLQDQ");
  V66(0, 0x6D, "VPUNPCKHQDQ");
  b.r(0, 0x6E, U, x0("VMOVD\t%e,%q"));
  b.r(0, 0x6F, U, x("VMOVDQA\t%Y,%y"), x("VMOVDQU\t%Y,%y"));
  b.r(0, 0x70, U, xi("VPSHUFD\t%i,%Y,%y"), xi("VPSHUFHW\t%i,%Y,%y"), xi("VPSHUFLW\t%i,%Y,%y"));
  b.r(0, 0x71, U, g(DK_GROUP, das_v71));
  b.r(0, 0x72, U, g(DK_GROUP, das_v72));
  b.r(0, 0x73, U, g(DK_GROUP, das_v73));
  V66(0, 0x74, "VPCMPEQB");
  V66(0, 0x75, "VPCMPEQW");
  V66(0, 0x76, "VPCMPEQD");
  b.r(0, 0x77, g(DK_VEXL, das_vzero));
  b.r(0, 0x7C, U, x("VHADDPD\t%Y,%v,%y"), U, x("VHADDPS\t%Y,%v,%y"));
  b.r(0, 0x7D, U, x("VHSUBPD\t%Y,%v,%y"), U, x("VHSUBPS\t%Y,%v,%y"));
  b.r(0, 0x7E, U, x0("VMOVD\t%q,%e"), x0("VMOVQ\t%Q,%q"));
  b.r(0, 0x7F, U, x("VMOVDQA\t%y,%Y"), x("VMOVDQU\t%y,%Y"));
  b.r(0, 0xAE, g(DK_FGROUP, das_vae));
  b.r(0, 0xC2, xi("VCMPPS\t%i,%Y,%v,%y"), xi("VCMPPD\t%i,%Y,%v,%y"), xi("VCMPSS\t%i,%Q,%u,%q"),
      xi("VCMPSD\t%i,%Q,%u,%q"));
  b.r(0, 0xC4, U, xi0("VPINSRW\t%i,%e,%u,%q"));
  b.r(0, 0xC5, U, e3(DK_REGONLY, DK_IMM8, DK_VL0, "VPEXTRW\t%i,%Q,%R"));
  b.r(0, 0xC6, xi("VSHUFPS\t%i,%Y,%v,%y"), xi("VSHUFPD\t%i,%Y,%v,%y"));
  b.r(0, 0xD0, U, x("VADDSUBPD\t%Y,%v,%y"), U, x("VADDSUBPS\t%Y,%v,%y"));
  V66S(0, 0xD1, "VPSRLW");
  V66S(0, 0xD2, "VPSRLD");
  V66S(0, 0xD3, "VPSRLQ");
  V66(0, 0xD4, "VPADDQ");
  V66(0, 0xD5, "VPMULLW");
  b.r(0, 0xD6, U, x0("VMOVQ\t%q,%Q"));
  b.r(0, 0xD7, U, xr("VPMOVMSKB\t%Y,%R"));
  V66(0, 0xD8, "VPSUBUSB");
  V66(0, 0xD9, "VPSUBUSW");
  V66(0, 0xDA, "VPMINUB");
  V66(0, 0xDB, "VPAND");
  V66(0, 0xDC, "VPADDUSB");
  V66(0, 0xDD, "VPADDUSW");
  V66(0, 0xDE, "VPMAXUB");
  V66(0, 0xDF, "VPANDN");
  V66(0, 0xE0, "VPAVGB");
  V66S(0, 0xE1, "VPSRAW");
  V66S(0, 0xE2, "VPSRAD");
  V66(0, 0xE3, "VPAVGW");
  V66(0, 0xE4, "VPMULHUW");
  V66(0, 0xE5, "VPMULHW");
  b.r(0, 0xE6, U, x("VCVTTPD2DQ\t%Y,%q"), x("VCVTDQ2PD\t%Q,%y"), x("VCVTPD2DQ\t%Y,%q"));
  b.r(0, 0xE7, U, xm("VMOVNTDQ\t%y,%e"));
  V66(0, 0xE8, "VPSUBSB");
  V66(0, 0xE9, "VPSUBSW");
  V66(0, 0xEA, "VPMINSW");
  V66(0, 0xEB, "VPOR");
  V66(0, 0xEC, "VPADDSB");
  V66(0, 0xED, "VPADDSW");
  V66(0, 0xEE, "VPMAXSW");
  V66(0, 0xEF, "VPXOR");
  b.r(0, 0xF0, U, U, U, xm("VLDDQU\t%e,%y"));
  V66S(0, 0xF1, "VPSLLW");
  V66S(0, 0xF2, "VPSLLD");
  V66S(0, 0xF3, "VPSLLQ");
  V66(0, 0xF4, "VPMULUDQ");
  V66(0, 0xF5, "VPMADDWD");
  V66(0, 0xF6, "VPSADBW");
  b.r(0, 0xF7, U, xr0("VMASKMOVDQU\t%Q,%q"));
  V66(0, 0xF8, "VPSUBB");
  V66(0, 0xF9, "VPSUBW");
  V66(0, 0xFA, "VPSUBD");
  V66(0, 0xFB, "VPSUBQ");
  V66(0, 0xFC, "VPADDB");
  V66(0, 0xFD, "VPADDW");
  V66(0, 0xFE, "VPADDD");

  /* 0F 38 */
  V66(1, 0x00, "VPSHUFB");
  V66(1, 0x01, "VPHADDW");
  V66(1, 0x02, "VPHADDD");
  V66(1, 0x03, "VPHADDSW");
  V66(1, 0x04, "VPMADDUBSW");
  V66(1, 0x05, "VPHSUBW");
  V66(1, 0x06, "VPHSUBD");
  V66(1, 0x07, "VPHSUBSW");
  V66(1, 0x08, "VPSIGNB");
  V66(1, 0x09, "VPSIGNW");
  V66(1, 0x0A, "VPSIGND");
  V66(1, 0x0B, "VPMULHRSW");
  b.r(1, 0x0C, U, w0(x("VPERMILPS\t%Y,%v,%y")));
  b.r(1, 0x0D, U, w0(x("VPERMILPD\t%Y,%v,%y")));
  b.r(1, 0x0E, U, w0(x("VTESTPS\t%Y,%y")));
  b.r(1, 0x0F, U, w0(x("VTESTPD\t%Y,%y")));
  b.r(1, 0x13, U, w0(x("VCVTPH2PS\t%Q,%y")));
  b.r(1, 0x16, U, w0(x1("VPERMPS\t%Y,%v,%y")));
  V2(1, 0x17, "VPTEST");
  b.r(1, 0x18, U, w0(x("VBROADCASTSS\t%Q,%y")));
  b.r(1, 0x19, U, w0(x1("VBROADCASTSD\t%Q,%y")));
  b.r(1, 0x1A, U, w0(xm1("VBROADCASTF128\t%e,%y")));
  V2(1, 0x1C, "VPABSB");
  V2(1, 0x1D, "VPABSW");
  V2(1, 0x1E, "VPABSD");
  VX(1, 0x20, "VPMOVSXBW");
  VX(1, 0x21, "VPMOVSXBD");
  VX(1, 0x22, "VPMOVSXBQ");
  VX(1, 0x23, "VPMOVSXWD");
  VX(1, 0x24, "VPMOVSXWQ");
  VX(1, 0x25, "VPMOVSXDQ");
  V66(1, 0x28, "VPMULDQ");
  V66(1, 0x29, "VPCMPEQQ");
  b.r(1, 0x2A, U, xm("VMOVNTDQA\t%e,%y"));
  V66(1, 0x2B, "VPACKUSDW");
  b.r(1, 0x2C, U, w0(xm("VMASKMOVPS\t%e,%v,%y")));
  b.r(1, 0x2D, U, w0(xm("VMASKMOVPD\t%e,%v,%y")));
  b.r(1, 0x2E, U, w0(xm("VMASKMOVPS\t%y,%v,%e")));
  b.r(1, 0x2F, U, w0(xm("VMASKMOVPD\t%y,%v,%e")));
  VX(1, 0x30, "VPMOVZXBW");
  VX(1, 0x31, "VPMOVZXBD");
  VX(1, 0x32, "VPMOVZXBQ");
  VX(1, 0x33, "VPMOVZXWD");
  VX(1, 0x34, "VPMOVZXWQ");
  VX(1, 0x35, "VPMOVZXDQ");
  b.r(1, 0x36, U, w0(x1("VPERMD\t%Y,%v,%y")));
  V66(1, 0x37, "VPCMPGTQ");
  V66(1, 0x38, "VPMINSB");
  V66(1, 0x39, "VPMINSD");
  V66(1, 0x3A, "VPMINUW");
  V66(1, 0x3B, "VPMINUD");
  V66(1, 0x3C, "VPMAXSB");
  V66(1, 0x3D, "VPMAXSD");
  V66(1, 0x3E, "VPMAXUW");
  V66(1, 0x3F, "VPMAXUD");
  V66(1, 0x40, "VPMULLD");
  b.r(1, 0x41, U, x0("VPHMINPOSUW\t%Q,%q"));
  V66(1, 0x45, "VPSRLV%W");
  b.r(1, 0x46, U, w0(x("VPSRAVD\t%Y,%v,%y")));
  V66(1, 0x47, "VPSLLV%W");
  b.r(1, 0x58, U, w0(x("VPBROADCASTD\t%Q,%y")));
  b.r(1, 0x59, U, w0(x("VPBROADCASTQ\t%Q,%y")));
  b.r(1, 0x5A, U, w0(xm1("VBROADCASTI128\t%e,%y")));
  b.r(1, 0x78, U, w0(x("VPBROADCASTB\t%Q,%y")));
  b.r(1, 0x79, U, w0(x("VPBROADCASTW\t%Q,%y")));
  b.r(1, 0x8C, U, xm("VPMASKMOV%W\t%e,%v,%y"));
  b.r(1, 0x8E, U, xm("VPMASKMOV%W\t%y,%v,%e"));
  b.r(1, 0x90, U, g(DK_VEXW, das_vg90));
  b.r(1, 0x91, U, g(DK_VEXW, das_vg91));
  b.r(1, 0x92, U, g(DK_VEXW, das_vg92));
  b.r(1, 0x93, U, g(DK_VEXW, das_vg93));
  FMA3(0x96, "132");
  FMA3(0xA6, "213");
  FMA3(0xB6, "231");
  b.r(1, 0xDB, U, x0("VAESIMC\t%Q,%q"));
  V66(1, 0xDC, "VAESENC");
  V66(1, 0xDD, "VAESENCLAST");
  V66(1, 0xDE, "VAESDEC");
  V66(1, 0xDF, "VAESDECLAST");
  b.r(1, 0xF2, x0("ANDNL\t%e,%V,%R"));
  b.r(1, 0xF3, g(DK_GROUP, das_vbls));
  b.r(1, 0xF5, x0("BZHIL\t%V,%e,%R"), U, x0("PEXTL\t%e,%V,%R"), x0("PDEPL\t%e,%V,%R"));
  b.r(1, 0xF6, U, U, U, x0("MULXL\t%e,%V,%R"));
  b.r(1, 0xF7, x0("BEXTRL\t%V,%e,%R"), x0("SHLXL\t%V,%e,%R"), x0("SARXL\t%V,%e,%R"),
      x0("SHRXL\t%V,%e,%R"));

  /* 0F 3A */
  b.r(2, 0x00, U, w1(xi1("VPERMQ\t%i,%Y,%y")));
  b.r(2, 0x01, U, w1(xi1("VPERMPD\t%i,%Y,%y")));
  b.r(2, 0x02, U, w0(xi("VPBLENDD\t%i,%Y,%v,%y")));
  b.r(2, 0x04, U, w0(xi("VPERMILPS\t%i,%Y,%y")));
  b.r(2, 0x05, U, w0(xi("VPERMILPD\t%i,%Y,%y")));
  b.r(2, 0x06, U, w0(xi1("VPERM2F128\t%i,%Y,%v,%y")));
  b.r(2, 0x08, U, xi("VROUNDPS\t%i,%Y,%y"));
  b.r(2, 0x09, U, xi("VROUNDPD\t%i,%Y,%y"));
  b.r(2, 0x0A, U, xi("VROUNDSS\t%i,%Q,%u,%q"));
  b.r(2, 0x0B, U, xi("VROUNDSD\t%i,%Q,%u,%q"));
  b.r(2, 0x0C, U, xi("VBLENDPS\t%i,%Y,%v,%y"));
  b.r(2, 0x0D, U, xi("VBLENDPD\t%i,%Y,%v,%y"));
  b.r(2, 0x0E, U, xi("VPBLENDW\t%i,%Y,%v,%y"));
  b.r(2, 0x0F, U, xi("VPALIGNR\t%i,%Y,%v,%y"));
  b.r(2, 0x14, U, xi0("VPEXTRB\t%i,%q,%e"));
  b.r(2, 0x15, U, xi0("VPEXTRW\t%i,%q,%e"));
  b.r(2, 0x16, U, xi0("VPEXTRD\t%i,%q,%e"));
  b.r(2, 0x17, U, xi0("VEXTRACTPS\t%i,%q,%e"));
  b.r(2, 0x18, U, w0(xi1("VINSERTF128\t%i,%Q,%v,%y")));
  b.r(2, 0x19, U, w0(xi1("VEXTRACTF128\t%i,%y,%Q")));
  b.r(2, 0x1D, U, w0(xi("VCVTPS2PH\t%i,%y,%Q")));
  b.r(2, 0x20, U, xi0("VPINSRB\t%i,%e,%u,%q"));
  b.r(2, 0x21, U, xi0("VINSERTPS\t%i,%Q,%u,%q"));
  b.r(2, 0x22, U, xi0("VPINSRD\t%i,%e,%u,%q"));
  b.r(2, 0x38, U, w0(xi1("VINSERTI128\t%i,%Q,%v,%y")));
  b.r(2, 0x39, U, w0(xi1("VEXTRACTI128\t%i,%y,%Q")));
  b.r(2, 0x40, U, xi("VDPPS\t%i,%Y,%v,%y"));
  b.r(2, 0x41, U, xi0("VDPPD\t%i,%Q,%u,%q"));
  b.r(2, 0x42, U, xi("VMPSADBW\t%i,%Y,%v,%y"));
  b.r(2, 0x44, U, xi("VPCLMULQDQ\t%i,%Y,%v,%y"));
  b.r(2, 0x46, U, w0(xi1("VPERM2I128\t%i,%Y,%v,%y")));
  b.r(2, 0x4A, U, w0(xi("VBLENDVPS\t%Z,%Y,%v,%y")));
  b.r(2, 0x4B, U, w0(xi("VBLENDVPD\t%Z,%Y,%v,%y")));
  b.r(2, 0x4C, U, w0(xi("VPBLENDVB\t%Z,%Y,%v,%y")));
  b.r(2, 0x60, U, xi0("VPCMPESTRM\t%i,%Q,%q"));
  b.r(2, 0x61, U, xi0("VPCMPESTRI\t%i,%Q,%q"));
  b.r(2, 0x62, U, xi0("VPCMPISTRM\t%i,%Q,%q"));
  b.r(2, 0x63, U, xi0("VPCMPISTRI\t%i,%Q,%q"));
  b.r(2, 0xDF, U, xi0("VAESKEYGENASSIST\t%i,%Q,%q"));
  b.r(2, 0xF0, U, U, U, xi0("RORXL\t%i,%e,%R"));
  return b.s;
}

}  // namespace

constexpr das_sel das_vex_sel = das_build();
constexpr das_map das_vex_map = das_link(das_vex_sel);
