/*
** Expressions: numbers, characters, symbols, $ and $$, and the operators
** of the dialect, from loosest to tightest binding, as the reference:
**   + - | * / | mod | and or xor | shl shr | not | bsf bsr
** with a leading sign looser than all of them.
** Values are linear: a constant, a count of relocatable bases and, inside
** brackets, register terms with scales. Conditions add relations,
** ~ & | and the tests `defined` and `used`.
*/
#include "asm/asm_expr.h"

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

/* 1.5, 2e3, 1.0e-3, 3.0f, 1e: decimal digits with a point, an exponent
** or the f suffix. A point needs a digit after it; an exponent may have
** no digits, unless it is signed. An exponent sign is a token of its own
** and is joined. */
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
    d += c.t[c.pos].s.str() + c.t[c.pos + 1].s.str();
    c.pos += 2;
    if (d.back() == 'f' || d.back() == 'F')
      d.pop_back();
  }
  size_t i = 0;
  while (i < d.size() && d[i] >= '0' && d[i] <= '9') i++;
  if (i < d.size() && d[i] == '.') {
    size_t frac = ++i;
    while (i < d.size() && d[i] >= '0' && d[i] <= '9') i++;
    if (i == frac)
      return false;
  }
  if (i < d.size() && (d[i] == 'e' || d[i] == 'E')) {
    i++;
    bool sign = i < d.size() && (d[i] == '+' || d[i] == '-');
    size_t digits = i += sign;
    while (i < d.size() && d[i] >= '0' && d[i] <= '9') i++;
    if (i == digits && sign)
      return false;
  }
  if (i != d.size())
    return false;
  if (d.back() == 'e' || d.back() == 'E')
    d.pop_back();
  v.fp = true;
  v.f = strtold(d.c_str(), nullptr);
  /* nonzero digits read as zero: below every unit's smallest subnormal */
  if (v.f == 0 && d.find_first_of("123456789") < d.find_first_of("eE"))
    return c.fail(ASM_E_VALUE_RANGE);
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

/* Register terms that cancelled out are gone: `$-(ebp+8)` in a block at
** ebp+8 is a plain number. */
void drop_zero_regs(asm_val &v) {
  int n = 0;
  for (int i = 0; i < v.nreg; i++)
    if (v.scale[i]) {
      v.reg[n] = v.reg[i];
      v.scale[n++] = v.scale[i];
    }
  for (int i = n; i < 4; i++)
    v.reg[i] = 0, v.scale[i] = 0;
  v.nreg = n;
}

bool v_add(ectx &c, asm_val &a, const asm_val &b, int sign) {
  if (a.fp || b.fp)
    return c.fail(ASM_E_INVALID_VALUE);
  asm_num r;
  bool ok = sign > 0 ? asm_num_add(asm_num_of(a), asm_num_of(b), r)
                     : asm_num_sub(asm_num_of(a), asm_num_of(b), r);
  if (!ok)
    return c.fail(ASM_E_VALUE_RANGE);
  asm_num_to(a, r);
  a.reloc += sign * b.reloc;
  for (int i = 0; i < b.nreg; i++)
    if (!add_reg(c, a, b.reg[i], sign * b.scale[i]))
      return false;
  drop_zero_regs(a);
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
  asm_num p;
  if (!asm_num_mul(asm_num_of(*x), asm_num_of(*k), p))
    return c.fail(ASM_E_VALUE_RANGE);
  asm_num_to(r, p);
  int64_t m = k->v;
  if (r.reloc && (m != 1 || k->wide))
    return c.fail(ASM_E_SYMBOL_USE);
  for (int i = 0; i < r.nreg; i++)
    r.scale[i] *= m;
  drop_zero_regs(r);
  r.unknown = a.unknown || b.unknown;
  if (!r.size)
    r.size = k->size;
  a = r;
  return true;
}

/* Register terms divided by a number, as `[(ebp*4+8)/2]` or `shr 1`: each
** scale must divide exactly. */
bool v_scale_down(ectx &c, asm_val &a, const asm_val &b, int op) {
  if (a.reloc || a.wide || !pure(b) || b.wide || b.v < 0)
    return c.fail(ASM_E_INVALID_EXPR);
  int64_t d = op == '/' ? b.v : b.v < 63 ? (int64_t)1 << b.v : 0;
  if (d <= 0)
    return c.fail(ASM_E_VALUE_RANGE);
  for (int i = 0; i < a.nreg; i++) {
    if (a.scale[i] % d)
      return c.fail(ASM_E_SYMBOL_USE);
    a.scale[i] /= d;
  }
  if (op == '/')
    a.v /= d;
  else
    a.v >>= b.v;
  a.unknown |= b.unknown;
  return true;
}

/* Operators that need plain numbers on both sides. */
bool v_arith(ectx &c, asm_val &a, const asm_val &b, int op) {
  if (a.fp || b.fp)
    return c.fail(ASM_E_INVALID_VALUE);
  if (a.nreg && !b.nreg && (op == '/' || op == '>'))
    return v_scale_down(c, a, b, op);
  if (!pure(a) || !pure(b))
    return c.fail(a.nreg || b.nreg ? ASM_E_INVALID_EXPR : ASM_E_SYMBOL_USE);
  bool unknown = a.unknown || b.unknown;
  asm_num x = asm_num_of(a), y = asm_num_of(b), r;
  bool ok = true;
  switch (op) {
  case '/': ok = asm_num_div(x, y, false, r); break;
  case '%': ok = asm_num_div(x, y, true, r); break;
  case '&': case '|': case '^': asm_num_bits(x, y, op, r); break;
  case '<': ok = asm_num_shift(x, y, true, r); break;
  default: ok = asm_num_shift(x, y, false, r); break;
  }
  if (!ok)
    return c.fail(ASM_E_VALUE_RANGE);
  int size = a.size ? a.size : b.size;
  a = asm_val();
  asm_num_to(a, r);
  a.unknown = unknown;
  a.size = size;
  return true;
}

bool e_char(ectx &c, const std::string &s, asm_val &v) {
  if (s.size() > 8)
    return c.fail(ASM_E_VALUE_RANGE);
  uint64_t x = 0;
  for (size_t i = s.size(); i-- > 0;)
    x = (x << 8) | (uint8_t)s[i];
  v.v = (int64_t)x;
  v.wide = v.v < 0;
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
  if (reg) { /* terms may cancel; the caller judges what is left */
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
  asm_sym_value(st, k, v);
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
    if (asm_expr_number(k->s, v.v)) {
      v.wide = v.v < 0; /* 2^63 and above */
      return true;
    }
    if (f != '$' && e_float(c, k->s, v))
      return true;
    return c.fail(ASM_E_INVALID_VALUE);
  }
  return e_symbol(c, *k, v);
}

/* Binary operators and their priority, tightest highest, as the
** reference's table: + - | * / | mod | and or xor | shl shr. */
int binary_op(const ectx &c, int &prio) {
  const asm_tok *k = c.peek();
  if (!k)
    return 0;
  if (k->kind == ASM_TK_SYM) {
    switch (k->s[0]) {
    case '+': prio = 0; return '+';
    case '-': prio = 0; return '-';
    case '*': prio = 1; return '*';
    case '/': prio = 1; return '/';
    default: return 0;
    }
  }
  if (k->kind != ASM_TK_NAME || k->s.size() > 3)
    return 0;
  if (asm_tok_is(*k, "mod")) { prio = 2; return '%'; }
  if (asm_tok_is(*k, "and")) { prio = 3; return '&'; }
  if (asm_tok_is(*k, "or")) { prio = 3; return '|'; }
  if (asm_tok_is(*k, "xor")) { prio = 3; return '^'; }
  if (asm_tok_is(*k, "shl")) { prio = 4; return '<'; }
  if (asm_tok_is(*k, "shr")) { prio = 4; return '>'; }
  return 0;
}

bool e_binary(ectx &c, asm_val &v, int min);

bool deeper(ectx &c) {
  if (++c.depth > ASM_MAX_DEPTH) {
    asm_fatal(c.st, ASM_E_OUT_OF_STACK);
    return c.fail(ASM_E_OUT_OF_STACK);
  }
  return true;
}

/* Prefix operators. A minus sign has the loosest priority: its operand
** runs over every binary operator but + and -, so `-1 and 2` is
** -(1 and 2); a plus sign changes nothing. `not` (priority 5) and
** `bsf`/`bsr` (6) take just the next operand. */
bool e_unary(ectx &c, asm_val &v) {
  const asm_tok *k = c.peek();
  if (k && k->sym('+')) {
    c.pos++;
    if (!deeper(c) || !e_unary(c, v))
      return false;
    c.depth--;
    return true;
  }
  if (k && k->sym('-')) {
    c.pos++;
    if (!deeper(c) || !e_binary(c, v, 1))
      return false;
    c.depth--;
    if (k->sym('-') && v.fp) {
      v.f = -v.f;
    } else if (k->sym('-')) {
      asm_val z;
      if (!v_add(c, z, v, -1))
        return false;
      z.size = v.size;
      v = z;
    }
    return true;
  }
  int scan = 0;
  if (k && k->kind == ASM_TK_NAME && k->s.size() == 3)
    scan = asm_tok_is(*k, "not") ? 1 : asm_tok_is(*k, "bsf") ? 2
           : asm_tok_is(*k, "bsr") ? 3 : 0;
  if (scan) {
    c.pos++;
    if (!deeper(c) || !e_unary(c, v))
      return false;
    c.depth--;
    if (v.fp)
      return c.fail(ASM_E_INVALID_VALUE);
    if (!pure(v))
      return c.fail(ASM_E_SYMBOL_USE);
    asm_num r;
    if (scan == 1)
      asm_num_not(asm_num_of(v), r);
    else if (!asm_num_scan(asm_num_of(v), scan == 3, r))
      return c.fail(ASM_E_VALUE_RANGE);
    asm_num_to(v, r);
    return true;
  }
  return e_primary(c, v);
}

/* Operators of priority `min` and tighter, left to right. */
bool e_binary(ectx &c, asm_val &v, int min) {
  if (!e_unary(c, v))
    return false;
  for (;;) {
    int prio = 0;
    int op = binary_op(c, prio);
    if (!op || prio < min)
      return true;
    c.pos++;
    asm_val b;
    if (!deeper(c) || !e_binary(c, b, prio + 1))
      return false;
    c.depth--;
    bool ok = op == '+' || op == '-' ? v_add(c, v, b, op == '+' ? 1 : -1)
              : op == '*' ? v_mul(c, v, b) : v_arith(c, v, b, op);
    if (!ok)
      return false;
  }
}

bool e_or(ectx &c, asm_val &v) { return e_binary(c, v, 0); }

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
  if (ok && !regs && out.nreg)
    return ASM_E_INVALID_VALUE; /* registers outside an address */
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

