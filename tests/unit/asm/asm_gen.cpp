/*
** Generator of random valid programs for the differential fuzzer. A
** program is a run of sections, each a self-contained piece of the
** dialect: expressions over every operator with and without parentheses,
** instructions of 16-, 32- and 64-bit code with every addressing form,
** labels with jumps and calls forward and back over gaps of every size,
** virtual blocks (also at ebp+8), strucs, macros with group arguments and
** locals, the repeating blocks, symbolic constants, conditions, repeat and
** times, data and alignment. Names carry the section number, so sections
** never clash. Values are kept in range by bounding the magnitude of every
** expression, so the reference accepts what is generated.
*/
#include "tests/unit/asm/asm_gen.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace {

typedef asm_gen_rng rng;

std::string fmt(const char *f, ...) __attribute__((format(printf, 1, 2)));
std::string fmt(const char *f, ...) {
  char buf[512];
  va_list ap;
  va_start(ap, f);
  vsnprintf(buf, sizeof buf, f, ap);
  va_end(ap);
  return buf;
}

/* An expression: its text, an upper bound of its magnitude in bits, and
** what its text is made of at the top, for the parentheses. */
enum { K_ATOM, K_BIN, K_NEG, K_PREFIX };
struct ex {
  int kind = K_ATOM;
  int prio = 0;  /* binary operators: the reference's priority */
  std::string op;
  std::vector<ex> sub;
  std::string text; /* atoms */
  int bits = 0;
};

/* Text with the fewest parentheses that keep the tree, plus some spare
** ones. `next` is the priority of the operator that follows the text
** (-1: none): a leading sign takes in every operator but + and - after
** it, so a sign is bare only where nothing tighter follows. */
std::string show(rng &r, const ex &e, int next);

std::string wrap(rng &r, const ex &e, bool need, int next) {
  if (need || r.chance(8))
    return "(" + show(r, e, -1) + ")";
  return show(r, e, next);
}

std::string show(rng &r, const ex &e, int next) {
  switch (e.kind) {
  case K_ATOM:
    return e.text;
  case K_NEG: {
    const ex &x = e.sub[0];
    bool need = x.kind == K_BIN && x.prio == 0;
    std::string t = wrap(r, x, need, next);
    return e.op + t;
  }
  case K_PREFIX: {
    const ex &x = e.sub[0];
    bool need = x.kind == K_BIN || (x.kind == K_NEG && next >= 1);
    std::string t = wrap(r, x, need, next);
    return e.op + " " + t;
  }
  default: {
    const ex &a = e.sub[0], &b = e.sub[1];
    bool need_a = (a.kind == K_BIN && a.prio < e.prio) || (a.kind == K_NEG && e.prio >= 1);
    bool need_b = (b.kind == K_BIN && b.prio <= e.prio) || (b.kind == K_NEG && next >= 1);
    std::string sa = wrap(r, a, need_a, e.prio);
    std::string sb = wrap(r, b, need_b, next);
    bool word = e.op[0] >= 'a' && e.op[0] <= 'z';
    bool gap1 = word || r.chance(50);
    bool gap2 = word || r.chance(50);
    return sa + (gap1 ? " " : "") + e.op + (gap2 ? " " : "") + sb;
  }
  }
}

/* Every random draw stands in a statement of its own (or behind ?: && ||):
** the order in which C++ evaluates operands of + and arguments of a call
** is not fixed, and the program must not depend on the compiler. */
struct gen {
  rng r;
  std::string out;
  int mode = 32;
  int sec = 0;
  uint32_t walk = 0; /* next position in the byte sequence */
  std::vector<uint32_t> pairs;
  struct named {
    std::string name;
    int bits;
  };
  std::vector<named> consts; /* numeric constants defined so far */

  void line(const std::string &s) {
    out += s;
    out += '\n';
  }
  std::string name(const char *what, int n = -1) {
    return n < 0 ? fmt("s%d_%s", sec, what) : fmt("s%d_%s%d", sec, what, n);
  }

  /* --- numbers ------------------------------------------------------ */
  std::string binary(uint64_t v) {
    std::string b;
    for (uint64_t x = v; x; x >>= 1)
      b.insert(b.begin(), (char)('0' + (x & 1)));
    return (b.empty() ? "0" : b) + "b";
  }
  std::string number(uint64_t v) {
    unsigned long long u = v;
    switch (r.below(6)) {
    case 0: return fmt("0x%llX", u);
    case 1: return fmt("0%llXh", u);
    case 2: return fmt("$%llX", u);
    case 3: return v < 4096 ? binary(v) : fmt("%llu", u);
    case 4:
      if (v < 65536) {
        bool o = r.chance(50);
        return fmt("%llo%c", u, o ? 'o' : 'q');
      }
      return fmt("%llud", u);
    default: return fmt("%llu", u);
    }
  }
  /* a value of up to `bits` bits */
  uint64_t value(int bits) {
    uint64_t v = r.next();
    int b = r.range(1, bits);
    return b >= 64 ? v : v & ((uint64_t(1) << b) - 1);
  }
  ex atom(int bits) {
    ex e;
    if (bits < 1)
      bits = 1;
    if (!consts.empty() && r.chance(20)) {
      const named &c = consts[r.below((uint32_t)consts.size())];
      if (c.bits <= bits) {
        e.text = c.name;
        e.bits = c.bits;
        return e;
      }
    }
    if (bits >= 25 && r.chance(6)) { /* a character constant */
      static const char *const chars[] = {"'a'", "'AB'", "'0'", "'xyz'", "'~'"};
      e.text = r.pick(chars);
      e.bits = 25;
      return e;
    }
    int b = r.range(1, bits < 20 ? bits : 20);
    uint64_t v = value(b);
    e.text = number(v);
    e.bits = b;
    return e;
  }

  /* --- expressions of bounded magnitude ------------------------------ */
  ex bin(const char *op, int prio, ex a, ex b, int bits) {
    ex e;
    e.kind = K_BIN;
    e.op = op;
    e.prio = prio;
    e.bits = bits;
    e.sub.push_back(std::move(a));
    e.sub.push_back(std::move(b));
    return e;
  }
  ex prefix(const char *op, ex a, int bits) {
    ex e;
    e.kind = op[0] == '-' || op[0] == '+' ? K_NEG : K_PREFIX;
    e.op = op;
    e.bits = bits;
    e.sub.push_back(std::move(a));
    return e;
  }
  /* x or 1, never zero */
  ex nonzero(ex x) {
    ex one;
    one.text = "1";
    one.bits = 1;
    int b = (x.bits > 1 ? x.bits : 1) + 1;
    return bin("or", 3, std::move(x), one, b);
  }
  ex expr(int depth, int bits) {
    if (bits < 1)
      bits = 1;
    if (depth <= 0 || bits < 4 || r.chance(20))
      return atom(bits < 20 ? bits : 20);
    switch (r.below(15)) {
    case 0: case 1: {
      ex a = expr(depth - 1, bits - 1);
      ex b = expr(depth - 1, bits - 1);
      int m = (a.bits > b.bits ? a.bits : b.bits) + 1;
      bool plus = r.chance(50);
      return bin(plus ? "+" : "-", 0, std::move(a), std::move(b), m);
    }
    case 2: {
      ex a = expr(depth - 1, bits / 2);
      ex b = expr(depth - 1, bits / 2);
      int m = a.bits + b.bits;
      return bin("*", 1, std::move(a), std::move(b), m);
    }
    case 3: case 4: {
      ex a = expr(depth - 1, bits);
      ex b = nonzero(expr(depth - 1, bits - 2));
      bool div = r.chance(50);
      int m = div ? a.bits : (a.bits < b.bits ? a.bits : b.bits);
      return bin(div ? "/" : "mod", div ? 1 : 2, std::move(a), std::move(b), m);
    }
    case 5: case 6: {
      static const char *const ops[] = {"and", "or", "xor"};
      ex a = expr(depth - 1, bits - 1);
      ex b = expr(depth - 1, bits - 1);
      int m = (a.bits > b.bits ? a.bits : b.bits) + 1;
      const char *op = r.pick(ops);
      return bin(op, 3, std::move(a), std::move(b), m);
    }
    case 7: { /* shl by a count that keeps it in range */
      ex a = expr(depth - 1, bits - 8);
      int room = bits - a.bits;
      if (room < 1)
        return a;
      int n = r.range(0, room > 40 ? 40 : room);
      ex c;
      c.text = number((uint64_t)n);
      c.bits = 6;
      if (r.chance(15)) { /* a negative count shifts the other way */
        c = prefix("-", c, 6);
        return bin("shl", 4, std::move(a), std::move(c), bits);
      }
      int m = a.bits + n;
      return bin("shl", 4, std::move(a), std::move(c), m);
    }
    case 8: {
      ex a = expr(depth - 1, bits);
      uint32_t n = r.below(70);
      ex c;
      c.text = number(n);
      c.bits = 7;
      int m = a.bits;
      return bin("shr", 4, std::move(a), std::move(c), m);
    }
    case 9: case 10: {
      ex a = expr(depth - 1, bits - 1);
      int m = a.bits + 1;
      bool minus = r.chance(85);
      return prefix(minus ? "-" : "+", std::move(a), m);
    }
    case 11: {
      ex a = expr(depth - 1, bits - 1);
      int m = a.bits + 1;
      return prefix("not", std::move(a), m);
    }
    case 12: {
      ex a = nonzero(expr(depth - 1, bits));
      return prefix("bsf", std::move(a), 7);
    }
    case 13: { /* bsr of a positive number */
      ex mask;
      mask.text = "0FFFFh";
      mask.bits = 16;
      ex a = nonzero(bin("and", 3, expr(depth - 1, bits), mask, 17));
      return prefix("bsr", std::move(a), 7);
    }
    default:
      return atom(bits < 20 ? bits : 20);
    }
  }
  std::string text(const ex &e) { return show(r, e, -1); }
  /* an expression that fits `bytes` as an unsigned number */
  std::string masked(int depth, int bytes) {
    static const char *const masks[] = {"", "0FFh", "0FFFFh", "", "0FFFFFFFFh"};
    ex e = expr(depth, 60);
    bool bare = e.bits <= bytes * 8 - 1 && r.chance(50);
    std::string t = text(e);
    return bare ? t : "(" + t + ") and " + masks[bytes];
  }

  /* --- registers and memory ------------------------------------------ */
  std::string reg(int size) {
    static const char *const r8[] = {"al", "cl", "dl", "bl", "ah", "ch", "dh", "bh"};
    static const char *const r8x[] = {"al", "cl", "dl", "bl", "spl", "bpl", "sil", "dil",
                                      "r8b", "r9b", "r10b", "r11b", "r12b", "r13b", "r14b", "r15b"};
    static const char *const r16[] = {"ax", "cx", "dx", "bx", "sp", "bp", "si", "di"};
    static const char *const r16x[] = {"r8w", "r9w", "r10w", "r11w", "r12w", "r13w", "r14w", "r15w"};
    static const char *const r32[] = {"eax", "ecx", "edx", "ebx", "esp", "ebp", "esi", "edi"};
    static const char *const r32x[] = {"r8d", "r9d", "r10d", "r11d", "r12d", "r13d", "r14d", "r15d"};
    static const char *const r64[] = {"rax", "rcx", "rdx", "rbx", "rsp", "rbp", "rsi", "rdi",
                                      "r8", "r9", "r10", "r11", "r12", "r13", "r14", "r15"};
    bool x = mode == 64 && r.chance(50);
    switch (size) {
    case 1: return mode == 64 ? r.pick(r8x) : r.pick(r8);
    case 2: return x ? r.pick(r16x) : r.pick(r16);
    case 4: return x ? r.pick(r32x) : r.pick(r32);
    default: return r.pick(r64);
    }
  }
  /* a displacement: none, byte-sized, near the edges of a byte, or wide */
  std::string disp(bool wide_ok) {
    switch (r.below(wide_ok ? 7 : 5)) {
    case 0: return "";
    case 1: return fmt("+%d", r.range(1, 127));
    case 2: return fmt("-%d", r.range(1, 128));
    case 3: return r.of<const char *>({"+127", "+128", "-128", "-129", "+0", "-1"});
    case 4: return fmt("+%d", r.range(129, 32767));
    case 5: return fmt("+0%Xh", (unsigned)(r.next() & 0x7FFFFFFF));
    default: return fmt("-0%Xh", (unsigned)(r.next() & 0x7FFFFFF));
    }
  }
  std::string mem(int size) {
    static const char *const sizes[] = {"", "byte ", "word ", "", "dword ", "", "", "", "qword ",
                                        "", "", "", "", "", "", "", "dqword "};
    std::string seg;
    if (r.chance(8))
      seg = r.of<const char *>({"es:", "cs:", "ss:", "ds:", "fs:", "gs:"});
    std::string a;
    if (mode == 16 && r.chance(80)) {
      static const char *const forms[] = {"bx", "bp", "si", "di", "bx+si", "bx+di",
                                          "bp+si", "bp+di", "si+bx", "di+bp"};
      if (r.chance(10)) {
        a = fmt("0%Xh", r.below(0x10000));
      } else {
        a = r.pick(forms);
        a += disp(false);
      }
    } else {
      int asz = mode == 64 && r.chance(85) ? 8 : 4;
      std::string b = reg(asz), i = reg(asz);
      while (i == "esp" || i == "rsp")
        i = reg(asz);
      int s = r.of<int>({1, 2, 4, 8});
      switch (r.below(7)) {
      case 0: a = b; break;
      case 1: a = b + disp(true); break;
      case 2: a = fmt("%s+%s*%d", b.c_str(), i.c_str(), s); break;
      case 3: a = fmt("%s+%s*%d", b.c_str(), i.c_str(), s) + disp(true); break;
      case 4: {
        int k = r.of<int>({1, 2, 3, 4, 5, 8, 9});
        a = fmt("%s*%d", i.c_str(), k) + disp(true);
        break;
      }
      case 5:
        if (mode != 64) {
          a = fmt("0%Xh", (unsigned)(r.next() & 0x7FFFFFFF));
          break;
        }
        /* fall through */
      default: a = fmt("%s+%s", b.c_str(), i.c_str()) + disp(true); break;
      }
    }
    return std::string(sizes[size]) + "[" + seg + a + "]";
  }
  std::string imm(int size, bool sign) {
    switch (size) {
    case 1:
      return sign ? fmt("%d", r.range(-128, 127)) : fmt("%d", r.range(0, 255));
    case 2:
      if (r.chance(50))
        return fmt("%d", r.range(-128, 127));
      return fmt("0%Xh", (unsigned)r.below(0x10000));
    default:
      if (r.chance(40))
        return fmt("%d", r.range(-128, 127));
      if (size == 8) /* sign-extended from 32 bits */
        return r.chance(50) ? fmt("-0%Xh", (unsigned)(r.next() & 0x7FFFFFFF))
                            : fmt("0%Xh", (unsigned)(r.next() & 0x7FFFFFFF));
      return fmt("0%Xh", (unsigned)(r.next() & 0xFFFFFFFF));
    }
  }
  int gpsize() {
    if (mode == 64)
      return r.of<int>({1, 2, 4, 8, 8});
    return r.of<int>({1, 2, 4, 4});
  }
  std::string reg_or_mem(int size) { return r.chance(50) ? reg(size) : mem(size); }

  /* --- sections ------------------------------------------------------ */
  void set_mode(int m) {
    mode = m;
    line(m == 16 ? "use16" : m == 32 ? "use32" : "use64");
  }
  bool low = true; /* addresses fit 16 bits: 16-bit code may jump */
  void pick_mode() {
    int m = r.of<int>({16, 32, 32, 64});
    set_mode(m == 16 && !low ? 32 : m);
  }

  void instruction() {
    static const char *const alu[] = {"add", "or", "adc", "sbb", "and", "sub", "xor", "cmp"};
    static const char *const shifts[] = {"rol", "ror", "rcl", "rcr", "shl", "shr", "sal", "sar"};
    static const char *const unary[] = {"inc", "dec", "not", "neg", "mul", "imul", "div", "idiv"};
    static const char *const cc[] = {"o", "no", "b", "ae", "e", "ne", "be", "a", "s", "ns",
                                     "p", "np", "l", "ge", "le", "g", "z", "nz", "c", "nc"};
    static const char *const plain[] = {"nop", "cdq", "cwde", "clc", "stc", "cld", "std",
                                        "cmc", "lahf", "sahf", "pushf", "popf", "movsb",
                                        "stosd", "lodsw", "scasb", "cmpsd", "int3", "xlatb"};
    int s = gpsize();
    int is = s; /* imm() keeps those of 64-bit forms to signed 32 bits */
    std::string a = reg(s), b = reg(s);
    std::string t;
    switch (r.below(22)) {
    case 0: t = "mov " + a + ", " + b; break;
    case 1: t = "mov " + a + ", " + imm(s, true); break;
    case 2: t = "mov " + a + ", " + mem(0); break;
    case 3: t = "mov " + mem(0) + ", " + a; break;
    case 4: { std::string m = mem(s); t = "mov " + m + ", " + imm(is, true); break; }
    case 5: t = std::string(r.pick(alu)) + " " + a + ", " + b; break;
    case 6: { std::string op = r.pick(alu); t = op + " " + a + ", " + imm(is, true); break; }
    case 7: {
      std::string op = r.pick(alu);
      std::string m = mem(s);
      t = op + " " + m + ", " + imm(is, true);
      break;
    }
    case 8: {
      std::string op = r.pick(alu);
      std::string m = mem(0);
      t = op + " " + (r.chance(50) ? a + ", " + m : m + ", " + a);
      break;
    }
    case 9: t = "test " + a + ", " + (r.chance(50) ? b : imm(is, false)); break;
    case 10: { std::string op = r.pick(unary); t = op + " " + reg_or_mem(s); break; }
    case 11: {
      std::string op = r.pick(shifts);
      std::string x = reg_or_mem(s);
      t = op + " " + x + ", " + r.of<const char *>({"1", "cl", "3", "7", "31"});
      break;
    }
    case 12:
      if (mode != 16 || r.chance(50)) {
        std::string d = reg(mode == 64 ? 8 : 4);
        t = "lea " + d + ", " + mem(0);
      } else {
        std::string d = reg(2);
        t = "lea " + d + ", " + mem(0);
      }
      break;
    case 13: {
      bool zx = r.chance(50);
      std::string d = reg(mode == 64 ? 8 : 4);
      int from = r.chance(50) ? 1 : 2;
      t = std::string(zx ? "movzx " : "movsx ") + d + ", " + reg_or_mem(from);
      break;
    }
    case 14: t = "xchg " + a + ", " + (r.chance(50) ? b : mem(0)); break;
    case 15: {
      int ps = mode == 64 ? 8 : mode == 16 ? 2 : 4;
      bool push = mode == 64 || r.chance(50);
      t = std::string(push ? "push " : "pop ") + reg(ps);
      if (r.chance(50))
        t += " " + reg(ps);
      if (push && r.chance(30))
        t += " " + imm(1, true);
      break;
    }
    case 16:
      if (r.chance(50))
        t = "push " + imm(1, true);
      else if (mode != 64 && r.chance(50))
        t = "push dword " + imm(4, false);
      else
        t = "push " + imm(mode == 16 ? 2 : mode == 32 ? 4 : 8, true);
      break;
    case 17: {
      int d = s == 1 ? 4 : s;
      std::string x = reg(d);
      std::string y = reg_or_mem(d);
      t = "imul " + x + ", " + y + ", " + imm(d, true);
      break;
    }
    case 18: { std::string c = r.pick(cc); t = "set" + c + " " + reg_or_mem(1); break; }
    case 19: {
      int d = s == 1 ? 4 : s;
      std::string c = r.pick(cc);
      std::string x = reg(d);
      t = "cmov" + c + " " + x + ", " + (r.chance(50) ? reg(d) : mem(0));
      break;
    }
    case 20: {
      int d = s == 1 ? 2 : s;
      std::string op = r.of<const char *>({"bt", "bts", "btr", "btc"});
      std::string x = reg_or_mem(d);
      t = op + " " + x + ", " + fmt("%d", r.range(0, 15));
      break;
    }
    default: t = r.pick(plain); break;
    }
    line(t);
  }

  std::string xmm() {
    static const char *const x[] = {"xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7"};
    static const char *const xx[] = {"xmm8", "xmm9", "xmm12", "xmm15"};
    return mode == 64 && r.chance(30) ? r.pick(xx) : r.pick(x);
  }
  /* SSE, AVX, MMX and x87 forms with every addressing form */
  void vector_instruction() {
    static const char *const ps[] = {"movaps", "movups", "addps", "mulps", "subps", "xorps",
                                     "andps", "orps", "minps", "maxps", "sqrtps", "addpd",
                                     "movapd", "paddd", "pxor", "pand", "por", "pcmpeqb",
                                     "punpcklbw", "psubw", "pmullw", "unpcklps"};
    static const char *const ss[] = {"addss", "subsd", "mulss", "divsd", "sqrtss", "comiss",
                                     "ucomisd", "minsd", "maxss"};
    static const char *const mmx[] = {"paddb", "psubd", "pxor", "pand", "pcmpgtw", "pmaddwd"};
    static const char *const x87m[] = {"fld", "fstp", "fadd", "fsub", "fmul", "fdivr", "fcom",
                                       "fst"};
    static const char *const x87r[] = {"fadd", "fmul", "fsub", "fdivr"};
    static const char *const avx[] = {"vaddps", "vmulpd", "vxorps", "vandps", "vpaddd",
                                      "vpxor", "vminps", "vsubpd"};
    std::string t;
    switch (r.below(12)) {
    case 0: case 1: {
      std::string op = r.pick(ps);
      std::string a = xmm();
      t = op + " " + a + ", " + (r.chance(50) ? xmm() : mem(r.chance(50) ? 16 : 0));
      break;
    }
    case 2: {
      std::string op = r.pick(ss);
      std::string a = xmm();
      bool d = op.back() == 'd';
      t = op + " " + a + ", " + (r.chance(50) ? xmm() : mem(d ? 8 : 4));
      break;
    }
    case 3: {
      std::string op = r.pick(mmx);
      int m = r.range(0, 7);
      t = op + fmt(" mm%d, ", m) + (r.chance(50) ? fmt("mm%d", r.range(0, 7)) : mem(8));
      break;
    }
    case 4: {
      std::string a = xmm();
      int k = r.range(0, 255);
      t = "pshufd " + a + ", " + (r.chance(50) ? xmm() : mem(16)) + fmt(", %d", k);
      break;
    }
    case 5: {
      std::string a = xmm();
      t = (r.chance(50) ? "movd " : "cvtsi2sd ") + a + ", " + (r.chance(50) ? reg(4) : mem(4));
      break;
    }
    case 6: {
      std::string op = r.pick(x87m);
      int size = r.of<int>({4, 8});
      t = op + " " + mem(size);
      if (op == "fld" && r.chance(30))
        t = "fld tword " + mem(0);
      break;
    }
    case 7: {
      std::string op = r.pick(x87r);
      int i = r.range(0, 7);
      t = r.chance(50) ? op + fmt(" st0, st%d", i) : op + fmt("p st%d, st0", i);
      break;
    }
    case 8:
      t = r.of<const char *>({"fld1", "fldz", "fchs", "fabs", "fxch", "fsqrt", "fninit",
                              "fwait", "emms", "fldpi", "frndint"});
      break;
    case 9: {
      std::string op = r.pick(avx);
      bool y = r.chance(50);
      std::string a = xmm(), b = xmm();
      if (y) {
        a[0] = 'y';
        b[0] = 'y';
      }
      std::string c = r.chance(50) ? xmm() : mem(0);
      if (y && c[0] == 'x')
        c[0] = 'y';
      t = op + " " + a + ", " + b + ", " + c;
      break;
    }
    case 10: {
      std::string a = xmm();
      t = "movq " + a + ", " + (r.chance(50) ? xmm() : mem(8));
      break;
    }
    default: {
      int size = r.of<int>({2, 4, 8});
      t = std::string(r.chance(50) ? "fild " : "fistp ") + mem(size);
      break;
    }
    }
    line(t);
  }

  /* labels of every kind: local, global-like, anonymous, label and $$ */
  void label_section() {
    pick_mode();
    std::string g = name("g");
    line(g + ":");
    line(".a: db 1");
    std::string bb = ".." + name("b");
    line(bb + ": db 2");
    line(".c dw .a - " + g + ", " + bb + " - .a");
    line("@@: db 3");
    line("dd @b - " + g + ", @f - " + g);
    line("@@: db 4");
    std::string lb = name("lb");
    int n = r.range(0, 300);
    line("label " + lb + " word at " + g + fmt("+%d", n));
    line("dw " + lb + " - " + g + ", $ - $$");
    if (mode != 16) {
      line("mov ax, [" + lb + "]");
      line(std::string(r.chance(50) ? "inc " : "not ") + "[" + lb + "]");
    }
    line("jmp @b");
    line("jmp @f");
    line("db 5");
    line("@@:");
    line("dd " + g + ".c - " + g + ".a");
    std::string u = name("u");
    line("if used " + u);
    line(" " + u + " db 6");
    line("end if");
    if (r.chance(50))
      line("dd " + u);
    line(fmt("if %d eqtype 5 & [eax] eqtype [ebx] & ~ 'a' eqtype 5", r.range(0, 9)));
    line(" db 7");
    line("end if");
    line("if ax eq ax & ~ ax eq bx & 3 in <1, 2, 3>");
    line(" db 8");
    line("end if");
  }

  /* symbolic constants and macro definitions within macros */
  void define_section() {
    std::string d = name("d"), m = name("mm"), f = name("f");
    int v = r.range(0, 99);
    line(fmt("define %s %d", d.c_str(), v));
    line(d + " equ " + d + " + 1");
    line("db " + d);
    line("restore " + d);
    line("db " + d + " * 2");
    line(f + " fix db 9,");
    line(f + " 8");
    line("macro " + m + " a, b& {");
    line(" macro " + m + "_inner x \\{ db x, a \\}");
    line(" " + m + "_inner 1");
    line(" irps t, b \\{ db `t#'0' \\}");
    line(" match =x y, b \\{ db y \\}");
    line("}");
    int a1 = r.range(0, 9);
    int a2 = r.range(0, 9);
    int a3 = r.range(0, 9);
    line(fmt("%s %d, x %d", m.c_str(), a1, a2));
    line(fmt("%s %d, %d", m.c_str(), a2, a3));
    line("purge " + m + "_inner");
    std::string w = name("w");
    line(w + " = 0");
    line(fmt("while %s < %d", w.c_str(), r.range(0, 6)));
    line(" " + w + " = " + w + " + 1");
    line(" db " + w);
    line("end while");
    line(fmt("times %d nop", r.range(0, 3)));
  }

  void code_section() {
    pick_mode();
    int n = r.range(4, 14);
    for (int i = 0; i < n; i++) {
      if (r.chance(25))
        vector_instruction();
      else
        instruction();
      if (r.chance(5))
        line(fmt("align %d", r.of<int>({2, 4, 8, 16})));
    }
  }

  /* labels, jumps and calls forward and back over gaps of every size */
  void jump_section() {
    pick_mode();
    static const char *const jcc[] = {"jo", "jno", "jb", "jae", "je", "jne", "jbe", "ja",
                                      "js", "jns", "jp", "jnp", "jl", "jge", "jle", "jg",
                                      "jz", "jnz", "jc", "jnc", "jnae", "jnb", "jpe", "jpo"};
    static const int gaps[] = {0, 1, 5, 100, 117, 118, 119, 120, 121, 122, 123, 124, 125,
                               126, 127, 128, 129, 130, 200, 300};
    int labels = r.range(3, 7);
    for (int k = 0; k < labels; k++) {
      line(name("l", k) + ":");
      int n = r.range(1, 4);
      for (int j = 0; j < n; j++) {
        int to = (int)r.below((uint32_t)labels);
        const char *op = r.chance(40) ? "jmp" : r.chance(60) ? r.pick(jcc) : "call";
        bool near = r.chance(10);
        line(std::string(op) + (near ? " near " : " ") + name("l", to));
        if (r.chance(40))
          line(fmt("db %d dup 90h", r.pick(gaps)));
      }
      if (r.chance(30)) { /* short-only forms, to a label close by */
        const char *op = r.of<const char *>({"jmp short", "loop", "loope", "loopne", "jcxz"});
        if (op[1] == 'c')
          op = mode == 16 ? "jcxz" : mode == 32 ? "jecxz" : "jrcxz";
        line(std::string(op) + " " + name("near", k));
        line(fmt("db %d dup 0CCh", r.range(0, 120)));
        line(name("near", k) + ":");
      }
      if (r.chance(20))
        instruction();
    }
    if (r.chance(30)) { /* a chain of forward jumps through anonymous labels */
      line(fmt("rept %d {", r.range(20, 300)));
      line(r.chance(50) ? "@@: mov eax, 8207" : "@@: nop");
      line(" jmp @f");
      line("}");
      line("@@:");
    }
  }

  /* many labels with jumps and calls far ahead and back among them, of
  ** sizes the passes must settle together */
  void jump_network() {
    pick_mode();
    static const char *const jcc[] = {"je", "jne", "jb", "ja", "jl", "jg", "js", "jo"};
    int blocks = r.range(20, 120);
    bool dense = r.chance(30); /* blocks of fixed shape: many jumps near the edge */
    if (dense)
      blocks = r.range(150, 400);
    for (int i = 0; i < blocks; i++) {
      line(name("n", i) + ":");
      if (dense) {
        int f = i + 1 + r.range(0, 120), c = i + 1 + r.range(0, 90), b = i - r.range(0, 40);
        line(fmt(" mov eax, %d", r.range(0, 100000)));
        line(" cmp eax, ebx");
        line(" je " + name("n", f < blocks ? f : blocks - 1));
        line(" call " + name("n", c < blocks ? c : blocks - 1));
        line(fmt(" add ecx, [esi+%d]", r.range(0, 300) * 4));
        line(" jnz " + name("n", b < 0 ? 0 : b));
        line(" jmp " + name("n", i + 1 < blocks ? i + 1 : 0));
        switch (r.below(12)) { /* other symbols among the labels */
        case 0:
          line("virtual at 0");
          line(name("z", i) + " dd 0");
          line("end virtual");
          break;
        case 1: line(name("e", i) + " = $ - " + name("n", 0)); break;
        case 2: line(name("d", i) + fmt(" db %d", r.range(0, 9))); break;
        case 3: line(fmt("times %d nop", r.range(0, 3))); break;
        case 4: line("dd " + name("n", f < blocks ? f : blocks - 1) + " - $"); break;
        default: break;
        }
        continue;
      }
      int n = r.range(1, 3);
      for (int j = 0; j < n; j++) {
        int to = i + (r.chance(70) ? r.range(1, 40) : -r.range(0, 30));
        if (to < 0)
          to = 0;
        if (to >= blocks)
          to = blocks - 1;
        switch (r.below(7)) {
        case 0: line("jmp " + name("n", to)); break;
        case 1: line("call " + name("n", to)); break;
        case 2: case 3: line(std::string(r.pick(jcc)) + " " + name("n", to)); break;
        case 4: line(fmt("db %d dup 0", r.range(0, 70))); break;
        case 5:
          if (r.chance(30)) {
            line("virtual at $");
            line(name("v", i * 8 + j) + fmt(" dd %d", r.range(0, 9)));
            line("end virtual");
          } else if (r.chance(50)) {
            line(name("h", i * 8 + j) + " = $");
            line("dd " + name("h", i * 8 + j) + " - " + name("n", to));
          } else {
            line("dd " + name("n", to) + " - $");
          }
          break;
        default: instruction(); break;
        }
      }
    }
  }

  void expr_section() {
    int n = r.range(3, 10);
    for (int i = 0; i < n; i++) {
      switch (r.below(6)) {
      case 0: case 1: {
        ex e = expr(r.range(1, 4), 62);
        line("dq " + text(e));
        break;
      }
      case 2: line("dd " + masked(r.range(1, 4), 4)); break;
      case 3: {
        std::string x = masked(r.range(1, 3), 2);
        std::string y = masked(1, 2);
        line("dw " + x + ", " + y);
        break;
      }
      case 4: line("db " + masked(r.range(1, 3), 1)); break;
      default: {
        ex e = expr(r.range(1, 3), 40);
        std::string c = name("c", i);
        line(c + " = " + text(e));
        consts.push_back(named{c, e.bits});
        break;
      }
      }
    }
    if (r.chance(40)) { /* a constant used before its definition */
      std::string c = name("fwd");
      line("dq " + c + " * 3");
      ex e = expr(2, 40);
      line(c + " = " + text(e));
    }
  }

  /* immediates and displacements that walk the byte sequence */
  uint32_t word() {
    uint32_t v = 0;
    for (int k = 3; k >= 0; k--)
      v = (v << 8) | asm_gen_debruijn(walk + (uint32_t)k);
    for (int k = 0; k < 3; k++)
      pairs.push_back((walk + (uint32_t)k) & 0xFFFF);
    walk += 3;
    return v;
  }
  void walk_section(int words) {
    set_mode(32);
    static const char *const r32[] = {"eax", "ecx", "edx", "ebx", "esp", "ebp", "esi", "edi"};
    while (words > 0) {
      const char *a = r.pick(r32);
      const char *b = r.pick(r32);
      uint32_t w = word();
      words--;
      switch (r.below(8)) {
      case 0: line(fmt("mov %s, 0%Xh", a, w)); break;
      case 1: line(fmt("mov eax, [0%Xh]", w)); break;
      case 2: line(fmt("mov [0%Xh], %s", w, a)); break;
      case 3:
        if (words > 0) {
          uint32_t w2 = word();
          words--;
          line(fmt("mov dword [0%Xh], 0%Xh", w, w2));
          break;
        }
        line(fmt("dd 0%Xh", w));
        break;
      case 4: line(fmt("push dword 0%Xh", w)); break;
      case 5: line(fmt("test %s, 0%Xh", a, w)); break;
      case 6:
        if (strcmp(b, "esp") == 0)
          b = "ebx";
        line(fmt("mov %s, [%s+%s*4+0%Xh]", a, a, b, w));
        break;
      default: line(fmt("dd 0%Xh", w)); break;
      }
    }
  }

  void virtual_section() {
    set_mode(32);
    std::string p1 = name("p1"), p2 = name("p2"), p3 = name("p3"), sz = name("sz");
    int base = r.of<int>({4, 8, 12, -4});
    line(fmt("virtual at ebp%+d", base));
    line(p1 + " dd ?");
    if (r.chance(50))
      line(name("pad") + " rb " + fmt("%d", r.range(0, 200)));
    line(p2 + " dw ?");
    line(p3 + " db ?");
    line(sz + fmt(" = $-(ebp%+d)", base));
    line("end virtual");
    line("mov eax, [" + p1 + "]");
    line("mov cx, [" + p2 + "]");
    line("mov dl, [" + p3 + "+1]");
    line("lea esi, [" + p3 + "]");
    line("db " + sz + ", " + p3 + " - " + p1);
    std::string v = name("v"), x = name("x");
    line(fmt("virtual at %d", r.range(0, 0x1000)));
    line(v + ":");
    int b1 = r.range(0, 255);
    int b2 = r.range(0, 255);
    int b3 = r.range(0, 255);
    line(fmt("db %d, %d, %d", b1, b2, b3));
    line(fmt("dw %d", r.range(0, 65535)));
    line(fmt("load %s word from %s+1", x.c_str(), v.c_str()));
    if (r.chance(50))
      line(fmt("store byte %d at %s", r.range(0, 255), v.c_str()));
    line("end virtual");
    line("dw " + x);
  }

  void struc_section() {
    std::string s = name("S"), a = name("a"), b = name("b");
    line("struc " + s + " x, y {");
    line(" .x dd x+0");
    line(" .y db y+0");
    if (r.chance(50))
      line(" .pad rb " + fmt("%d", r.range(0, 9)));
    line(" .z dw .y - .x");
    line("}");
    int x = r.range(0, 1000);
    int y = r.range(0, 255);
    line(a + " " + s + " " + fmt("%d, %d", x, y));
    line(b + " " + s);
    line("virtual at 0");
    line(" " + s + " " + s);
    line(" sizeof." + s + " = $");
    line("end virtual");
    line("dd sizeof." + s + ", " + b + ".z - " + a + ", " + a + ".y");
    if (mode != 16)
      line("mov eax, [" + a + ".x]");
  }

  void macro_section() {
    std::string m = name("m");
    switch (r.below(3)) {
    case 0:
      line("macro " + m + " a, [b] {");
      line(" common");
      line("  local l");
      line("  l: db a+0");
      line(" forward");
      line("  local f");
      line("  f dd b+0, l");
      line(" reverse");
      line("  dw f - l");
      line(" common");
      line("  dd f");
      line("}");
      break;
    case 1:
      line("macro " + m + " [x, y:7] {");
      line(" forward");
      line("  db x+0, y");
      line(" common");
      line("  dw x+0");
      line(" reverse");
      line("  db y - 1");
      line("}");
      break;
    default:
      line("macro " + m + " n*, [v] {");
      line(" common");
      line("  if n > 3");
      line("   dd n * 2");
      line("  else");
      line("   dw n");
      line("  end if");
      line(" forward");
      line("  local q");
      line("  q = v + 0");
      line("  db q, `n");
      line("}");
      break;
    }
    int calls = r.range(1, 4);
    for (int i = 0; i < calls; i++) {
      std::string args = fmt("%d", r.range(1, 9));
      int extra = r.range(0, 3);
      for (int k = 0; k < extra; k++)
        args += r.chance(10) ? std::string(",") : fmt(", %d", r.range(0, 99));
      line(m + " " + args);
    }
  }

  void control_section() {
    std::string c = name("k");
    ex e = expr(2, 12);
    line(c + " = " + text(e));
    consts.push_back(named{c, e.bits});
    line(fmt("if %s > %d", c.c_str(), r.range(0, 4000)));
    line(" db 1");
    line(fmt("else if %s = %s | %s < 0", c.c_str(), c.c_str(), c.c_str()));
    line(" db 2");
    line("else");
    line(" db 3");
    line("end if");
    line(fmt("repeat %d", r.range(0, 5)));
    line(" db % * 2");
    if (r.chance(30)) {
      line(fmt(" if %% = %d", r.range(1, 4)));
      line("  break");
      line(" end if");
    }
    line("end repeat");
    line(fmt("times %d db %%", r.range(0, 6)));
    int count = r.range(0, 4);
    int base = r.range(-3, 9);
    line(fmt("rept %d n:%d { dw n }", count, base));
    line("irp x, 1, 22, 333 { dw x }");
    line("irps x, a b c { db `x }");
    int m1 = r.range(0, 9);
    int m2 = r.range(0, 9);
    line(fmt("match a b, %d %d { db a, b }", m1, m2));
    std::string q = name("q");
    line(q + " equ 5");
    line(q + " equ " + q + " + 1");
    line("db " + q);
    line("restore " + q);
    line("db " + q);
    line("if defined " + c + " & ~ defined " + name("none"));
    line(" db 4");
    line("end if");
  }

  void data_section() {
    int n = r.range(2, 6);
    for (int i = 0; i < n; i++) {
      switch (r.below(7)) {
      case 0: line(fmt("db 'text%d', 0", r.range(0, 99))); break;
      case 1: line(fmt("dw %d dup (1, 2), ?", r.range(0, 4))); break;
      case 2: line(fmt("du 'ab', %d", r.range(0, 65535))); break;
      case 3: {
        int a = r.range(0, 999);
        int b = r.range(0, 99);
        int c = r.range(0, 99);
        line(fmt("dd %d.%d, -%d.5", a, b, c));
        break;
      }
      case 4: {
        int a = r.range(0, 99);
        int b = r.range(-5, 5);
        line(fmt("dq %d.25, 1.0e%d", a, b));
        break;
      }
      case 5: line(fmt("rb %d", r.range(0, 20))); line("db 0FFh"); break;
      default:
        line(fmt("align %d", r.of<int>({1, 2, 4, 8, 16})));
        line("db 1");
        break;
      }
    }
  }
};

} // namespace

uint8_t asm_gen_debruijn(uint32_t i) {
  /* the Lyndon words of length 1 and 2 in order: a, then a b for b > a */
  static uint8_t seq[65536];
  static bool made = false;
  if (!made) {
    size_t n = 0;
    for (int a = 0; a < 256; a++) {
      seq[n++] = (uint8_t)a;
      for (int b = a + 1; b < 256; b++) {
        seq[n++] = (uint8_t)a;
        seq[n++] = (uint8_t)b;
      }
    }
    made = true;
  }
  return seq[i & 0xFFFF];
}

asm_gen_program asm_gen(uint64_t seed) {
  gen g;
  g.r.s = seed * 0x2545F4914F6CDD1Dull;
  enum { WORDS = 16 };
  g.walk = (uint32_t)((seed * 3 * WORDS) & 0xFFFF);
  g.line(fmt("; generated program, seed %llu", (unsigned long long)seed));
  g.line("use32");
  bool small = g.r.chance(50);
  g.low = small;
  if (small)
    g.line(g.r.chance(50) ? "org 100h" : "org 0");
  else
    g.line(g.r.chance(50) ? "org 401000h" : "org 7C00h");
  g.line("start:");
  int sections = g.r.range(3, 7);
  int walk_at = g.r.range(0, sections);
  for (int i = 0; i <= sections; i++) {
    g.sec = i;
    if (i == walk_at) {
      g.walk_section(WORDS);
      continue;
    }
    switch (g.r.below(12)) {
    case 11: g.jump_network(); break;
    case 0: case 1:
      g.code_section();
      break;
    case 2: case 3:
      g.jump_section();
      break;
    case 4: g.expr_section(); break;
    case 5: g.virtual_section(); break;
    case 6: g.struc_section(); break;
    case 7: g.macro_section(); g.control_section(); break;
    case 8: g.label_section(); break;
    case 9: g.define_section(); break;
    default: g.data_section(); break;
    }
  }
  g.line("dd $ - start");
  asm_gen_program p;
  p.source = g.out;
  p.pairs = std::move(g.pairs);
  return p;
}

std::string asm_gen_digest(const std::vector<uint8_t> &b) {
  /* two independent 64-bit lanes, each a multiply-rotate over the bytes
  ** and the length */
  uint64_t h1 = 0x243F6A8885A308D3ull ^ b.size(), h2 = 0x13198A2E03707344ull + b.size();
  for (uint8_t c : b) {
    h1 = (h1 ^ c) * 0x100000001B3ull;
    h1 = (h1 << 31) | (h1 >> 33);
    h2 = (h2 + c + 1) * 0xFF51AFD7ED558CCDull;
    h2 ^= h2 >> 29;
  }
  h1 ^= h1 >> 33;
  h1 *= 0xC4CEB9FE1A85EC53ull;
  h1 ^= h1 >> 33;
  h2 ^= h2 >> 31;
  h2 *= 0x9E3779B97F4A7C15ull;
  h2 ^= h2 >> 30;
  char buf[40];
  snprintf(buf, sizeof buf, "%016llx%016llx", (unsigned long long)h1, (unsigned long long)h2);
  return buf;
}
