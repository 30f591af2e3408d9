// Decoder behaviour on hand-picked instructions: the documented examples,
// the number and address formats, every error message, and the limits of
// the byte reader.
#include "native/das386/das_decode.h"
#include "native/das386/das_internal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Decoded {
  std::string text;
  int length;
  std::string error;
  das_result r;
};

Decoded decode(std::vector<unsigned char> bytes) {
  Decoded d;
  // Exact-size heap copy so that a read past the end is caught by ASan.
  unsigned char *buf = new unsigned char[bytes.size() ? bytes.size() : 1];
  std::copy(bytes.begin(), bytes.end(), buf);
  d.length = das_decode(buf, bytes.size(), 0, &d.r);
  delete[] buf;
  d.text = d.r.text;
  d.error = d.r.error;
  return d;
}

void expect_text(std::vector<unsigned char> bytes, const char *text) {
  Decoded d = decode(bytes);
  EXPECT_EQ(d.text, text) << d.error;
  EXPECT_EQ(d.length, (int)bytes.size()) << text;
}

void expect_error(std::vector<unsigned char> bytes, const char *error) {
  Decoded d = decode(bytes);
  EXPECT_EQ(d.error, error) << d.text;
  EXPECT_EQ(d.length, -1);
  EXPECT_EQ(d.text, "");
}

TEST(DasExamples, DocumentedCases) {
  expect_text({0x90}, "NOP");
  expect_text({0xC3}, "RET");
  expect_text({0x8B, 0x45, 0x08}, "MOVL\t[BP + 0x8],AX");
  expect_text({0x89, 0x04, 0x24}, "MOVL\tAX,[SP+0x0]");
  expect_text({0x66, 0xB8, 0x34, 0x12}, "MOVW\t$0x1234,AX");
  expect_text({0x83, 0xC0, 0xFF}, "ADDL\t$0xFFFFFFFF,AX");
  expect_text({0xF3, 0xA5}, "REP MOVSL\t[SI],[DI]");
  expect_text({0x64, 0x8B, 0x00}, "MOVL\tFS:[AX + 0x0],AX");
  expect_text({0xE8, 0x00, 0x00, 0x00, 0x00}, "CALL\t0x5");
  expect_text({0xEB, 0x03}, "JMP\t0x5");
  expect_error({0x0F, 0x0B}, "opcode: ??0f0b??");
  std::vector<unsigned char> many(16, 0x66);
  many.push_back(0x90);
  expect_error(many, "instruction too long");
}

TEST(DasExamples, FifteenPrefixesStillFit) {
  std::vector<unsigned char> b(15, 0x66);
  b.push_back(0x90);
  expect_text(b, "NOP");
}

TEST(DasExamples, SixteenByteLimitCountsEveryByte) {
  // C7 84 24 disp32 imm32 is eleven bytes; five prefixes make sixteen.
  std::vector<unsigned char> b = {0x2E, 0x3E, 0x26, 0x36, 0x3E, 0xC7, 0x84, 0x24,
                                  1, 0, 0, 0, 2, 0, 0, 0};
  Decoded d = decode(b);
  EXPECT_EQ(d.length, 16) << d.error;
  EXPECT_EQ(d.text, "MOVL\t$0x2,DS:[SP+0x1]");
  b.insert(b.begin(), 0x3E);
  expect_error(b, "instruction too long");
}

TEST(DasAddressing, ThirtyTwoBitForms) {
  expect_text({0x8B, 0x05, 0x78, 0x56, 0x34, 0x12}, "MOVL\t[0x12345678],AX");
  expect_text({0x8B, 0x45, 0xF8}, "MOVL\t[BP + -0x8],AX");
  expect_text({0x8B, 0x84, 0x8B, 0x00, 0x01, 0x00, 0x00},
              "MOVL\t[BX + CX*4 + 0x100],AX");
  expect_text({0x8B, 0x04, 0xCD, 0x10, 0x00, 0x00, 0x00}, "MOVL\t[CX*8 + 0x10],AX");
  expect_text({0x8B, 0x44, 0x24, 0xFC}, "MOVL\t[SP+0xFFFFFFFC],AX");
  expect_text({0x8B, 0x44, 0x74, 0x04}, "MOVL\t[SP+0x4](SI*2),AX");
  expect_text({0x8B, 0x0C, 0x25, 0xF0, 0xFF, 0xFF, 0xFF}, "MOVL\t[-0x10],CX");
  expect_text({0x8B, 0xC1}, "MOVL\tCX,AX");
  expect_text({0x8A, 0xC5}, "MOVB\tCH,AL");
  expect_text({0x2E, 0x8A, 0x45, 0x00}, "MOVB\tCS:[BP + 0x0],AL");
}

TEST(DasAddressing, SixteenBitForms) {
  expect_text({0x67, 0x8B, 0x00}, "MOVL\t[BX + SI*1 + 0x0],AX");
  expect_text({0x67, 0x8B, 0x04}, "MOVL\t[SI + 0x0],AX");
  expect_text({0x67, 0x8B, 0x7D, 0x10}, "MOVL\t[DI + 0x10],DI");
  expect_text({0x67, 0x8B, 0x46, 0xFE}, "MOVL\t[BP + -0x2],AX");
  expect_text({0x67, 0x8B, 0x87, 0x00, 0x80}, "MOVL\t[BX + -0x8000],AX");
  expect_text({0x67, 0x8B, 0x06, 0x34, 0x12}, "MOVL\t[0x1234],AX");
  expect_text({0x67, 0x8B, 0x06, 0xFF, 0xFF}, "MOVL\t[0xFFFF],AX");
  expect_text({0x67, 0xA1, 0x34, 0x12}, "MOVL\t[0x1234],AX");
  expect_text({0x26, 0xA0, 0x78, 0x56, 0x34, 0x12}, "MOVB\tES:[0x12345678],AL");
}

TEST(DasOperands, ImmediatesAndSizes) {
  expect_text({0x66, 0x83, 0xC0, 0xFF}, "ADDW\t$0xFFFF,AX");
  expect_text({0x6A, 0x80}, "PUSHL\t$0xFFFFFF80");
  expect_text({0x80, 0x38, 0x7F}, "CMPB\t$0x7F,[AX + 0x0]");
  expect_text({0x6B, 0xC0, 0x10}, "IMULL\tAX,$0x10,AX");
  expect_text({0x69, 0xDB, 0x00, 0x01, 0x00, 0x00}, "IMULL\tBX,$0x100,BX");
  expect_text({0xC2, 0x08, 0x00}, "RET\t$0x8");
  expect_text({0xC8, 0x10, 0x00, 0x01}, "ENTER\t$0x10,$0x1");
  expect_text({0x9A, 0x78, 0x56, 0x34, 0x12, 0x08, 0x00}, "CALLL\t0x8:0x12345678");
  expect_text({0x66, 0xEA, 0x34, 0x12, 0x08, 0x00}, "JMP\t0x8:0x1234");
  expect_text({0xD4, 0x0A}, "AAM");
  expect_text({0x98}, "CWDE");
  expect_text({0x66, 0x99}, "CWD");
  expect_text({0x0F, 0xB6, 0xC1}, "MOVBZX\tCL,AX");
  expect_text({0x0F, 0xBF, 0x06}, "MOVWSX\t[SI + 0x0],AX");
  expect_text({0x8C, 0xD8}, "MOVW\tDS,AX");
  expect_text({0x8E, 0xF0}, "MOVW\tAX,???");
  expect_text({0x0F, 0x20, 0xC0}, "MOVL\tCR0,AX");
  expect_text({0x0F, 0x21, 0xE0}, "MOVL\t???,AX");
  expect_text({0x0F, 0x23, 0xF8}, "MOVL\tAX,DR7");
  expect_text({0x0F, 0x24, 0xF0}, "MOVL\tTR6,AX");
  expect_text({0x0F, 0x24, 0xE8}, "MOVL\t???,AX");
  expect_text({0xFF, 0x15, 0x00, 0x10, 0x00, 0x00}, "CALL*L [0x1000]");
  expect_text({0xFF, 0xE0}, "JMP*L\tAX");
  expect_text({0xF0, 0x0F, 0xB1, 0x0A}, "LOCK CMPXCHGL\tCX,[DX + 0x0]");
  expect_text({0xD9, 0xE8}, "FLD1");
  expect_text({0xDD, 0x45, 0x08}, "FMOVD\t[BP + 0x8],F0");
  expect_text({0xD9, 0xC9}, "FXCHD\tF1,F0");
  expect_text({0xDF, 0xE0}, "FSTSW\tAX");
  expect_text({0xDE, 0xD9}, "FCOMDPP");
  expect_text({0x0F, 0x94, 0xC0}, "SETEQ\tAL");
}

TEST(DasOperands, BranchTargets) {
  expect_text({0xEB, 0xFE}, "JMP\t0x0");
  expect_text({0x74, 0xF0}, "JEQ\t0xFFFFFFF2");
  expect_text({0x0F, 0x8F, 0x10, 0x00, 0x00, 0x00}, "JGT\t0x16");
  expect_text({0x66, 0xE9, 0xFD, 0xFF}, "JMP\t0x1");
  expect_text({0xE2, 0x00}, "LOOP\t0x2");
  das_result r;
  const unsigned char call[] = {0xE8, 0x10, 0x00, 0x00, 0x00};
  ASSERT_EQ(das_decode(call, sizeof call, 0x1000, &r), 5);
  EXPECT_STREQ(r.text, "CALL\t0x1015");
  EXPECT_EQ(r.target, 0x1015u);
  EXPECT_TRUE(r.flags & DAS_FRELATIVE);
}

TEST(DasOperands, Markers) {
  Decoded d = decode({0xC3});
  EXPECT_EQ(d.r.flags, (unsigned)DAS_FRETURN);
  d = decode({0xFF, 0x25, 0, 0, 0, 0});
  EXPECT_EQ(d.r.flags, (unsigned)DAS_FINDIRECT);
  d = decode({0x90});
  EXPECT_EQ(d.r.flags, 0u);
}

TEST(DasErrors, Messages) {
  expect_error({0xD6}, "opcode: ??d6??");
  expect_error({0xD4, 0x08}, "opcode: ??d408??");
  expect_error({0xDF, 0xE1}, "opcode: ??dfe1??");
  expect_error({0xDA, 0xE8}, "opcode: ??dae8??");
  expect_error({0x66, 0xFF, 0xF8}, "opcode: ??66fff8??");
  expect_error({0x8D, 0xC0}, "invalid R/M memory mode: c0");
  expect_error({0x0F, 0x20, 0x00}, "invalid R/M register: 0");
  expect_error({0x0F, 0x22, 0x45, 0x00}, "invalid R/M register: 45");
  expect_error({0xFF, 0xD8}, "invalid R/M memory mode: d8");
}

TEST(DasErrors, BadOperandKind) {
  das_entry sub[256] = {};
  sub[0x90] = das_entry{{DK_LAST + 1, 0}, "BAD", nullptr};
  sub[0x92] = das_entry{{DK_MANDATORY, 0}, "BAD", nullptr};  // its table is missing
  sub[0x91] = das_entry{{DK_IMM8, 99}, "BAD", nullptr};
  const unsigned char a[] = {0x90}, b[] = {0x91, 0x00};
  das_result r;
  EXPECT_EQ(das_decode_with(sub, a, 1, 0, &r), -1);
  EXPECT_EQ(r.error, "bad operand type " + std::to_string(DK_LAST + 1));
  const unsigned char c[] = {0x92};
  EXPECT_EQ(das_decode_with(sub, c, 1, 0, &r), -1);
  EXPECT_EQ(r.error, "bad operand type " + std::to_string(DK_MANDATORY));
  EXPECT_EQ(das_decode_with(sub, b, 2, 0, &r), -1);
  EXPECT_STREQ(r.error, "bad operand type 99");
  EXPECT_STREQ(r.text, "");
}

TEST(DasErrors, TruncatedBuffer) {
  const unsigned char b[] = {0x8B, 0x85, 0x00, 0x00, 0x00, 0x00};
  das_result r;
  for (size_t n = 0; n < sizeof b; n++) {
    EXPECT_EQ(das_decode(b, n, 0, &r), -1) << n;
    EXPECT_EQ(r.status, DAS_TRUNCATED);
    EXPECT_EQ(r.used, (int)n);
  }
  EXPECT_EQ(das_decode(b, sizeof b, 0, &r), 6);
}

TEST(DasFormat, UnknownVerbsAndOverflow) {
  das_entry t[256] = {};
  t[0] = das_entry{{0, 0}, "A%jB%%%", nullptr};
  std::string big(300, 'x');
  t[1] = das_entry{{0, 0}, big.c_str(), nullptr};
  const unsigned char a[] = {0x00}, b[] = {0x01};
  das_result r;
  ASSERT_EQ(das_decode_with(t, a, 1, 0, &r), 1);
  EXPECT_STREQ(r.text, "A%jB%%");
  ASSERT_EQ(das_decode_with(t, b, 1, 0, &r), 1);
  EXPECT_EQ(std::string(r.text), std::string(DAS_TEXTLEN - 1, 'x'));
}

// Walks every table reachable from the one-byte table: operand kinds in
// range, table-switching kinds carry a table, formats use known verbs.
void check_table(const das_entry *t, int n, std::string path) {
  for (int i = 0; i < n; i++) {
    const das_entry &e = t[i];
    std::string at = path + "/" + std::to_string(i);
    for (int k : e.kind) {
      EXPECT_LE(k, DK_LAST) << at;
      bool sw = k == DK_GROUP || k == DK_GROUPB || k == DK_FGROUP || k == DK_FGROUPX ||
                k == DK_ESCAPE || k == DK_MANDATORY || k == DK_VEXW || k == DK_VEXL ||
                k == DK_MODSEL;
      if (sw) {
        ASSERT_NE(e.next, nullptr) << at;
        int m = k == DK_ESCAPE ? 256 : k == DK_FGROUPX ? 72 : k == DK_FGROUP ? 16
              : k == DK_MANDATORY ? 4 : k == DK_GROUP || k == DK_GROUPB ? 8 : 2;
        if (e.next != das_one) check_table(e.next, m, at);
      }
    }
    if (!e.text) continue;
    for (const char *p = e.text; *p; p++) {
      if (*p != '%') continue;
      ++p;
      EXPECT_NE(std::string("%SrReEiIpdgCDTfXxOAmMqQyYvuVZwWGH").find(*p), std::string::npos)
          << at << " " << e.text;
    }
  }
}

TEST(DasTables, Integrity) {
  check_table(das_one, 256, "");
  for (int m = 0; m < 3; m++) check_table(das_vex_map.e[m], 256, "vex" + std::to_string(m));
}

TEST(DasTables, RowsLandWhereExpected) {
  // One probe at the end of each block of rows, so a missing row shows.
  expect_text({0x3F}, "AAS");
  expect_text({0x5F}, "POPL\tDI");
  expect_text({0x7F, 0x00}, "JGT\t0x2");
  expect_text({0x97}, "XCHGL\tDI,AX");
  expect_text({0xAF}, "SCASL\tAX,[DI]");
  expect_text({0xBF, 1, 0, 0, 0}, "MOVL\t$0x1,DI");
  expect_text({0xCF}, "IRETL");
  expect_text({0xDF, 0x38}, "FMOVVP\tF0,[AX + 0x0]");
  expect_text({0xEF}, "OUTL\tAX,DX");
  expect_text({0xFF, 0x30}, "PUSHL\t[AX + 0x0]");
  expect_text({0x0F, 0x4F, 0xC1}, "CMOVLGT\tCX,AX");
  expect_text({0x0F, 0x9F, 0xC0}, "SETGT\tAL");
  expect_text({0x0F, 0xAF, 0xC1}, "IMULL\tCX,AX");
  expect_text({0x0F, 0xBF, 0xC1}, "MOVWSX\tCX,AX");
  expect_text({0x0F, 0xCF}, "BSWAPL\tDI");
  expect_text({0xD9, 0xFF}, "FCOS");
  expect_text({0xD9, 0xF7}, "FNCSTP");
  expect_text({0xDB, 0xF7}, "FCOMI\tF7,F0");
  expect_text({0xDB, 0xE3}, "FINIT");
  expect_text({0xDC, 0xF9}, "FDIVD\tF0,F1");
  expect_text({0xDD, 0xE9}, "FUCOMDP F1,F0");
  expect_text({0xD3, 0xF8}, "SARL\tCL,AX");
  expect_text({0xC1, 0xE0, 0x04}, "SHLL\t$0x4,AX");
  expect_text({0x0F, 0xBA, 0xE0, 0x03}, "BTL\t$0x3,AX");
  expect_text({0x0F, 0x01, 0x10}, "MOVL\t[AX + 0x0],GDTR");
  expect_text({0x0F, 0x00, 0xC0}, "MOVW\tLDT,AX");
  expect_text({0x0F, 0xC7, 0xF8}, "RDSEEDL\tAX");
  expect_text({0x0F, 0xC7, 0x0E}, "CMPXCHG8B\t[SI + 0x0]");
}

}  // namespace

namespace {

// The vector instruction sets: registers M0-M7, X0-X7, Y0-Y7, the
// mandatory prefixes, VEX with its vvvv operand and length bit.
TEST(DasVector, MandatoryPrefixChoosesTheForm) {
  expect_text({0x0F, 0x6F, 0xC1}, "MOVQ\tM1,M0");
  expect_text({0x66, 0x0F, 0x6F, 0xC1}, "MOVDQA\tX1,X0");
  expect_text({0xF3, 0x0F, 0x6F, 0xC1}, "MOVDQU\tX1,X0");
  expect_text({0xF3, 0x0F, 0x10, 0xC1}, "MOVSS\tX1,X0");
  expect_text({0xF2, 0x0F, 0x10, 0x45, 0xF8}, "MOVSD\t[BP + -0x8],X0");
  // F3/F2 outrank 66, which stays an operand-size prefix where it is one
  expect_text({0x66, 0xF3, 0x0F, 0x10, 0xC1}, "MOVSS\tX1,X0");
  expect_text({0xF3, 0x0F, 0xB8, 0xC1}, "POPCNTL\tCX,AX");
  expect_text({0x66, 0xF3, 0x0F, 0xB8, 0xC1}, "POPCNTW\tCX,AX");
  expect_text({0xF3, 0x0F, 0xBD, 0xC3}, "LZCNTL\tBX,AX");
  expect_text({0xF3, 0x0F, 0xBC, 0xC3}, "TZCNTL\tBX,AX");
  expect_text({0x0F, 0xBC, 0xC3}, "BSFL\tBX,AX");
  expect_text({0x0F, 0x7E, 0xC8}, "MOVD\tM1,AX");
  expect_text({0x66, 0x0F, 0x7E, 0xC8}, "MOVD\tX1,AX");
  expect_text({0xF3, 0x0F, 0x7E, 0xC1}, "MOVQ\tX1,X0");
  expect_text({0x0F, 0x3A, 0x0F, 0xC1, 0x08}, "PALIGNR\t$0x8,M1,M0");
  expect_text({0x66, 0x0F, 0x3A, 0x0F, 0xC1, 0x08}, "PALIGNR\t$0x8,X1,X0");
  expect_text({0x66, 0x0F, 0x73, 0xD8, 0x04}, "PSRLDQ\t$0x4,X0");
  expect_text({0xF2, 0x0F, 0x38, 0xF0, 0xC1}, "CRC32B\tCL,AX");
  expect_text({0x66, 0x0F, 0x3A, 0x44, 0xC1, 0x11}, "PCLMULQDQ\t$0x11,X1,X0");
  expect_text({0x66, 0x0F, 0x38, 0xDC, 0x00}, "AESENC\t[AX + 0x0],X0");
  expect_text({0x0F, 0x38, 0xCB, 0xC1}, "SHA256RNDS2\tX0,X1,X0");
  // a prefix the row has no form for, a register where memory is needed
  expect_error({0xF3, 0x0F, 0x54, 0xC1}, "opcode: ??f30f54??");
  expect_error({0x66, 0x0F, 0x38, 0xF0, 0xC1}, "invalid R/M memory mode: c1");
  expect_error({0x0F, 0x2B, 0xC0}, "invalid R/M memory mode: c0");
}

TEST(DasVector, HintsFencesStateAndFloatingPoint) {
  expect_text({0x0F, 0x1F, 0x44, 0x00, 0x00}, "NOPL\t[AX + AX*1 + 0x0]");
  expect_text({0x66, 0x0F, 0x1F, 0x44, 0x00, 0x00}, "NOPW\t[AX + AX*1 + 0x0]");
  expect_text({0x0F, 0x18, 0x08}, "PREFETCHT0\t[AX + 0x0]");
  expect_text({0x0F, 0x18, 0xC0}, "NOPL\tAX");
  expect_text({0x0F, 0x1C, 0x00}, "NOPL\t[AX + 0x0]");
  expect_text({0x0F, 0x0D, 0x08}, "PREFETCHW\t[AX + 0x0]");
  expect_text({0x0F, 0xAE, 0xE8}, "LFENCE");
  expect_text({0x0F, 0xAE, 0xF0}, "MFENCE");
  expect_text({0x0F, 0xAE, 0xF8}, "SFENCE");
  expect_text({0x0F, 0xAE, 0x00}, "FXSAVE\t[AX + 0x0]");
  expect_text({0x0F, 0xAE, 0x10}, "LDMXCSR\t[AX + 0x0]");
  expect_text({0x0F, 0xAE, 0x5D, 0xF8}, "STMXCSR\t[BP + -0x8]");
  expect_text({0x0F, 0xAE, 0x38}, "CLFLUSH\t[AX + 0x0]");
  expect_text({0x0F, 0x77}, "EMMS");
  expect_text({0x0F, 0x31}, "RDTSC");
  expect_text({0x0F, 0x01, 0xF9}, "RDTSCP");
  expect_text({0x0F, 0x01, 0xD0}, "XGETBV");
  expect_text({0x0F, 0x01, 0xE0}, "MOVW\tMSW,AX");
  expect_text({0x0F, 0xC7, 0x08}, "CMPXCHG8B\t[AX + 0x0]");
  expect_text({0xDF, 0x4D, 0xF8}, "FISTTPW\tF0,[BP + -0x8]");
  expect_text({0xDB, 0x08}, "FISTTPL\tF0,[AX + 0x0]");
  expect_text({0xDD, 0x08}, "FISTTPV\tF0,[AX + 0x0]");
  expect_text({0xDF, 0xC1}, "FFREEP\tF1");
  expect_error({0x0F, 0x0B}, "opcode: ??0f0b??");
  expect_error({0x0F, 0xAE, 0xC0}, "opcode: ??0faec0??");
}

TEST(DasVector, VexForms) {
  expect_text({0xC5, 0xF0, 0x58, 0xC2}, "VADDPS\tX2,X1,X0");
  expect_text({0xC5, 0xF4, 0x58, 0xC2}, "VADDPS\tY2,Y1,Y0");
  expect_text({0xC5, 0xFD, 0x6F, 0x04, 0x24}, "VMOVDQA\t[SP+0x0],Y0");
  expect_text({0xC5, 0xF2, 0x58, 0xC2}, "VADDSS\tX2,X1,X0");
  expect_text({0xC5, 0xF9, 0x71, 0xD0, 0x04}, "VPSRLW\t$0x4,X0,X0");
  expect_text({0xC5, 0xF8, 0x77}, "VZEROUPPER");
  expect_text({0xC5, 0xFC, 0x77}, "VZEROALL");
  expect_text({0xC4, 0xE2, 0x7D, 0x18, 0x04, 0x24}, "VBROADCASTSS\t[SP+0x0],Y0");
  expect_text({0xC4, 0xE3, 0x71, 0x4A, 0xD2, 0x30}, "VBLENDVPS\tX3,X2,X1,X2");
  expect_text({0xC4, 0xE3, 0x7D, 0x18, 0xC1, 0x01}, "VINSERTF128\t$0x1,X1,Y0,Y0");
  expect_text({0xC4, 0xE2, 0xF9, 0xA8, 0xC2}, "VFMADD213PD\tX2,X0,X0");
  expect_text({0xC4, 0xE2, 0x79, 0xA8, 0xC2}, "VFMADD213PS\tX2,X0,X0");
  expect_text({0xC4, 0xE3, 0x71, 0x44, 0xC2, 0x11}, "VPCLMULQDQ\t$0x11,X2,X1,X0");
  expect_text({0xC4, 0xE2, 0x69, 0x90, 0x04, 0x8B}, "VPGATHERDD\tX2,[BX + X1*4 + 0x0],X0");
  expect_text({0xC4, 0xE2, 0x78, 0xF2, 0xC3}, "ANDNL\tBX,AX,AX");
  expect_text({0xC4, 0xE2, 0x60, 0xF7, 0xC1}, "BEXTRL\tBX,CX,AX");
  expect_text({0xC4, 0xE2, 0x70, 0xF3, 0xCB}, "BLSRL\tBX,CX");
  expect_text({0xC4, 0xE3, 0x7B, 0xF0, 0xC1, 0x05}, "RORXL\t$0x5,CX,AX");
  // with a memory ModRM C4 and C5 stay LES and LDS
  expect_text({0xC4, 0x00}, "LESL\t[AX + 0x0],AX");
  expect_text({0xC5, 0x00}, "LDSL\t[AX + 0x0],AX");
  // 66, F2, F3 before VEX; unused vvvv not 1111; 128-bit-only form with L=1;
  // W=1 where only W=0 exists; a map other than 1-3; gather registers shared
  expect_error({0x66, 0xC5, 0xF0, 0x58, 0xC2}, "opcode: ??66c5??");
  expect_error({0xC5, 0xF1, 0x6F, 0xC1}, "opcode: ??c5f16fc1??");
  expect_error({0xC5, 0xFD, 0x6E, 0xC0}, "opcode: ??c5fd6ec0??");
  expect_error({0xC4, 0xE2, 0xFD, 0x18, 0xC0}, "opcode: ??c4e2fd18c0??");
  expect_error({0xC4, 0xE4, 0x79, 0x00, 0xC0}, "opcode: ??c4e47900??");
  expect_error({0xC4, 0xE2, 0x69, 0x90, 0x04, 0x83}, "opcode: ??c4e269900483??");
}

}  // namespace
