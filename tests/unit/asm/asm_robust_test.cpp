/* Hostile input: every case ends with a result or a message, never a
** crash or a hang (the sanitizers of the native build watch the rest). */
#include "tests/unit/asm/asm_test_util.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

bool run(const std::string &src, test_services &svc) {
  asm_options opt;
  std::vector<uint8_t> out;
  bool ok = asm_assemble("r", src.data(), src.size(), &svc, opt, out);
  EXPECT_EQ(ok, !out.empty() || src.empty() || ok);
  if (!ok) {
    EXPECT_FALSE(svc.out.empty()) << "silent failure for: " << src.substr(0, 80);
  }
  return ok;
}

uint32_t next(uint32_t &s) {
  s = s * 1103515245u + 12345u;
  return s >> 8;
}

} // namespace

TEST(AsmRobust, RandomBytes) {
  uint32_t seed = 1;
  for (int n = 0; n < 300; n++) {
    std::string src;
    size_t len = next(seed) % 400;
    for (size_t i = 0; i < len; i++)
      src += (char)(next(seed) & 0xFF);
    test_services svc;
    run(src, svc);
  }
}

TEST(AsmRobust, RandomTokenSoup) {
  static const char *const words[] = {
    "mov", "eax", ",", "[", "]", "+", "*", "4", "macro", "m", "{", "}", "\n",
    "rept", "irp", "match", "=", "if", "end", "else", "repeat", "while", "db",
    "dup", "(", ")", "'s'", ":", "@@", "@f", "@b", ".l", "x", "equ", "define",
    "struc", "local", "forward", "common", "reverse", "#", "\\", "<", ">",
    "times", "virtual", "at", "$", "%", "byte", "jmp", "short", "break",
    "align", "org", "label", "use64", "use16", "fs", "rep", "lock", "-1",
    "0xFFFFFFFFFFFFFFFF", "purge", "restore", "fix", "include", "display",
  };
  const size_t nwords = sizeof words / sizeof words[0];
  uint32_t seed = 7;
  for (int n = 0; n < 400; n++) {
    std::string src;
    size_t len = next(seed) % 60;
    for (size_t i = 0; i < len; i++) {
      src += words[next(seed) % nwords];
      src += ' ';
    }
    test_services svc;
    run(src, svc);
  }
}

TEST(AsmRobust, DeepMacroChainRunsOutOfStack) {
  std::string src;
  for (int i = 0; i < 10000; i++)
    src += "macro m" + std::to_string(i) + " { m" + std::to_string(i + 1) + " }\n";
  src += "m0\n";
  test_services svc;
  EXPECT_FALSE(run(src, svc));
  EXPECT_EQ(svc.out, "out of stack space");
}

TEST(AsmRobust, UnterminatedBlocks) {
  for (const char *src : {"macro m {", "macro m", "rept 3 {\nnop", "irp x, 1 {",
                          "match a, b {", "struc s {", "macro m \\{ }",
                          "if 1", "repeat 2\nif 1\nend repeat", "virtual"}) {
    test_services svc;
    EXPECT_FALSE(run(src, svc)) << src;
  }
}

TEST(AsmRobust, HugeCounts) {
  for (const char *src : {"times 100000000 nop", "rept 1000000000 { nop }",
                          "repeat 1000000000\nend repeat", "db 100000000 dup 1",
                          "rb 0x7FFFFFFFFFFFFFFF", "rd 0x4000000000000000",
                          "times 0xFFFFFFFFFFFF db 1", "while 1\nend while",
                          "rept 100000 { rept 100000 \\{ nop \\} }"}) {
    test_services svc;
    EXPECT_FALSE(run(src, svc)) << src;
  }
}

TEST(AsmRobust, ExponentialExpansion) {
  std::string consts = "a0 equ 1 1\n";
  std::string macros = "macro m0 { nop }\n";
  for (int i = 1; i < 40; i++) {
    std::string n = std::to_string(i), p = std::to_string(i - 1);
    consts += "a" + n + " equ a" + p + " a" + p + "\n";
    macros += "macro m" + n + " { m" + p + "\nm" + p + " }\n";
  }
  test_services a, b;
  EXPECT_FALSE(run(consts, a));
  EXPECT_EQ(a.out, "out of memory");
  EXPECT_FALSE(run(macros + "m39", b));
  EXPECT_TRUE(b.out == "out of memory" ||
              b.out.find("too many repeats") != std::string::npos) << b.out;
}

TEST(AsmRobust, DeepExpressionsAndOddNumbers) {
  test_services a, b, c;
  EXPECT_FALSE(run("db " + std::string(5000, '(') + "1" + std::string(5000, ')'), a));
  EXPECT_EQ(a.out, "out of stack space");
  EXPECT_FALSE(run("db " + std::string(5000, '-') + "1", b));
  EXPECT_FALSE(run("dd 99999999999999999999999", c));
  EXPECT_NE(c.out.find("invalid value"), std::string::npos);
}

TEST(AsmRobust, SmallMemoryBudget) {
  test_services svc;
  asm_options opt;
  opt.memory = 16 * 1024;
  std::vector<uint8_t> out;
  std::string src = "rb 20000\nnop";
  EXPECT_FALSE(asm_assemble("r", src.data(), src.size(), &svc, opt, out));
  EXPECT_EQ(svc.out, "out of memory");
}

/* A NUL inside a name is a name character: it must never let the name
** pass for a shorter keyword, nor be read past. */
TEST(AsmRobust, NulInsideNames) {
  const std::string srcs[] = {std::string("if\0abc 1\nend if\n", 16),
                              std::string("end\0x if\n", 9),
                              std::string("mov\0 eax, 1\n", 12)};
  for (const std::string &s : srcs)
    EXPECT_EQ(asm_hex(s).compare(0, 4, "ERR:"), 0);
}
