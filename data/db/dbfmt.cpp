#include "data/db/dbfmt.h"

#include <cstring>

void dbfmt_put_varint(DbBytes &out, int32_t v) {
  uint32_t u = (uint32_t)v;
  if (v < 0) {
    out.push_back(0);
    u = ~u;
  }
  int shift = 28;
  while (shift > 0 && (u >> shift) == 0) shift -= 7;
  for (; shift > 0; shift -= 7) out.push_back((uint8_t)((u >> shift) & 0x7F));
  out.push_back((uint8_t)(0x80 | (u & 0x7F)));
}

bool dbfmt_get_varint(const uint8_t *&p, const uint8_t *end, int32_t &v) {
  bool neg = false;
  if (p < end && *p == 0) {
    neg = true;
    p++;
  }
  uint64_t u = 0;
  for (int n = 0; p < end; n++) {
    uint8_t b = *p++;
    u = (u << 7) | (b & 0x7F);
    if (n > 5 || u > 0x7FFFFFFFu) return false;
    if (b & 0x80) {
      v = neg ? (int32_t)~(uint32_t)u : (int32_t)u;
      return true;
    }
  }
  return false;
}

static int fmt_need(int32_t x) {
  if (x >= 0 && x <= 15) return x == 0 ? 0 : x <= 1 ? 1 : x <= 3 ? 2 : 4;
  uint32_t u = x < 0 ? ~(uint32_t)x : (uint32_t)x;
  return u < 0x80 ? 8 : u < 0x8000 ? 16 : 32;
}

bool dbfmt_fits(int32_t v, int width) {
  if (width >= 32) return true;
  if (width >= 8) return v >= -(1 << (width - 1)) && v < (1 << (width - 1));
  return v >= 0 && v < (1 << width);
}

int dbfmt_width(const int32_t *v, size_t n) {
  int w = 0;
  for (size_t k = 0; k < n && w < 32; k++) {
    int need = fmt_need(v[k]);
    if (need > w) w = need;
  }
  return w;
}

/* Sizes of narrow columns with 1 to 4 rows, chosen so that a reader's
** size-to-width rule finds the width again. */
static const uint8_t fmt_pad[3][4] = {
    {3, 3, 4, 5}, /* 1 bit */
    {5, 5, 1, 1}, /* 2 bits */
    {6, 1, 2, 2}, /* 4 bits */
};

size_t dbfmt_colsize(int width, size_t rows) {
  if (width == 0 || rows == 0) return 0;
  if (width < 8 && rows <= 4) return fmt_pad[width == 1 ? 0 : width == 2 ? 1 : 2][rows - 1];
  return (rows * (size_t)width + 7) / 8;
}

/* Width by rows (1..7) and size (1..6); 0 marks sizes no writer makes. */
static const uint8_t fmt_small[7][6] = {
    {8, 16, 1, 32, 2, 4}, {4, 8, 1, 16, 2, 0}, {2, 4, 8, 1, 0, 16}, {2, 4, 0, 8, 1, 0},
    {1, 2, 4, 0, 8, 0},   {1, 2, 4, 0, 0, 8},  {1, 2, 0, 4, 0, 0},
};

int dbfmt_readwidth(size_t size, size_t rows) {
  if (size == 0) return 0;
  if (rows == 0) return -1;
  if (rows <= 7 && size <= 6) {
    int w = fmt_small[rows - 1][size - 1];
    return w ? w : -1;
  }
  if (size > SIZE_MAX / 8) return -1;
  size_t w = size * 8 / rows;
  if (w != 1 && w != 2 && w != 4 && w != 8 && w != 16 && w != 32 && w != 64) return -1;
  return (int)w;
}

void dbfmt_put_ints(DbBytes &out, const int32_t *v, size_t held, size_t n) {
  int w = dbfmt_width(v, held);
  size_t size = dbfmt_colsize(w, n), at = out.size();
  out.resize(at + size, 0);
  uint8_t *p = out.data() + at;
  switch (w) {
    case 0: break;
    case 1: case 2: case 4:
      for (size_t k = 0; k < held; k++) p[k * w / 8] |= (uint8_t)((uint32_t)v[k] << (k * w % 8));
      break;
    case 8:
      for (size_t k = 0; k < held; k++) p[k] = (uint8_t)v[k];
      break;
    case 16:
      for (size_t k = 0; k < held; k++) {
        p[2 * k] = (uint8_t)v[k];
        p[2 * k + 1] = (uint8_t)((uint32_t)v[k] >> 8);
      }
      break;
    default:
      for (size_t k = 0; k < held; k++)
        for (int b = 0; b < 4; b++) p[4 * k + b] = (uint8_t)((uint32_t)v[k] >> (8 * b));
  }
}

static uint64_t fmt_load(const uint8_t *p, int bytes, bool bigend) {
  uint64_t x = 0;
  for (int b = 0; b < bytes; b++) {
    int at = bigend ? b : bytes - 1 - b;
    x = (x << 8) | p[at];
  }
  return x;
}

void dbfmt_get_ints(const uint8_t *p, int width, size_t rows, bool bigend, int32_t *out) {
  for (size_t k = 0; k < rows; k++) {
    switch (width) {
      case 0: out[k] = 0; break;
      case 1: case 2: case 4:
        out[k] = (p[k * width / 8] >> (k * width % 8)) & ((1 << width) - 1);
        break;
      case 8: out[k] = (int8_t)p[k]; break;
      case 16: out[k] = (int16_t)(uint16_t)fmt_load(p + 2 * k, 2, bigend); break;
      case 32: out[k] = (int32_t)(uint32_t)fmt_load(p + 4 * k, 4, bigend); break;
      default: out[k] = (int32_t)(uint32_t)fmt_load(p + 8 * k, 8, bigend); break;
    }
  }
}

void dbfmt_put_64(DbBytes &out, uint64_t v) {
  for (int b = 0; b < 8; b++) out.push_back((uint8_t)(v >> (8 * b)));
}

uint64_t dbfmt_get_64(const uint8_t *p, bool bigend) { return fmt_load(p, 8, bigend); }

void dbfmt_put_be32(DbBytes &out, uint32_t v) {
  for (int b = 3; b >= 0; b--) out.push_back((uint8_t)(v >> (8 * b)));
}

uint32_t dbfmt_get_be32(const uint8_t *p) {
  return ((uint32_t)p[0] << 24) | ((uint32_t)p[1] << 16) | ((uint32_t)p[2] << 8) | p[3];
}
