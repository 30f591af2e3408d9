/*
** Generator of one-line programs for the differential fuzzer, where a
** whole program would hide the one item that differs: floating-point
** literals in every unit and as immediates (ties, subnormals, the ends of
** each range, malformed spellings), eqtype over every kind of operand,
** and memory operands with the address size written in the brackets in
** 16-, 32- and 64-bit code (plain offsets, full displacements, rip).
** Items near the edges are drawn on purpose, so many are refused: the
** reference's refusal is part of the record.
*/
#include "tests/unit/asm/asm_gen.h"

#include <cstdio>
#include <initializer_list>

namespace {

typedef asm_gen_rng rng;

std::string digits(rng &r, int n) {
  std::string s;
  for (int i = 0; i < n; i++)
    s += (char)('0' + r.below(10));
  return s;
}

/* Exponent ranges around the ends of each unit's range. */
int edge_exp(rng &r) {
  int e = r.of<int>({0, 1, 5, 10, -5, -8, 38, -38, -39, -45, -46, 308, -308, -309,
                     -320, -323, -324, 4932, -4931, -4932, -4950, -4951});
  return e + (int)r.below(3) - 1;
}

std::string float_lit(rng &r) {
  switch (r.below(10)) {
  case 0: /* integers just past the exact range: ties */
    /* not drawn: integers past 2^64 that fall halfway at 64 bits, which
    ** the reference reads up where the C library reads them to even */
    return r.of<const char *>({"16777217.0", "16777219.0", "33554435.0", "9007199254740993.0",
                               "9007199254740995.0", "2049.0", "2051.0", "4097.0"});
  case 1: /* 1 + half an ulp of each unit, exactly and nearly */
    return r.of<const char *>({"1.00048828125", "1.000244140625", "1.00000005960464477539",
                               "1.000000059604644775390625", "1.00000000000000011102230246251565",
                               "1.0000000000000001110223024625156540423631668090820312",
                               "1.5f", "1ef", "1.0ef", "1.0ff", "1e", "1.0E", "0e", "1.",
                               "1.e5", "1e-", "1.0e+", "1.5e0e", ".5", "00.5", "0.0e0"});
  case 2: /* the largest values and past them */
    return r.of<const char *>({"65504.0", "65519.0", "65520.0", "3.4028234e38", "3.40282356e38",
                               "3.4028236e38", "1.7976931348623157e308", "1.7976931348623158e308",
                               "1.797693134862316e308", "1.18e4932", "1.19e4932", "1e5000"});
  case 3: /* around the smallest normal and subnormal values */
    return r.of<const char *>({"6.1e-5", "6e-8", "3e-8", "2.9e-8", "1.1754942e-38",
                               "1.17549435e-38", "1.4e-45", "7.1e-46", "7e-46", "1e-38",
                               "2.2250738585072014e-308", "2.2e-308", "4.9e-324", "2.5e-324",
                               "2.4e-324", "3.3e-4932", "3.7e-4951", "1e-4950", "1e-4960"});
  default: {
    std::string s = digits(r, 1 + (int)r.below(r.chance(30) ? 20 : 6));
    bool point = r.chance(70);
    if (point)
      s += "." + digits(r, 1 + (int)r.below(r.chance(30) ? 22 : 5));
    if (!point || r.chance(60)) {
      s += r.chance(50) ? "e" : "E";
      int e = r.chance(50) ? edge_exp(r) : (int)r.below(41) - 20;
      s += e < 0 ? "-" : r.chance(30) ? "+" : "";
      s += std::to_string(e < 0 ? -e : e);
    }
    if (r.chance(5))
      s += "f";
    return s;
  }
  }
}

std::string float_item(rng &r) {
  std::string lit = float_lit(r);
  std::string sign = r.chance(25) ? "-" : r.chance(5) ? "+" : "";
  switch (r.below(6)) {
  case 0: return "mov eax, " + sign + lit;
  case 1: return "use64\nmov rax, " + sign + lit;
  case 2: return "dd " + sign + lit + ", " + r.of<const char *>({"0.5", "-0.0", "1"});
  default: return std::string(r.of<const char *>({"dw ", "dd ", "dq ", "dt ", "db ", "dp "})) +
                  sign + lit;
  }
}

std::string eqtype_operand(rng &r) {
  /* not drawn, as the reference's rules for them are its own: a symbol
  ** before a register (x+eax), a value in parentheses compared by eq or
  ** in, angle brackets nested in an in list */
  return r.of<const char *>({"1", "1+x", "x", "1.0", "-2.5", "1f", "'a'", "'bc'",
                             "eax", "ax", "al", "rax", "es", "st0", "mm0", "xmm1", "ymm2",
                             "cr0", "dr1", "dword", "byte", "dword 1", "dword 1.0", "[eax]",
                             "[1]", "dword [eax]", "fs:[eax]", "eax+1", "ebx*2",
                             "word eax", "1,2", "eax,1", ""});
}

std::string eqtype_item(rng &r) {
  std::string a = eqtype_operand(r);
  std::string b = eqtype_operand(r);
  std::string op = r.chance(85) ? "eqtype" : r.chance(50) ? "eq" : "in";
  if (op == "in")
    b = "<" + b + "," + eqtype_operand(r) + ">";
  return "x = 3\nif " + a + " " + op + " " + b + "\ndb 1\nelse\ndb 0\nend if";
}

std::string addr_value(rng &r) {
  return r.of<const char *>({"0", "10", "7Fh", "80h", "1234h", "7FFFh", "8000h", "0FFFFh",
                             "10000h", "-1", "-80h", "-8000h", "-8001h", "7FFFFFFFh",
                             "80000000h", "0FFFFFFFFh", "100000000h", "-80000000h",
                             "-80000001h", "123456789h", "0FFFFFFFF80000000h",
                             "0FFFFFFFFFFFFFFFFh", "7FFFFFFFFFFFFFFFh"});
}

std::string addr_item(rng &r) {
  int mode = r.of<int>({16, 32, 64, 64});
  std::string size = r.of<const char *>({"byte ", "word ", "dword ", "qword ", "fword ", ""});
  std::string regs;
  switch (r.below(5)) {
  case 0: case 1: break;
  case 2:
    regs = mode == 64 ? r.of<const char *>({"rax", "rbp", "rsp", "r12", "r13", "eax", "rip", "eip",
                                            "rax+rbx*4", "ebp+esi*2"})
         : r.of<const char *>({"eax", "ebp", "esp", "bx+si", "bp+di", "bp", "si", "ebx*4",
                               "eax+ecx*8"});
    break;
  default:
    regs = mode == 64 ? r.of<const char *>({"rip", "eip", "rbx", "ebx", "r9d"})
                      : r.of<const char *>({"bx", "bp", "ebx", "ebp", "di"});
    break;
  }
  std::string disp = r.chance(30) && !regs.empty() ? "" : addr_value(r);
  /* not drawn: a plain 80000000h in 64-bit code, which the reference
  ** refuses even where the next instruction is near enough to reach it */
  if (mode == 64 && size.empty() && regs.empty() && disp == "80000000h")
    disp = "7FFFFFFFh";
  std::string inside = regs.empty() ? disp : disp.empty() ? regs
                                    : regs + (disp[0] == '-' ? "" : "+") + disp;
  std::string seg = r.chance(15) ? r.of<const char *>({"fs:", "es:", "ss:", "cs:"}) : "";
  std::string m = "[" + seg + size + inside + "]";
  std::string reg = mode == 64 ? r.of<const char *>({"al", "ax", "eax", "rax", "ebx", "rcx", "r8"})
                               : r.of<const char *>({"al", "ax", "eax", "bx", "ecx"});
  std::string t;
  switch (r.below(6)) {
  case 0: t = "mov " + m + ", " + reg; break;
  case 1: t = "lea " + reg + ", " + m; break;
  case 2: t = std::string(r.of<const char *>({"inc dword ", "push dword ", "not byte "})) + m; break;
  default: t = "mov " + reg + ", " + m; break;
  }
  return "use" + std::to_string(mode) + "\n" + t;
}

} // namespace

std::string asm_gen_item(uint64_t seed) {
  rng r{seed * 0x2545F4914F6CDD1Dull + 0x1234567};
  switch (r.below(5)) {
  case 0: case 1: return "use32\n" + float_item(r) + "\n";
  case 2: return "use32\n" + eqtype_item(r) + "\n";
  default: return addr_item(r) + "\n";
  }
}
