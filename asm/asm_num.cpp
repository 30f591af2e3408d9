/*
** Numbers of expressions: 64 bits and a sign bit, two's complement, so
** that every value from -2^64 to 2^64-1 is exact. Bit operations act on
** the infinite 2-adic expansion (the sign bit repeated); any result that
** leaves the range is an overflow, which the caller reports as "value out
** of range", as the reference does.
*/
#include "asm/asm_int.h"

asm_num asm_num_of(const asm_val &v) {
  asm_num n;
  n.lo = (uint64_t)v.v;
  n.neg = v.wide ? v.wide < 0 : v.v < 0;
  return n;
}

void asm_num_to(asm_val &v, const asm_num &n) {
  v.v = (int64_t)n.lo;
  bool iv = v.v < 0;
  v.wide = n.neg == iv ? 0 : n.neg ? -1 : 1;
}

static asm_num num(uint64_t lo, bool neg) {
  asm_num n;
  n.lo = lo;
  n.neg = neg;
  return n;
}

/* high part -1 or 0 keeps the value in range */
static bool fold(uint64_t lo, int high, asm_num &r) {
  if (high != 0 && high != -1)
    return false;
  r = num(lo, high < 0);
  return true;
}

bool asm_num_add(asm_num a, asm_num b, asm_num &r) {
  uint64_t lo = a.lo + b.lo;
  int carry = lo < a.lo;
  return fold(lo, carry - a.neg - b.neg, r);
}

bool asm_num_sub(asm_num a, asm_num b, asm_num &r) {
  uint64_t lo = a.lo - b.lo;
  int borrow = a.lo < b.lo;
  return fold(lo, -borrow - a.neg + b.neg, r);
}

/* Magnitude: 64 bits and a top bit for 2^64 itself (only -2^64 has it). */
static void mag(asm_num a, uint64_t &m, bool &top) {
  top = false;
  if (!a.neg) {
    m = a.lo;
  } else {
    m = 0 - a.lo;
    top = a.lo == 0;
  }
}

/* Signed result from a magnitude of up to 128 bits. */
static bool from_mag(uint64_t hi, uint64_t lo, bool neg, asm_num &r) {
  if (!neg) {
    if (hi)
      return false;
    r = num(lo, false);
    return true;
  }
  if (hi > 1 || (hi == 1 && lo != 0))
    return false;
  if (hi == 1) { /* -2^64 */
    r = num(0, true);
    return true;
  }
  if (lo == 0) {
    r = num(0, false);
    return true;
  }
  r = num(0 - lo, true);
  return true;
}

static void mul64(uint64_t a, uint64_t b, uint64_t &hi, uint64_t &lo) {
  uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32, b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
  uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  uint64_t mid = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
  lo = (p00 & 0xFFFFFFFFu) | (mid << 32);
  hi = p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32);
}

bool asm_num_mul(asm_num a, asm_num b, asm_num &r) {
  uint64_t ma, mb, hi, lo;
  bool ta, tb;
  mag(a, ma, ta);
  mag(b, mb, tb);
  bool neg = a.neg != b.neg;
  if (ta || tb) { /* 2^64 times m: only m of 0 or 1 can fit */
    uint64_t m = ta ? mb : ma;
    bool t = ta ? tb : ta;
    if (t)
      return false;
    if (m == 0) {
      r = num(0, false);
      return true;
    }
    if (m != 1)
      return false;
    return from_mag(1, 0, neg, r);
  }
  mul64(ma, mb, hi, lo);
  return from_mag(hi, lo, neg, r);
}

/* Truncating division: the remainder has the sign of the dividend. */
bool asm_num_div(asm_num a, asm_num b, bool want_mod, asm_num &r) {
  uint64_t ma, mb;
  bool ta, tb;
  mag(a, ma, ta);
  mag(b, mb, tb);
  if (!tb && mb == 0)
    return false;
  uint64_t q, rem;
  bool qtop = false;
  if (tb) { /* divisor 2^64 */
    q = ta ? 1 : 0;
    rem = ta ? 0 : ma;
  } else if (ta) { /* 2^64 / mb */
    if (mb == 1) {
      qtop = true;
      q = 0;
      rem = 0;
    } else {
      q = (UINT64_MAX / mb);
      rem = UINT64_MAX - q * mb + 1; /* 2^64 - q*mb */
      if (rem >= mb) {
        q++;
        rem -= mb;
      }
    }
  } else {
    q = ma / mb;
    rem = ma % mb;
  }
  if (want_mod)
    return from_mag(0, rem, a.neg, r);
  return from_mag(qtop ? 1 : 0, q, a.neg != b.neg, r);
}

void asm_num_bits(asm_num a, asm_num b, int op, asm_num &r) {
  switch (op) {
  case '&': r = num(a.lo & b.lo, a.neg && b.neg); break;
  case '|': r = num(a.lo | b.lo, a.neg || b.neg); break;
  default: r = num(a.lo ^ b.lo, a.neg != b.neg); break;
  }
}

void asm_num_not(asm_num a, asm_num &r) { r = num(~a.lo, !a.neg); }

/* Shift by a count taken as a number: a negative count shifts the other
** way, as the reference does. */
bool asm_num_shift(asm_num a, asm_num count, bool left, asm_num &r) {
  if (count.neg) {
    asm_num z = num(0, false), n;
    if (!asm_num_sub(z, count, n))
      n = num(UINT64_MAX, false); /* -2^64: as far as it goes */
    count = n;
    left = !left;
  }
  uint64_t c = count.lo;
  if (!left) {
    if (c >= 65) {
      r = a.neg ? num(UINT64_MAX, true) : num(0, false);
      return true;
    }
    if (c == 0) {
      r = a;
      return true;
    }
    uint64_t fill = a.neg ? UINT64_MAX : 0;
    uint64_t lo = c == 64 ? fill : (a.lo >> c) | (fill << (64 - c));
    r = num(lo, a.neg);
    return true;
  }
  r = a;
  for (uint64_t i = 0; i < c; i++) {
    if (!r.neg && r.lo == 0)
      return true;
    if (!asm_num_add(r, r, r))
      return false;
  }
  return true;
}

/* bsf / bsr: the lowest or highest set bit; none for 0, and a negative
** number has no highest one. */
bool asm_num_scan(asm_num a, bool reverse, asm_num &r) {
  if (!a.neg && a.lo == 0)
    return false;
  if (reverse) {
    if (a.neg)
      return false;
    int i = 63;
    while (!((a.lo >> i) & 1))
      i--;
    r = num((uint64_t)i, false);
    return true;
  }
  if (a.lo == 0) { /* -2^64 */
    r = num(64, false);
    return true;
  }
  int i = 0;
  while (!((a.lo >> i) & 1))
    i++;
  r = num((uint64_t)i, false);
  return true;
}

/* Whether the value fits `size` bytes as a signed or an unsigned number:
** -2^(8 size) up to 2^(8 size) - 1, as the reference checks data. */
bool asm_val_fits(const asm_val &v, int size) {
  if (size >= 8)
    return true;
  if (v.wide)
    return false;
  int64_t lo = -(int64_t(1) << (size * 8));
  int64_t hi = (int64_t(1) << (size * 8)) - 1;
  return v.v >= lo && v.v <= hi;
}
