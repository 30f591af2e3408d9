/*
** Output areas and the data directives: db dw du dd dp df dq dt with
** strings and dup, and the reservations rb rw rd rp rf rq rt.
*/
#include "asm/asm_int.h"

#include <cmath>
#include <cstring>

asm_area &asm_out_area(asm_state *st) { return st->areas.back(); }

asm_val asm_out_here(asm_state *st) {
  asm_area &a = asm_out_area(st);
  asm_val v;
  v.v = a.org + (int64_t)(a.bytes.size() - a.org_at);
  v.reloc = a.org_reloc;
  asm_val_regs(v, a.org_regs);
  return v;
}

bool asm_out_bytes(asm_state *st, const uint8_t *p, size_t n) {
  if (!asm_charge(st, n))
    return false;
  asm_area &a = asm_out_area(st);
  a.bytes.insert(a.bytes.end(), p, p + n);
  a.init_end = a.bytes.size();
  return true;
}

/* Reserved space: in the output when data follows it, not written at
** the very end (align fills it with nop bytes, the rest with zero). */
bool asm_out_reserve(asm_state *st, uint64_t n, uint8_t fill) {
  if (n > st->opt.memory || !asm_charge(st, (size_t)n))
    return asm_fatal(st, ASM_E_OUT_OF_MEMORY), false;
  asm_area &a = asm_out_area(st);
  a.bytes.resize(a.bytes.size() + (size_t)n, fill);
  return true;
}

/* A 32-bit word holding an address of the image is listed for relocation. */
bool asm_out_reloc(asm_state *st, const asm_val &v, int size, size_t at) {
  if (v.reloc == 0)
    return true;
  if (v.reloc != 1 || size != 4)
    return false;
  if (st->areas.size() == 1)
    st->relocs.push_back((uint32_t)at);
  return true;
}

/* IEEE half, single, double or extended image of f, little-endian, as
** the reference rounds: the literal is first read to 64 bits, then cut to
** the unit's width rounding half away from zero (on the first dropped bit
** alone, not to even), subnormals included. A value that rounds to zero
** from below the smallest subnormal, or beyond the largest finite one, is
** out of range. */
bool asm_float_bits(long double f, int size, uint8_t *out) {
  int mb, emin, emax;
  switch (size) {
  case 2: mb = 11, emin = -14, emax = 15; break;
  case 4: mb = 24, emin = -126, emax = 127; break;
  case 8: mb = 53, emin = -1022, emax = 1023; break;
  case 10: mb = 64, emin = -16382, emax = 16383; break;
  default: return false;
  }
  bool neg = std::signbit(f);
  f = fabsl(f);
  memset(out, 0, (size_t)size);
  if (!std::isfinite(f))
    return false;
  uint64_t m = 0;
  int bexp = 0; /* biased exponent field */
  if (f != 0) {
    int e;
    long double frac = frexpl(f, &e); /* f = frac * 2^e, 0.5 <= frac < 1 */
    uint64_t m64 = (uint64_t)ldexpl(frac, 64);
    int E = e - 1, shift = 64 - mb;
    m = shift ? (m64 >> shift) + ((m64 >> (shift - 1)) & 1) : m64;
    if (mb < 64 && m >> mb) {
      m >>= 1;
      E++;
    }
    if (E < emin) {
      /* subnormal: the rounded mantissa is shifted down and rounded again;
      ** the extended unit has no room below its smallest subnormal */
      int down = emin - E;
      if (down > mb || (down == mb && size == 10))
        return false;
      m = (m >> down) + ((m >> (down - 1)) & 1);
      if (m == 0)
        return false;
      E = emin; /* a carry into the top bit makes it normal */
      bexp = m >> (mb - 1) ? 1 : 0;
    } else {
      bexp = E + emax;
    }
    if (E > emax)
      return false;
  }
  if (size == 10) {
    uint16_t se = (uint16_t)(bexp | (neg ? 0x8000 : 0));
    for (int i = 0; i < 8; i++)
      out[i] = (uint8_t)(m >> (8 * i));
    out[8] = (uint8_t)se;
    out[9] = (uint8_t)(se >> 8);
    return true;
  }
  uint64_t bits = (m & ((uint64_t(1) << (mb - 1)) - 1)) | (uint64_t)bexp << (mb - 1);
  if (neg)
    bits |= uint64_t(1) << (size * 8 - 1);
  for (int i = 0; i < size; i++)
    out[i] = (uint8_t)(bits >> (8 * i));
  return true;
}

bool asm_out_value(asm_state *st, const asm_val &v, int size) {
  if (v.fp) {
    uint8_t b[10];
    if (!asm_float_bits(v.f, size, b)) {
      asm_error(st, size == 1 ? ASM_E_SYMBOL_USE : size == 6 ? ASM_E_INVALID_VALUE
                                                : ASM_E_VALUE_RANGE, *st->line);
      return false;
    }
    return asm_out_bytes(st, b, (size_t)size);
  }
  if (v.nreg) {
    asm_error(st, ASM_E_INVALID_VALUE, *st->line);
    return false;
  }
  if (!asm_val_fits(v, size)) /* as the reference: db -256 */
    asm_error(st, ASM_E_VALUE_RANGE, *st->line); /* kept going: sizes stay */
  if (!asm_out_reloc(st, v, size, asm_out_area(st).bytes.size())) {
    asm_error(st, ASM_E_SYMBOL_USE, *st->line);
    return false;
  }
  uint8_t b[16] = {0};
  uint64_t x = (uint64_t)v.v;
  for (int i = 0; i < size && i < 8; i++)
    b[i] = (uint8_t)(x >> (8 * i));
  if (size > 8 && v.v < 0)
    memset(b + 8, 0xFF, (size_t)size - 8);
  return asm_out_bytes(st, b, (size_t)size);
}

static bool data_item(asm_state *st, const asm_line &l, size_t &pos, int unit,
                      bool wide);

static bool data_is_end(const asm_line &l, size_t pos) {
  return pos >= l.t.size() || l.t[pos].sym(',') || l.t[pos].sym(')');
}

/* A string on its own: bytes for db, words for du. */
static bool data_string(asm_state *st, const std::string &s, int unit, bool wide) {
  if (unit == 1 || wide) {
    for (unsigned char c : s) {
      uint8_t b[2] = {c, 0};
      if (!asm_out_bytes(st, b, wide ? 2 : 1))
        return false;
    }
    return true;
  }
  asm_val v;
  if (s.size() > (size_t)unit) {
    asm_error(st, ASM_E_VALUE_RANGE, *st->line);
    return false;
  }
  for (size_t i = s.size(); i-- > 0;)
    v.v = (v.v << 8) | (uint8_t)s[i];
  return asm_out_value(st, v, unit);
}

static bool data_list(asm_state *st, const asm_line &l, size_t &pos, int unit,
                      bool wide) {
  for (;;) {
    if (!data_item(st, l, pos, unit, wide))
      return false;
    if (pos < l.t.size() && l.t[pos].sym(',')) {
      pos++;
      continue;
    }
    return true;
  }
}

static bool data_dup(asm_state *st, const asm_line &l, size_t &pos, int unit,
                     bool wide, int64_t count) {
  if (count < 0) {
    asm_error(st, ASM_E_INVALID_VALUE, l);
    return false;
  }
  if (count > (int64_t)st->opt.memory) { /* each copy is a byte at least */
    asm_fatal(st, ASM_E_OUT_OF_MEMORY);
    return false;
  }
  bool group = pos < l.t.size() && l.t[pos].sym('(');
  size_t init_end = asm_out_area(st).init_end;
  size_t start = group ? pos + 1 : pos, after = start;
  for (int64_t i = 0; i < count || (i == 0 && count == 0); i++) {
    size_t p = start;
    size_t before = asm_out_area(st).bytes.size();
    bool ok = group ? data_list(st, l, p, unit, wide)
                    : data_item(st, l, p, unit, wide);
    if (!ok)
      return false;
    if (count == 0) { /* parse once for the syntax, keep nothing */
      asm_out_area(st).bytes.resize(before);
      asm_out_area(st).init_end = init_end;
      while (st->areas.size() == 1 && !st->relocs.empty() &&
             st->relocs.back() >= before)
        st->relocs.pop_back();
    }
    after = p;
    if (st->fatal)
      return false;
  }
  pos = after;
  if (group) {
    if (pos >= l.t.size() || !l.t[pos].sym(')')) {
      asm_error(st, ASM_E_INVALID_ARG, l);
      return false;
    }
    pos++;
  }
  return true;
}

static bool data_item(asm_state *st, const asm_line &l, size_t &pos, int unit,
                      bool wide) {
  if (pos >= l.t.size()) {
    asm_error(st, ASM_E_INVALID_ARG, l);
    return false;
  }
  const asm_tok &k = l.t[pos];
  if (k.kind == ASM_TK_NAME && k.s == "?" && data_is_end(l, pos + 1)) {
    pos++;
    return asm_out_reserve(st, (uint64_t)unit);
  }
  if (k.kind == ASM_TK_STR && data_is_end(l, pos + 1)) {
    pos++;
    return data_string(st, k.s, unit, wide);
  }
  asm_val v;
  size_t start = pos;
  int e = asm_expr_eval(st, l.t, pos, l.t.size(), false, v);
  /* an empty item or a bracket out of place is a malformed argument to the
  ** reference; a missing operand a bad expression */
  if (e == ASM_E_INVALID_EXPR && (start >= l.t.size() || l.t[start].sym(',') ||
                                  l.t[start].sym('(') || l.t[start].sym(')')))
    e = ASM_E_INVALID_ARG;
  if (e) {
    asm_error(st, e, l);
    return false;
  }
  if (pos < l.t.size() && asm_tok_is(l.t[pos], "dup")) {
    pos++;
    if (v.reloc) {
      asm_error(st, ASM_E_SYMBOL_USE, l);
      return false;
    }
    if (st->dup_depth) { /* as the reference: no dup inside dup */
      asm_error(st, ASM_E_INVALID_ARG, l);
      return false;
    }
    st->dup_depth++;
    bool ok = data_dup(st, l, pos, unit, wide, v.v);
    st->dup_depth--;
    return ok;
  }
  if (unit == 10 && !v.fp) {
    asm_error(st, ASM_E_INVALID_OPERAND, l);
    return false;
  }
  if (unit == 6 && pos < l.t.size() && l.t[pos].sym(':')) { /* df seg:offset */
    pos++;
    asm_val off;
    e = asm_expr_eval(st, l.t, pos, l.t.size(), false, off);
    if (e) {
      asm_error(st, e, l);
      return false;
    }
    return asm_out_value(st, off, 4) && asm_out_value(st, v, 2);
  }
  return asm_out_value(st, v, unit);
}

bool asm_data_define(asm_state *st, const asm_line &l, size_t pos, int unit) {
  bool wide = asm_tok_is(l.t[pos], "du");
  pos++;
  if (!data_list(st, l, pos, unit, wide))
    return false;
  if (pos != l.t.size()) {
    asm_error(st, ASM_E_EXTRA_CHARS, l);
    return false;
  }
  return true;
}

bool asm_data_reserve(asm_state *st, const asm_line &l, size_t pos, int unit) {
  pos++;
  int64_t n;
  int e = asm_expr_const(st, l.t, pos, l.t.size(), n);
  if (e) {
    asm_error(st, e, l);
    return false;
  }
  if (pos != l.t.size()) {
    asm_error(st, ASM_E_EXTRA_CHARS, l);
    return false;
  }
  if (n < 0) {
    asm_error(st, ASM_E_INVALID_VALUE, l);
    return false;
  }
  if ((uint64_t)n > st->opt.memory / (uint64_t)unit) {
    asm_fatal(st, ASM_E_OUT_OF_MEMORY);
    return false;
  }
  return asm_out_reserve(st, (uint64_t)n * (uint64_t)unit);
}
