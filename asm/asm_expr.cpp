/*
** Expressions: numbers, characters, symbols, $ and $$, and the operators
** of the dialect, from loosest to tightest binding:
**   or xor | and | not | shl shr | + - | * / mod | unary + -
** Values are linear: a constant, a count of relocatable bases and, inside
** brackets, register terms with scales. Conditions add relations,
** ~ & | and the tests `defined` and `used`.
*/
#include "asm_expr.h"

#include <cstdlib>
#include <cstring>

namespace {
typedef asm_ectx ectx;

bool e_or(ectx &c, asm_val &v);
} // namespace

bool asm_expr_pure(const asm_val &v) { return v.reloc == 0 && v.nreg == 0 && !v.fp; }
bool asm_expr_or(asm_ectx &c, asm_val &v) { return e_or(c, v); }

namespace {

bool pure(const asm_val &v) { return v.reloc == 0 && v.nreg == 0 && !v.fp; }

/* 1.5, 2e3, 1.0e-3, 3.0f: decimal digits with a point, an exponent or
** the f suffix. An exponent sign is a token of its own and is joined. */
bool e_float(ectx &c, const std::string &s, asm_val &v) {
  std::string d = s;
  bool point = d.find('.') != std::string::npos;
  size_t e = d.find_first_of("eE");
  if (!point && e == std::string::npos && !(d.size() > 1 && d.back() == 'f'))
    return false;
  if (d.back() == 'f' || d.back() == 'F')
    d.pop_back();
  if (!d.empty() && (d.back() == 'e' || d.back() == 'E') && c.pos + 1 < c.end &&
      (c.t[c.pos].sym('-') || c.t[c.pos].sym('+')) &&
      c.t[c.pos + 1].kind == ASM_TK_NAME) {
    d += c.t[c.pos].s + c.t[c.pos + 1].s;
    c.pos += 2;
  }
  size_t i = 0;
  while (i < d.size() && d[i] >= '0' && d[i] <= '9') i++;
  if (i < d.size() && d[i] == '.') {
    i++;
    while (i < d.size() && d[i] >= '0' && d[i] <= '9') i++;
  }
  if (i < d.size() && (d[i] == 'e' || d[i] == 'E')) {
    i++;
    if (i < d.size() && (d[i] == '+' || d[i] == '-')) i++;
    size_t digits = i;
    while (i < d.size() && d[i] >= '0' && d[i] <= '9') i++;
    if (i == digits)
      return false;
  }
  if (i != d.size())
    return false;
  v.fp = true;
  v.f = strtold(d.c_str(), nullptr);
  return true;
}

bool add_reg(ectx &c, asm_val &v, int reg, int64_t scale) {
  for (int i = 0; i < v.nreg; i++)
    if (v.reg[i] == reg) {
      v.scale[i] += scale;
      return true;
    }
  if (v.nreg == 4)
    return c.fail(ASM_E_INVALID_ADDRESS);
  v.reg[v.nreg] = reg;
  v.scale[v.nreg++] = scale;
  return true;
}

bool v_add(ectx &c, asm_val &a, const asm_val &b, int sign) {
  if (a.fp || b.fp)
    return c.fail(ASM_E_INVALID_VALUE);
  a.v = (int64_t)((uint64_t)a.v + (uint64_t)(sign * b.v));
  a.reloc += sign * b.reloc;
  for (int i = 0; i < b.nreg; i++)
    if (!add_reg(c, a, b.reg[i], sign * b.scale[i]))
      return false;
  if (!a.size)
    a.size = b.size;
  a.unknown |= b.unknown;
  return true;
}

bool v_mul(ectx &c, asm_val &a, const asm_val &b) {
  if (a.fp || b.fp)
    return c.fail(ASM_E_INVALID_VALUE);
  const asm_val *k = &b, *x = &a;
  if (!pure(b)) {
    k = &a;
    x = &b;
  }
  if (!pure(*k))
    return c.fail(a.nreg || b.nreg ? ASM_E_INVALID_ADDRESS : ASM_E_SYMBOL_USE);
  asm_val r = *x;
  int64_t m = k->v;
  r.v = (int64_t)((uint64_t)r.v * (uint64_t)m);
  if (r.reloc && m != 1)
    return c.fail(ASM_E_SYMBOL_USE);
  for (int i = 0; i < r.nreg; i++)
    r.scale[i] *= m;
  r.unknown = a.unknown || b.unknown;
  a = r;
  return true;
}

/* Operators that need plain numbers on both sides. */
bool v_arith(ectx &c, asm_val &a, const asm_val &b, const std::string &op) {
  if (a.fp || b.fp)
    return c.fail(ASM_E_INVALID_VALUE);
  if (!pure(a) || !pure(b))
    return c.fail(a.nreg || b.nreg ? ASM_E_INVALID_EXPR : ASM_E_SYMBOL_USE);
  bool unknown = a.unknown || b.unknown;
  uint64_t x = (uint64_t)a.v, y = (uint64_t)b.v;
  int64_t r = 0;
  if (op == "/" || op == "mod") {
    if (b.v == 0) {
      return c.fail(ASM_E_VALUE_RANGE);
    } else if (a.v == INT64_MIN && b.v == -1) {
      r = op == "/" ? a.v : 0;
    } else {
      r = op == "/" ? a.v / b.v : a.v % b.v;
    }
  } else if (op == "and") {
    r = (int64_t)(x & y);
  } else if (op == "or") {
    r = (int64_t)(x | y);
  } else if (op == "xor") {
    r = (int64_t)(x ^ y);
  } else if (op == "shl") {
    r = b.v < 0 || b.v > 63 ? 0 : (int64_t)(x << b.v);
  } else if (op == "shr") {
    r = b.v < 0 || b.v > 63 ? 0 : (int64_t)(x >> b.v);
  }
  a = asm_val();
  a.v = r;
  a.unknown = unknown;
  return true;
}

bool e_char(ectx &c, const std::string &s, asm_val &v) {
  if (s.size() > 8)
    return c.fail(ASM_E_VALUE_RANGE);
  uint64_t x = 0;
  for (size_t i = s.size(); i-- > 0;)
    x = (x << 8) | (uint8_t)s[i];
  v.v = (int64_t)x;
  return true;
}

bool e_symbol(ectx &c, const asm_tok &k, asm_val &v) {
  const std::string &s = k.s;
  asm_state *st = c.st;
  if (s[0] == '$' || s[0] == '%')
    st->dep = true;
  if (s == "$") {
    v = asm_out_here(st);
    return true;
  }
  if (s == "$$") {
    asm_area &a = asm_out_area(st);
    v.v = a.org;
    v.reloc = a.org_reloc;
    asm_val_regs(v, a.org_regs);
    return true;
  }
  if (s == "%") { /* outside repeat, times and while: 0, as the reference */
    v.v = st->counter_total ? st->counter : 0;
    return true;
  }
  if (s == "%t") {
    if (st->counter_total <= 0)
      return c.fail(ASM_E_UNEXPECTED_CHARS);
    v.v = st->counter_total;
    return true;
  }
  int reg = asm_tok_kw(k).reg;
  if (reg) {
    if (!c.regs)
      return c.fail(ASM_E_INVALID_OPERAND);
    v.nreg = 1;
    v.reg[0] = reg;
    v.scale[0] = 1;
    return true;
  }
  if (!asm_sym_valid_name(s))
    return c.fail(ASM_E_INVALID_EXPR);
  if (c.probe) {
    if (!asm_sym_defined(st, s)) {
      c.missing = true;
      return true;
    }
  }
  asm_sym_value(st, s, v);
  return true;
}

bool e_primary(ectx &c, asm_val &v) {
  const asm_tok *k = c.peek();
  v = asm_val();
  if (!k)
    return c.fail(ASM_E_INVALID_EXPR);
  if (k->sym('(')) {
    if (++c.depth > ASM_MAX_DEPTH) {
      asm_fatal(c.st, ASM_E_OUT_OF_STACK);
      return c.fail(ASM_E_OUT_OF_STACK);
    }
    c.pos++;
    if (!e_or(c, v))
      return false;
    c.depth--;
    if (!c.peek() || !c.peek()->sym(')'))
      return c.fail(ASM_E_INVALID_EXPR);
    c.pos++;
    return true;
  }
  c.pos++;
  if (k->kind == ASM_TK_STR)
    return e_char(c, k->s, v);
  if (k->kind != ASM_TK_NAME)
    return c.fail(ASM_E_INVALID_EXPR);
  char f = k->s[0];
  if ((f >= '0' && f <= '9') ||
      (f == '$' && k->s.size() > 1 && k->s[1] != '$')) {
    if (asm_expr_number(k->s, v.v) || (f != '$' && e_float(c, k->s, v)))
      return true;
    return c.fail(ASM_E_INVALID_VALUE);
  }
  return e_symbol(c, *k, v);
}

bool e_unary(ectx &c, asm_val &v) {
  const asm_tok *k = c.peek();
  if (k && (k->sym('-') || k->sym('+'))) {
    c.pos++;
    if (++c.depth > ASM_MAX_DEPTH) {
      asm_fatal(c.st, ASM_E_OUT_OF_STACK);
      return c.fail(ASM_E_OUT_OF_STACK);
    }
    if (!e_unary(c, v))
      return false;
    c.depth--;
    if (k->sym('-') && v.fp) {
      v.f = -v.f;
    } else if (k->sym('-')) {
      asm_val z;
      if (!v_add(c, z, v, -1))
        return false;
      v = z;
    }
    return true;
  }
  return e_primary(c, v);
}

bool e_mul(ectx &c, asm_val &v) {
  if (!e_unary(c, v))
    return false;
  for (;;) {
    const asm_tok *k = c.peek();
    if (!k)
      return true;
    std::string op;
    if (k->sym('*') || k->sym('/'))
      op = k->s;
    else if (c.word("mod"))
      op = "mod";
    else
      return true;
    c.pos++;
    asm_val b;
    if (!e_unary(c, b))
      return false;
    if (op == "*" ? !v_mul(c, v, b) : !v_arith(c, v, b, op))
      return false;
  }
}

bool e_add(ectx &c, asm_val &v) {
  if (!e_mul(c, v))
    return false;
  for (;;) {
    const asm_tok *k = c.peek();
    if (!k || !(k->sym('+') || k->sym('-')))
      return true;
    c.pos++;
    asm_val b;
    if (!e_mul(c, b) || !v_add(c, v, b, k->sym('-') ? -1 : 1))
      return false;
  }
}

bool e_shift(ectx &c, asm_val &v) {
  if (!e_add(c, v))
    return false;
  while (c.word("shl") || c.word("shr")) {
    std::string op = asm_lower(c.peek()->s);
    c.pos++;
    asm_val b;
    if (!e_add(c, b) || !v_arith(c, v, b, op))
      return false;
  }
  return true;
}

bool e_not(ectx &c, asm_val &v) {
  if (c.word("not")) {
    c.pos++;
    if (++c.depth > ASM_MAX_DEPTH) {
      asm_fatal(c.st, ASM_E_OUT_OF_STACK);
      return c.fail(ASM_E_OUT_OF_STACK);
    }
    if (!e_not(c, v))
      return false;
    c.depth--;
    if (!pure(v))
      return c.fail(ASM_E_SYMBOL_USE);
    v.v = ~v.v;
    return true;
  }
  return e_shift(c, v);
}

bool e_and(ectx &c, asm_val &v) {
  if (!e_not(c, v))
    return false;
  while (c.word("and")) {
    c.pos++;
    asm_val b;
    if (!e_not(c, b) || !v_arith(c, v, b, "and"))
      return false;
  }
  return true;
}

bool e_or(ectx &c, asm_val &v) {
  if (!e_and(c, v))
    return false;
  while (c.word("or") || c.word("xor")) {
    std::string op = asm_lower(c.peek()->s);
    c.pos++;
    asm_val b;
    if (!e_and(c, b) || !v_arith(c, v, b, op))
      return false;
  }
  return true;
}

} // namespace

bool asm_expr_number(const std::string &s, int64_t &out) {
  std::string d = asm_lower(s);
  int base = 10;
  if (d[0] == '$') {
    base = 16;
    d = d.substr(1);
  } else if (d.size() > 2 && d[0] == '0' && d[1] == 'x') {
    base = 16;
    d = d.substr(2);
  } else if (d.back() == 'h') {
    base = 16;
    d.pop_back();
  } else if (d.back() == 'b') {
    base = 2;
    d.pop_back();
  } else if (d.back() == 'o' || d.back() == 'q') {
    base = 8;
    d.pop_back();
  } else if (d.back() == 'd') {
    d.pop_back();
  }
  if (d.empty())
    return false;
  uint64_t v = 0;
  for (char ch : d) {
    int x;
    if (ch >= '0' && ch <= '9') x = ch - '0';
    else if (ch >= 'a' && ch <= 'f') x = ch - 'a' + 10;
    else return false;
    if (x >= base)
      return false;
    if (v > (UINT64_MAX - (uint64_t)x) / (uint64_t)base)
      return false;
    v = v * (uint64_t)base + (uint64_t)x;
  }
  out = (int64_t)v;
  return true;
}

int asm_expr_eval(asm_state *st, const asm_toks &t, size_t &pos, size_t end,
                  bool regs, asm_val &out) {
  ectx c(st, t, pos, end, regs);
  out = asm_val();
  /* most operands and data items are one number or name */
  bool single = pos < end && t[pos].kind != ASM_TK_SYM &&
                (pos + 1 == end || t[pos + 1].sym(','));
  bool ok = single ? e_primary(c, out) : e_or(c, out);
  pos = c.pos;
  return ok ? ASM_OK : c.err;
}

int asm_expr_const(asm_state *st, const asm_toks &t, size_t &pos, size_t end,
                   int64_t &out) {
  asm_val v;
  int e = asm_expr_eval(st, t, pos, end, false, v);
  if (e)
    return e;
  if (v.fp)
    return ASM_E_INVALID_VALUE;
  if (v.reloc)
    return ASM_E_SYMBOL_USE;
  out = v.v;
  return ASM_OK;
}

