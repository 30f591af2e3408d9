// Signature texts: every type name, spacing, pointers, conventions, the
// reasons given for bad text, and the number conversions of each type.
#include <gtest/gtest.h>

#include <math.h>

#include <random>
#include <string>

#include "syslib/sys_sig.h"

namespace {

struct Parsed {
  bool ok;
  sys_sig s;
  std::string why;
};

Parsed parse(const std::string &text, const char *conv = nullptr) {
  Parsed p;
  char why[160];
  p.ok = sys_sig_parse(text.c_str(), conv, &p.s, why, sizeof why) != 0;
  p.why = why;
  return p;
}

std::string types(const sys_sig &s) {   // "ret(a,b)" in short names
  std::string t = std::string(sys_type_name(s.ret)) + "(";
  for (int i = 0; i < s.n; i++) t += (i ? "," : "") + std::string(sys_type_name(s.args[i]));
  return t + ")";
}

TEST(SysSig, ShortAndCNamesMeanTheSameTypes) {
  const char *pairs[][2] = {
      {"double(double,double)", "double(double,double)"},
      {"int(int, unsigned, long long, unsigned long long)", "i32(i32,u32,i64,u64)"},
      {"  void ( void )  ", "void()"},
      {"void()", "void()"},
      {"char(signed char, unsigned char, short, unsigned short int)", "i8(i8,u8,i16,u16)"},
      {"unsigned long(long, size_t, BOOL, DWORD, WPARAM, LPARAM)", "u32(i32,u32,i32,u32,u32,i32)"},
      {"HWND(HANDLE, LPVOID, void *, const char*, int **)",
       "pointer(pointer,pointer,pointer,pointer,pointer)"},
      {"string(const char *)", "string(pointer)"},
      {"float(buffer, string, pointer)", "float(buffer,string,pointer)"},
      {"__int64(unsigned __int64, int64_t, uint64_t)", "i64(u64,i64,u64)"},
      {"i8(u8,i16,u16,i32,u32,i64,u64,float,double)",
       "i8(u8,i16,u16,i32,u32,i64,u64,float,double)"},
  };
  for (auto &p : pairs) {
    Parsed r = parse(p[0]);
    ASSERT_TRUE(r.ok) << p[0] << ": " << r.why;
    EXPECT_EQ(types(r.s), p[1]) << p[0];
  }
}

TEST(SysSig, WordsAndConventions) {
  Parsed r = parse("void(double, i64, float, i8, pointer, u64)", "cdecl");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.s.words, 2 + 2 + 1 + 1 + 1 + 2);
  EXPECT_EQ(r.s.conv, SYS_CDECL);
  EXPECT_EQ(parse("void()").s.conv, SYS_STDCALL);
  EXPECT_EQ(parse("void()", "stdcall").s.conv, SYS_STDCALL);
  r = parse("void()", "pascal");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.why, "unknown calling convention 'pascal' (stdcall or cdecl)");
}

TEST(SysSig, BadTextSaysWhatAndWhere) {
  const char *bad[][2] = {
      {"", "a type expected at position 1"},
      {"dbl(double)", "unknown type 'dbl' at position 1"},
      {"int(int, flaot)", "unknown type 'flaot' at position 10"},
      {"int", "'(' expected at position 4"},
      {"int(int", "',' or ')' expected at position 8"},
      {"int(int,)", "a type expected at position 9"},
      {"int(int) x", "text after ')' at position 10"},
      {"int(void, int)", "'void' is not an argument type at position 5"},
      {"int(int, void)", "'void' is not an argument type at position 10"},
      {"buffer(int)", "a buffer is not a result type at position 1"},
      {"int(int; int)", "',' or ')' expected at position 8"},
      {"unsigned unsigned unsigned unsigned unsigned(int)", "type name too long at position 1"},
  };
  for (auto &b : bad) {
    Parsed r = parse(b[0]);
    EXPECT_FALSE(r.ok) << b[0];
    EXPECT_EQ(r.why, b[1]) << b[0];
  }
}

TEST(SysSig, ThirtyTwoArgumentsAtMost) {
  std::string t = "void(int";
  for (int i = 1; i < 32; i++) t += ",int";
  EXPECT_TRUE(parse(t + ")").ok);
  Parsed r = parse(t + ",int)");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.why.substr(0, 21), "more than 32 argument");
}

// Random signatures from the names, with random spacing (fixed seed): each
// parses to the types it was built from.
TEST(SysSig, RandomSignaturesRoundTrip) {
  const struct {
    const char *name;
    int type;
  } names[] = {{"int", SYS_I32}, {"unsigned  int", SYS_U32}, {"u8", SYS_U8},
               {"short", SYS_I16}, {"long long", SYS_I64}, {"double", SYS_DOUBLE},
               {"float", SYS_FLOAT}, {"char *", SYS_POINTER}, {"string", SYS_STRING},
               {"buffer", SYS_BUFFER}, {"const void*", SYS_POINTER}, {"u64", SYS_U64},
               {"WORD", SYS_U16}, {"signed char", SYS_I8}};
  const int nn = sizeof names / sizeof names[0];
  std::mt19937 gen(22);
  auto sp = [&] { return std::string(gen() % 3, " \t"[gen() % 2]); };
  for (int round = 0; round < 2000; round++) {
    int ret = (int)(gen() % (nn - 1));
    if (names[ret].type == SYS_BUFFER) ret = 0;
    int n = (int)(gen() % 8), words = 0;
    std::string text = sp() + names[ret].name + sp() + "(";
    sys_sig want{};
    for (int i = 0; i < n; i++) {
      int a = (int)(gen() % nn);
      text += (i ? "," : "") + sp() + names[a].name + sp();
      want.args[i] = (uint8_t)names[a].type;
      words += sys_type_words(names[a].type);
    }
    text += ")" + sp();
    Parsed r = parse(text);
    ASSERT_TRUE(r.ok) << text << ": " << r.why;
    EXPECT_EQ(r.s.ret, names[ret].type) << text;
    ASSERT_EQ(r.s.n, n) << text;
    EXPECT_EQ(r.s.words, words) << text;
    for (int i = 0; i < n; i++) EXPECT_EQ(r.s.args[i], want.args[i]) << text;
  }
}

TEST(SysSig, NumbersBecomeTheBitsOfEachType) {
  EXPECT_EQ(sys_bits_of(SYS_I8, -1), 0xFFu);
  EXPECT_EQ(sys_bits_of(SYS_U16, 65537), 1u);
  EXPECT_EQ(sys_bits_of(SYS_I32, -2.9), 0xFFFFFFFEu);       // toward zero
  EXPECT_EQ(sys_bits_of(SYS_U32, 4294967296.0 + 5), 5u);    // modulo 2^32
  EXPECT_EQ(sys_bits_of(SYS_I64, -1), 0xFFFFFFFFFFFFFFFFull);
  EXPECT_EQ(sys_bits_of(SYS_I64, -9007199254740992.0), (uint64_t)-9007199254740992LL);
  EXPECT_EQ(sys_bits_of(SYS_U64, 18446744073709551616.0 + 4096 * 3), 4096u * 3);
  EXPECT_EQ(sys_bits_of(SYS_U64, 9223372036854775808.0), 0x8000000000000000ull);
  EXPECT_EQ(sys_bits_of(SYS_I32, NAN), 0u);
  EXPECT_EQ(sys_bits_of(SYS_I64, -INFINITY), 0u);
  EXPECT_EQ(sys_bits_of(SYS_FLOAT, 1.0), 0x3F800000u);
  EXPECT_EQ(sys_bits_of(SYS_DOUBLE, -2.0), 0xC000000000000000ull);
}

TEST(SysSig, BitsBecomeNumbersSignedOrNot) {
  EXPECT_EQ(sys_number_of(SYS_I8, 0x123456FF), -1);
  EXPECT_EQ(sys_number_of(SYS_U8, 0x123456FF), 255);
  EXPECT_EQ(sys_number_of(SYS_I16, 0x8000), -32768);
  EXPECT_EQ(sys_number_of(SYS_U16, 0xFFFF8000), 32768);
  EXPECT_EQ(sys_number_of(SYS_I32, 0xFFFFFFF5), -11);
  EXPECT_EQ(sys_number_of(SYS_U32, 0xFFFFFFF5), 4294967285.0);
  EXPECT_EQ(sys_number_of(SYS_POINTER, 0x80000000), 2147483648.0);
  EXPECT_EQ(sys_number_of(SYS_I64, 0xFFFFFFFED5FA0E00ull), -5000000000.0);
  EXPECT_EQ(sys_number_of(SYS_U64, 0xFFFFFFFFFFFFFFFFull), 18446744073709551616.0);
  // above 2^53 the nearest double
  EXPECT_EQ(sys_number_of(SYS_I64, 9007199254740993ull), 9007199254740992.0);
  EXPECT_EQ(sys_number_of(SYS_FLOAT, 0x3FC00000), 1.5);
  EXPECT_EQ(sys_number_of(SYS_DOUBLE, 0x400C000000000000ull), 3.5);
  // every integer type gives back what it stores
  std::mt19937 gen(5);
  for (int t = SYS_I8; t <= SYS_U64; t++)
    for (int i = 0; i < 500; i++) {
      double d = (double)(int64_t)(((uint64_t)gen() << 32 | gen()) >> (gen() % 64));
      if (gen() % 2) d = -d;
      if (t == SYS_U64) d = fabs(d);   // near 2^64 is rounded
      uint64_t bits = sys_bits_of(t, d);
      EXPECT_EQ(sys_bits_of(t, sys_number_of(t, bits)), bits) << t << " " << d;
    }
}

}  // namespace
