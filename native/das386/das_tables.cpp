/*
** das_tables.cpp: the opcode tables. Operands are written source first,
** destination last; mnemonics carry the operand-size letter (%S or B/W/L,
** F/D/X single/double/extended reals, W/L/V 16/32/64-bit integers);
** conditions are OS OC CS CC EQ NE LS HI MI PL PS PC LT GE LE GT.
*/
#include "native/das386/das_internal.h"

#define U {{0, 0}, nullptr, nullptr}
#define T(t) {{0, 0}, t, nullptr}
#define T1(k, t) {{k, 0}, t, nullptr}
#define T2(k1, k2, t) {{k1, k2}, t, nullptr}
#define G(k, tab) {{k, 0}, nullptr, tab}
#define U4 U, U, U, U
#define U8 U4, U4

/* Eight rows over the registers AX..DI (or AL..BH). */
#define WREGS(k, m, tail) \
  T1(k, m "%OAX" tail), T1(k, m "%OCX" tail), T1(k, m "%ODX" tail), T1(k, m "%OBX" tail), \
  T1(k, m "%OSP" tail), T1(k, m "%OBP" tail), T1(k, m "%OSI" tail), T1(k, m "%ODI" tail)
#define BREGS(k, m, tail) \
  T1(k, m "AL" tail), T1(k, m "CL" tail), T1(k, m "DL" tail), T1(k, m "BL" tail), \
  T1(k, m "AH" tail), T1(k, m "CH" tail), T1(k, m "DH" tail), T1(k, m "BH" tail)

/* Sixteen rows over the condition codes. */
#define CONDS(k, m, tail) \
  T1(k, m "OS" tail), T1(k, m "OC" tail), T1(k, m "CS" tail), T1(k, m "CC" tail), \
  T1(k, m "EQ" tail), T1(k, m "NE" tail), T1(k, m "LS" tail), T1(k, m "HI" tail), \
  T1(k, m "MI" tail), T1(k, m "PL" tail), T1(k, m "PS" tail), T1(k, m "PC" tail), \
  T1(k, m "LT" tail), T1(k, m "GE" tail), T1(k, m "LE" tail), T1(k, m "GT" tail)

/* The six forms of 00-05 and the other arithmetic rows. */
#define ALU(m) \
  T1(DK_MODRMB, m "B\t%r,%e"), T1(DK_MODRM, m "%S\t%r,%e"), \
  T1(DK_MODRMB, m "B\t%e,%r"), T1(DK_MODRM, m "%S\t%e,%r"), \
  T1(DK_IMM8, m "B\t%i,AL"), T1(DK_IMMV, m "%S\t%i,%OAX")

/* Groups 80-83: the arithmetic operation in reg, immediate kind k. */
#define ARITH(k, sz) \
  T1(k, "ADD" sz "\t%i,%e"), T1(k, "OR" sz "\t%i,%e"), T1(k, "ADC" sz "\t%i,%e"), \
  T1(k, "SBB" sz "\t%i,%e"), T1(k, "AND" sz "\t%i,%e"), T1(k, "SUB" sz "\t%i,%e"), \
  T1(k, "XOR" sz "\t%i,%e"), T1(k, "CMP" sz "\t%i,%e")

/* Shift groups C0, C1, D0-D3; count is the source operand text. */
#define SHIFT(k, sz, count) \
  T1(k, "ROL" sz "\t" count "%e"), T1(k, "ROR" sz "\t" count "%e"), \
  T1(k, "RCL" sz "\t" count "%e"), T1(k, "RCR" sz "\t" count "%e"), \
  T1(k, "SHL" sz "\t" count "%e"), T1(k, "SHR" sz "\t" count "%e"), \
  T1(k, "SAL" sz "\t" count "%e"), T1(k, "SAR" sz "\t" count "%e")

static const das_entry das_g80[8] = {ARITH(DK_IMM8, "B")};
static const das_entry das_g81[8] = {ARITH(DK_IMMV, "%S")};
static const das_entry das_g83[8] = {ARITH(DK_IMM8S, "%S")};
static const das_entry das_g8f[8] = {T("POP%S\t%e"), U, U, U, U4};
static const das_entry das_gc0[8] = {SHIFT(DK_IMM8, "B", "%i,")};
static const das_entry das_gc1[8] = {SHIFT(DK_IMM8, "%S", "%i,")};
static const das_entry das_gc6[8] = {T1(DK_IMM8, "MOVB\t%i,%e"), U, U, U, U4};
static const das_entry das_gc7[8] = {T1(DK_IMMV, "MOV%S\t%i,%e"), U, U, U, U4};
static const das_entry das_gd0[8] = {SHIFT(DK_NONE, "B", "$1,")};
static const das_entry das_gd1[8] = {SHIFT(DK_NONE, "%S", "$1,")};
static const das_entry das_gd2[8] = {SHIFT(DK_NONE, "B", "CL,")};
static const das_entry das_gd3[8] = {SHIFT(DK_NONE, "%S", "CL,")};

static const das_entry das_gf6[8] = {
  T1(DK_IMM8, "TESTB\t%i,%e"), T1(DK_IMM8, "TESTB\t%i,%e"),
  T("NOTB\t%e"), T("NEGB\t%e"),
  T("MULB\tAL,%e"), T("IMULB\tAL,%e"), T("DIVB\tAL,%e"), T("IDIVB\tAL,%e"),
};
static const das_entry das_gf7[8] = {
  T1(DK_IMMV, "TEST%S\t%i,%e"), T1(DK_IMMV, "TEST%S\t%i,%e"),
  T("NOT%S\t%e"), T("NEG%S\t%e"),
  T("MUL%S\t%OAX,%e"), T("IMUL%S\t%OAX,%e"), T("DIV%S\t%OAX,%e"), T("IDIV%S\t%OAX,%e"),
};
static const das_entry das_gfe[8] = {T("INCB\t%e"), T("DECB\t%e"), U, U, U4};
static const das_entry das_gff[8] = {
  T("INC%S\t%e"), T("DEC%S\t%e"),
  T1(DK_INDIRECT, "CALL*%S %e"), T2(DK_MEMONLY, DK_INDIRECT, "CALLF*%S %e"),
  T1(DK_INDIRECT, "JMP*%S\t%e"), T2(DK_MEMONLY, DK_INDIRECT, "JMPF*%S %e"),
  T("PUSHL\t%e"), U,
};

/* Floating point. Sixteen-entry tables: [reg] for memory operands,
   [8 + reg] for register operands (%f is F0..F7 from r/m). */
static const das_entry das_fd8[16] = {
  T("FADDF\t%e,F0"), T("FMULF\t%e,F0"), T("FCOMF\t%e,F0"), T("FCOMFP\t%e,F0"),
  T("FSUBF\t%e,F0"), T("FSUBRF\t%e,F0"), T("FDIVF\t%e,F0"), T("FDIVRF\t%e,F0"),
  T("FADDD\t%f,F0"), T("FMULD\t%f,F0"), T("FCOMD\t%f,F0"), T("FCOMDP\t%f,F0"),
  T("FSUBD\t%f,F0"), T("FSUBRD\t%f,F0"), T("FDIVD\t%f,F0"), T("FDIVRD\t%f,F0"),
};
static const das_entry das_fda[16] = {
  T("FADDL\t%e,F0"), T("FMULL\t%e,F0"), T("FCOML\t%e,F0"), T("FCOMLP\t%e,F0"),
  T("FSUBL\t%e,F0"), T("FSUBRL\t%e,F0"), T("FDIVL\t%e,F0"), T("FDIVRL\t%e,F0"),
  T("FCMOVCS\t%f,F0"), T("FCMOVEQ\t%f,F0"), T("FCMOVLS\t%f,F0"), T("FCMOVPS\t%f,F0"),
  U, T1(DK_FST1, "FUCOMDPP"), U, U,
};
static const das_entry das_fdc[16] = {
  T("FADDD\t%e,F0"), T("FMULD\t%e,F0"), T("FCOMD\t%e,F0"), T("FCOMDP\t%e,F0"),
  T("FSUBD\t%e,F0"), T("FSUBRD\t%e,F0"), T("FDIVD\t%e,F0"), T("FDIVRD\t%e,F0"),
  T("FADDD\tF0,%f"), T("FMULD\tF0,%f"), U, U,
  T("FSUBRD\tF0,%f"), T("FSUBD\tF0,%f"), T("FDIVRD\tF0,%f"), T("FDIVD\tF0,%f"),
};
static const das_entry das_fdd[16] = {
  T("FMOVD\t%e,F0"), T("FISTTPV\tF0,%e"), T("FMOVD\tF0,%e"), T("FMOVDP\tF0,%e"),
  T("FRSTOR%S %e"), U, T("FSAVE%S %e"), T("FSTSW\t%e"),
  T("FFREE\t%f"), U, T("FMOVD\tF0,%f"), T("FMOVDP\tF0,%f"),
  T("FUCOMD\t%f,F0"), T("FUCOMDP %f,F0"), U, U,
};
static const das_entry das_fde[16] = {
  T("FADDW\t%e,F0"), T("FMULW\t%e,F0"), T("FCOMW\t%e,F0"), T("FCOMWP\t%e,F0"),
  T("FSUBW\t%e,F0"), T("FSUBRW\t%e,F0"), T("FDIVW\t%e,F0"), T("FDIVRW\t%e,F0"),
  T("FADDDP\tF0,%f"), T("FMULDP\tF0,%f"), U, T1(DK_FST1, "FCOMDPP"),
  T("FSUBRDP\tF0,%f"), T("FSUBDP\tF0,%f"), T("FDIVRDP\tF0,%f"), T("FDIVDP\tF0,%f"),
};
static const das_entry das_fdf[16] = {
  T("FMOVW\t%e,F0"), T("FISTTPW\tF0,%e"), T("FMOVW\tF0,%e"), T("FMOVWP\tF0,%e"),
  T("FBLD\t%e"), T("FMOVV\t%e,F0"), T("FBSTP\t%e"), T("FMOVVP\tF0,%e"),
  T("FFREEP\t%f"), U, U, U,
  T1(DK_FST0, "FSTSW\tAX"), T("FUCOMIP\t%f,F0"), T("FCOMIP\t%f,F0"), U,
};

/* Seventy-two-entry tables: [reg] for memory operands, [8 + (ModRM & 0x3F)]
   for the register forms, one row per ModRM byte C0..FF. */
#define FREG8(t) T(t), T(t), T(t), T(t), T(t), T(t), T(t), T(t)
static const das_entry das_fd9[72] = {
  T("FMOVF\t%e,F0"), U, T("FMOVF\tF0,%e"), T("FMOVFP\tF0,%e"),
  T("FLDENV%S %e"), T("FLDCW\t%e"), T("FSTENV%S %e"), T("FSTCW\t%e"),
  FREG8("FMOVD\t%f,F0"),                                     /* C0 */
  FREG8("FXCHD\t%f,F0"),                                     /* C8 */
  T("FNOP"), U, U, U, U4,                                    /* D0 */
  U8,                                                        /* D8 */
  T("FCHS"), T("FABS"), U, U, T("FTST"), T("FXAM"), U, U,    /* E0 */
  T("FLD1"), T("FLDL2T"), T("FLDL2E"), T("FLDPI"),           /* E8 */
  T("FLDLG2"), T("FLDLN2"), T("FLDZ"), U,
  T("F2XM1"), T("FYL2X"), T("FPTAN"), T("FPATAN"),           /* F0 */
  T("FXTRACT"), T("FPREM1"), T("FDECSTP"), T("FNCSTP"),
  T("FPREM"), T("FYL2XP1"), T("FSQRT"), T("FSINCOS"),        /* F8 */
  T("FRNDINT"), T("FSCALE"), T("FSIN"), T("FCOS"),
};
static const das_entry das_fdb[72] = {
  T("FMOVL\t%e,F0"), T("FISTTPL\tF0,%e"), T("FMOVL\tF0,%e"), T("FMOVLP\tF0,%e"),
  U, T("FMOVX\t%e,F0"), U, T("FMOVXP\tF0,%e"),
  FREG8("FCMOVCC\t%f,F0"),                                   /* C0 */
  FREG8("FCMOVNE\t%f,F0"),                                   /* C8 */
  FREG8("FCMOVHI\t%f,F0"),                                   /* D0 */
  FREG8("FCMOVPC\t%f,F0"),                                   /* D8 */
  T("FENI"), T("FDISI"), T("FCLEX"), T("FINIT"), T("FSETPM"), U, U, U, /* E0 */
  FREG8("FUCOMI\t%f,F0"),                                    /* E8 */
  FREG8("FCOMI\t%f,F0"),                                     /* F0 */
  U8,                                                        /* F8 */
};

/* Two-byte groups. */
static const das_entry das_g0f00[8] = {
  T("MOVW\tLDT,%e"), T("MOVW\tTR,%e"), T("MOVW\t%e,LDT"), T("MOVW\t%e,TR"),
  T("VERR\t%e"), T("VERW\t%e"), U, U,
};
/* [reg] for memory operands, [8 + (ModRM & 0x3F)] for the register forms,
   which are instructions of their own (one row per ModRM byte C0..FF). */
#define WREG8(t) T(t), T(t), T(t), T(t), T(t), T(t), T(t), T(t)
static const das_entry das_g0f01[72] = {
  T("MOVL\tGDTR,%e"), T("MOVL\tIDTR,%e"), T("MOVL\t%e,GDTR"), T("MOVL\t%e,IDTR"),
  T("MOVW\tMSW,%e"), U, T("MOVW\t%e,MSW"), T("INVLPG\t%e"),
  U, T("VMCALL"), T("VMLAUNCH"), T("VMRESUME"), T("VMXOFF"), U, U, U,        /* C0 */
  T("MONITOR"), T("MWAIT"), T("CLAC"), T("STAC"), U, U, U, T("ENCLS"),       /* C8 */
  T("XGETBV"), T("XSETBV"), U, U, T("VMFUNC"), T("XEND"), T("XTEST"), T("ENCLU"), /* D0 */
  T("VMRUN"), T("VMMCALL"), T("VMLOAD"), T("VMSAVE"),                        /* D8 */
  T("STGI"), T("CLGI"), T("SKINIT"), T("INVLPGA"),
  WREG8("MOVW\tMSW,%e"),                                                    /* E0 */
  T("SERIALIZE"), U, U, U, U, U, T("RDPKRU"), T("WRPKRU"),                   /* E8 */
  WREG8("MOVW\t%e,MSW"),                                                    /* F0 */
  U, T("RDTSCP"), T("MONITORX"), T("MWAITX"), T("CLZERO"), T("RDPRU"), U, U, /* F8 */
};
static const das_entry das_g0fba[8] = {
  U, U, U, U,
  T1(DK_IMM8, "BT%S\t%i,%e"), T1(DK_IMM8, "BTS%S\t%i,%e"),
  T1(DK_IMM8, "BTR%S\t%i,%e"), T1(DK_IMM8, "BTC%S\t%i,%e"),
};
/* Sixteen-entry groups as the floating-point ones: [reg] for memory,
   [8 + reg] for registers. */
/* Prefetch hints in memory forms; the rest of 0F 18-1F are hint NOPs. */
#define HNOP T("NOP%S\t%e")
static const das_entry das_g0f18[16] = {
  T("PREFETCHNTA\t%e"), T("PREFETCHT0\t%e"), T("PREFETCHT1\t%e"), T("PREFETCHT2\t%e"),
  HNOP, HNOP, HNOP, HNOP, HNOP, HNOP, HNOP, HNOP, HNOP, HNOP, HNOP, HNOP,
};
static const das_entry das_g0f0d[16] = {
  T("PREFETCH\t%e"), T("PREFETCHW\t%e"), T("PREFETCHWT1\t%e"), T("PREFETCH\t%e"),
  T("PREFETCH\t%e"), T("PREFETCH\t%e"), T("PREFETCH\t%e"), T("PREFETCH\t%e"),
  HNOP, HNOP, HNOP, HNOP, HNOP, HNOP, HNOP, HNOP,
};

/* Rows chosen by a mandatory prefix (das_simd.cpp). */
#define M(op) G(DK_MANDATORY, &das_legacy_sel.e[0][4 * (op)])
#define M4(op) M(op), M(op + 1), M(op + 2), M(op + 3)
#define M8(op) M4(op), M4(op + 4)

const das_entry das_two[256] = {
  /* 00 */ G(DK_GROUP, das_g0f00), G(DK_FGROUPX, das_g0f01),
  T1(DK_MODRM, "LAR%S\t%e,%r"), T1(DK_MODRM, "LSL%S\t%e,%r"),
  U, T("SYSCALL"), T("CLTS"), T("SYSRET"),
  /* 08 */ T("INVD"), T("WBINVD"), U, U, U, G(DK_FGROUP, das_g0f0d), T("FEMMS"), U,
  /* 10 */ M8(0x10),
  /* 18 */ G(DK_FGROUP, das_g0f18), T1(DK_MODRM, "NOP%S\t%e"), T1(DK_MODRM, "NOP%S\t%e"),
  T1(DK_MODRM, "NOP%S\t%e"), T1(DK_MODRM, "NOP%S\t%e"), T1(DK_MODRM, "NOP%S\t%e"),
  T1(DK_MODRM, "NOP%S\t%e"), T1(DK_MODRM, "NOP%S\t%e"),
  /* 20 */ T1(DK_REGONLY, "MOVL\t%C,%e"), T1(DK_REGONLY, "MOVL\t%D,%e"),
  T1(DK_REGONLY, "MOVL\t%e,%C"), T1(DK_REGONLY, "MOVL\t%e,%D"),
  T1(DK_REGONLY, "MOVL\t%T,%e"), U, T1(DK_REGONLY, "MOVL\t%e,%T"), U,
  /* 28 */ M8(0x28),
  /* 30 */ T("WRMSR"), T("RDTSC"), T("RDMSR"), T("RDPMC"),
  T("SYSENTER"), T("SYSEXIT"), U, U,
  /* 38 */ G(DK_ESCAPE, das_legacy_map.e[1]), U, G(DK_ESCAPE, das_legacy_map.e[2]), U, U4,
  /* 40 */ CONDS(DK_MODRM, "CMOV%S", "\t%e,%r"),
  /* 50 */ M8(0x50), M8(0x58),
  /* 60 */ M8(0x60), M8(0x68),
  /* 70 */ M8(0x70),
  /* 78 */ U, U, U, U, M(0x7C), M(0x7D), M(0x7E), M(0x7F),
  /* 80 */ CONDS(DK_RELV, "J", "\t%p"),
  /* 90 */ CONDS(DK_MODRMB, "SET", "\t%e"),
  /* A0 */ T("PUSHL\tFS"), T("POPL\tFS"), T("CPUID"), T1(DK_MODRM, "BT%S\t%r,%e"),
  T2(DK_MODRM, DK_IMM8, "SHLD%S\t%i,%r,%e"), T1(DK_MODRM, "SHLD%S\tCL,%r,%e"), U, U,
  /* A8 */ T("PUSHL\tGS"), T("POPL\tGS"), T("RSM"), T1(DK_MODRM, "BTS%S\t%r,%e"),
  T2(DK_MODRM, DK_IMM8, "SHRD%S\t%i,%r,%e"), T1(DK_MODRM, "SHRD%S\tCL,%r,%e"),
  M(0xAE),
  T1(DK_MODRM, "IMUL%S\t%e,%r"),
  /* B0 */ T1(DK_MODRMB, "CMPXCHGB\t%r,%e"), T1(DK_MODRM, "CMPXCHG%S\t%r,%e"),
  T1(DK_MEMONLY, "LSS%S\t%e,%r"), T1(DK_MODRM, "BTR%S\t%r,%e"),
  T1(DK_MEMONLY, "LFS%S\t%e,%r"), T1(DK_MEMONLY, "LGS%S\t%e,%r"),
  T1(DK_MODRMB, "MOVBZX\t%e,%R"), T1(DK_MODRM, "MOVWZX\t%e,%R"),
  /* B8 */ M(0xB8), U, G(DK_GROUP, das_g0fba), T1(DK_MODRM, "BTC%S\t%r,%e"),
  M(0xBC), M(0xBD),
  T1(DK_MODRMB, "MOVBSX\t%e,%R"), T1(DK_MODRM, "MOVWSX\t%e,%R"),
  /* C0 */ T1(DK_MODRMB, "XADDB\t%r,%e"), T1(DK_MODRM, "XADD%S\t%r,%e"),
  M4(0xC2), M(0xC6), M(0xC7),
  /* C8 */ WREGS(DK_NONE, "BSWAP%S\t", ""),
  /* D0 */ M8(0xD0), M8(0xD8),
  /* E0 */ M8(0xE0), M8(0xE8),
  /* F0 */ M8(0xF0), M4(0xF8), M(0xFC), M(0xFD), M(0xFE), U,
};

const das_entry das_one[256] = {
  /* 00 */ ALU("ADD"), T("PUSHL\tES"), T("POPL\tES"),
  /* 08 */ ALU("OR"), T("PUSHL\tCS"), G(DK_ESCAPE, das_two),
  /* 10 */ ALU("ADC"), T("PUSHL\tSS"), T("POPL\tSS"),
  /* 18 */ ALU("SBB"), T("PUSHL\tDS"), T("POPL\tDS"),
  /* 20 */ ALU("AND"), T1(DK_SEGMENT, "ES:"), T("DAA"),
  /* 28 */ ALU("SUB"), T1(DK_SEGMENT, "CS:"), T("DAS"),
  /* 30 */ ALU("XOR"), T1(DK_SEGMENT, "SS:"), T("AAA"),
  /* 38 */ ALU("CMP"), T1(DK_SEGMENT, "DS:"), T("AAS"),
  /* 40 */ WREGS(DK_NONE, "INC%S\t", ""),
  /* 48 */ WREGS(DK_NONE, "DEC%S\t", ""),
  /* 50 */ WREGS(DK_NONE, "PUSH%S\t", ""),
  /* 58 */ WREGS(DK_NONE, "POP%S\t", ""),
  /* 60 */ T("PUSHA%S"), T("POPA%S"), T1(DK_MEMONLY, "BOUND%S\t%e,%r"),
  T1(DK_MODRM, "ARPL\t%R,%e"),
  T1(DK_SEGMENT, "FS:"), T1(DK_SEGMENT, "GS:"), T1(DK_OPSIZE, "O16"), T1(DK_ADSIZE, "A16"),
  /* 68 */ T1(DK_IMMV, "PUSH%S\t%i"), T2(DK_MODRM, DK_IMMV, "IMUL%S\t%e,%i,%r"),
  T1(DK_IMM8S, "PUSH%S\t%i"), T2(DK_MODRM, DK_IMM8S, "IMUL%S\t%e,%i,%r"),
  T("INSB\tDX,[%ODI]"), T("INS%S\tDX,[%ODI]"), T("OUTSB\t[%OSI],DX"), T("OUTS%S\t[%OSI],DX"),
  /* 70 */ CONDS(DK_REL8, "J", "\t%p"),
  /* 80 */ G(DK_GROUPB, das_g80), G(DK_GROUP, das_g81), G(DK_GROUPB, das_g80),
  G(DK_GROUP, das_g83),
  T1(DK_MODRMB, "TESTB\t%r,%e"), T1(DK_MODRM, "TEST%S\t%r,%e"),
  T1(DK_MODRMB, "XCHGB\t%r,%e"), T1(DK_MODRM, "XCHG%S\t%r,%e"),
  /* 88 */ T1(DK_MODRMB, "MOVB\t%r,%e"), T1(DK_MODRM, "MOV%S\t%r,%e"),
  T1(DK_MODRMB, "MOVB\t%e,%r"), T1(DK_MODRM, "MOV%S\t%e,%r"),
  T1(DK_MODRM, "MOVW\t%g,%e"), T1(DK_MEMONLY, "LEA%S\t%e,%r"),
  T1(DK_MODRM, "MOVW\t%e,%g"), G(DK_GROUP, das_g8f),
  /* 90 */ T("NOP"), T("XCHG%S\t%OCX,%OAX"), T("XCHG%S\t%ODX,%OAX"), T("XCHG%S\t%OBX,%OAX"),
  T("XCHG%S\t%OSP,%OAX"), T("XCHG%S\t%OBP,%OAX"), T("XCHG%S\t%OSI,%OAX"), T("XCHG%S\t%ODI,%OAX"),
  /* 98 */ T("%X"), T("%x"), T1(DK_FAR, "CALL%S\t%d"), T("WAIT"),
  T("PUSH\tFLAGS"), T("POP\tFLAGS"), T("SAHF"), T("LAHF"),
  /* A0 */ T1(DK_OFFSET, "MOVB\t%E,AL"), T1(DK_OFFSET, "MOV%S\t%E,%OAX"),
  T1(DK_OFFSET, "MOVB\tAL,%E"), T1(DK_OFFSET, "MOV%S\t%OAX,%E"),
  T("MOVSB\t[%ASI],[%ADI]"), T("MOVS%S\t[%ASI],[%ADI]"),
  T("CMPSB\t[%ASI],[%ADI]"), T("CMPS%S\t[%ASI],[%ADI]"),
  /* A8 */ T1(DK_IMM8, "TESTB\t%i,AL"), T1(DK_IMMV, "TEST%S\t%i,%OAX"),
  T("STOSB\tAL,[%ADI]"), T("STOS%S\t%OAX,[%ADI]"),
  T("LODSB\t[%ASI],AL"), T("LODS%S\t[%ASI],%OAX"),
  T("SCASB\tAL,[%ADI]"), T("SCAS%S\t%OAX,[%ADI]"),
  /* B0 */ BREGS(DK_IMM8, "MOVB\t%i,", ""),
  /* B8 */ WREGS(DK_IMMV, "MOV%S\t%i,", ""),
  /* C0 */ G(DK_GROUPB, das_gc0), G(DK_GROUP, das_gc1),
  T2(DK_IMM16, DK_RETURN, "RET\t%i"), T1(DK_RETURN, "RET"),
  T2(DK_VEX, DK_MEMONLY, "LES%S\t%e,%r"), T2(DK_VEX, DK_MEMONLY, "LDS%S\t%e,%r"),
  G(DK_GROUPB, das_gc6), G(DK_GROUP, das_gc7),
  /* C8 */ T2(DK_IMM16, DK_IMM2, "ENTER\t%i,%I"), T("LEAVE"),
  T2(DK_IMM16, DK_RETURN, "RETF\t%i"), T1(DK_RETURN, "RETF"),
  T("INT\t3"), T1(DK_IMM8, "INTB\t%i"), T("INTO"), T1(DK_RETURN, "IRET%S"),
  /* D0 */ G(DK_GROUPB, das_gd0), G(DK_GROUP, das_gd1), G(DK_GROUPB, das_gd2),
  G(DK_GROUP, das_gd3),
  T1(DK_LIT0A, "AAM"), T1(DK_LIT0A, "AAD"), U, T("XLAT"),
  /* D8 */ G(DK_FGROUP, das_fd8), G(DK_FGROUPX, das_fd9), G(DK_FGROUP, das_fda),
  G(DK_FGROUPX, das_fdb), G(DK_FGROUP, das_fdc), G(DK_FGROUP, das_fdd),
  G(DK_FGROUP, das_fde), G(DK_FGROUP, das_fdf),
  /* E0 */ T1(DK_REL8, "LOOPNE\t%p"), T1(DK_REL8, "LOOPEQ\t%p"), T1(DK_REL8, "LOOP\t%p"),
  T1(DK_REL8, "JCXZ\t%p"),
  T1(DK_IMM8, "INB\t%i,AL"), T1(DK_IMM8, "IN%S\t%i,%OAX"),
  T1(DK_IMM8, "OUTB\tAL,%i"), T1(DK_IMM8, "OUT%S\t%OAX,%i"),
  /* E8 */ T1(DK_RELV, "CALL\t%p"), T1(DK_RELV, "JMP\t%p"), T1(DK_FAR, "JMP\t%d"),
  T1(DK_REL8, "JMP\t%p"),
  T("INB\tDX,AL"), T("IN%S\tDX,%OAX"), T("OUTB\tAL,DX"), T("OUT%S\t%OAX,DX"),
  /* F0 */ T1(DK_PREFIX, "LOCK"), T("INT\t1"), T1(DK_PREFIX, "REPNE"), T1(DK_PREFIX, "REP"),
  T("HALT"), T("CMC"), G(DK_GROUPB, das_gf6), G(DK_GROUP, das_gf7),
  /* F8 */ T("CLC"), T("STC"), T("CLI"), T("STI"), T("CLD"), T("STD"),
  G(DK_GROUPB, das_gfe), G(DK_GROUP, das_gff),
};
