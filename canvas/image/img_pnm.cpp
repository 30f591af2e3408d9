/*
** PNM reader: P3 (text RGB), P5 (raw grey), P6 (raw RGB) and P7 (raw grey
** after one extra header number). Samples wider than 8 bits are two bytes,
** most significant first; a maxval other than 255 rescales to 0..255.
*/
#include <stdlib.h>
#include <string.h>

#include "canvas/image/img_reader.h"

static const char pnm_enotpnm[] = "Not a PNM image file";
static const char pnm_ezero[] = "Unable to read image: image dimensions are zero";

#define PNM_MAXNUM 0x7FFFFFFF

/* A header character; a comment ('#' to the end of the line) reads as the
** line end that closes it, wherever it starts, as netpbm reads headers. */
static bool pnm_char(img_reader *r, uint8_t *c) {
  if (!img_u8(r, c)) return false;
  if (*c == '#') {
    while (img_u8(r, c) && *c != '\n' && *c != '\r') {}
    *c = '\n';
  }
  return true;
}

/* Next decimal number: skips up to a digit, reads digits and consumes the
** first non-digit (a comment right after the digits up to its line end).
** Saturates. */
static bool pnm_number(img_reader *r, uint32_t *v) {
  uint8_t c;
  do {
    if (!pnm_char(r, &c)) return false;
  } while (c < '0' || c > '9');
  uint64_t n = c - '0';
  while (pnm_char(r, &c) && c >= '0' && c <= '9') {
    n = n * 10 + (c - '0');
    if (n > PNM_MAXNUM) n = PNM_MAXNUM;
  }
  *v = (uint32_t)n;
  return true;
}

struct pnm_state {
  char type;
  uint32_t maxval;
  uint8_t *scale;   /* maxval + 1 entries, null when maxval is 255 */
};

static uint8_t pnm_map(const pnm_state *s, uint32_t v) {
  if (v > s->maxval) v = s->maxval;
  return s->scale ? s->scale[v] : (uint8_t)v;
}

static bool pnm_scaletable(img_reader *r, pnm_state *s) {
  s->scale = NULL;
  if (s->maxval == 255) return true;
  s->scale = (uint8_t *)malloc(s->maxval + 1);
  if (!s->scale) return img_fail(r, img_enomem);
  for (uint32_t v = 0; v <= s->maxval; v++)
    s->scale[v] = (uint8_t)((s->maxval / 2 + v * 255) / s->maxval);
  return true;
}

/* Rows come top first in the file; the record keeps the bottom row first. */
static uint8_t *pnm_row(img_image *im, int32_t y) {
  return img_row(im, im->height - 1 - y);
}

static bool pnm_text(img_reader *r, img_image *im, const pnm_state *s) {
  size_t n = (size_t)im->width * 3;
  for (int32_t y = 0; y < im->height; y++) {
    uint8_t *out = pnm_row(im, y);
    for (size_t i = 0; i < n; i++) {
      uint32_t v;
      if (!pnm_number(r, &v)) return img_fail(r, img_etruncated);
      out[i] = pnm_map(s, v);
    }
  }
  return true;
}

/* One row of n samples to n bytes 0..255. */
static void pnm_samples(const pnm_state *s, size_t wide, const uint8_t *p, uint8_t *out, size_t n) {
  if (wide == 2)
    for (size_t i = 0; i < n; i++, p += 2) out[i] = pnm_map(s, (uint32_t)p[0] << 8 | p[1]);
  else if (s->scale)
    for (size_t i = 0; i < n; i++) out[i] = pnm_map(s, p[i]);
  else
    memcpy(out, p, n);
}

static void pnm_grey(uint8_t *row, size_t w) {
  /* Back to front: sample i moves to 3i, which is never before it. */
  for (size_t i = w; i-- > 0;) row[3 * i] = row[3 * i + 1] = row[3 * i + 2] = row[i];
}

/* Grey samples to R = G = B, four pixels in three word stores. */
static void pnm_grey8(const uint8_t *p, uint8_t *out, size_t n) {
  for (; n >= 4; n -= 4, p += 4, out += 12) {
    uint32_t a = p[0] * 0x010101u, b = p[1] * 0x010101u, c = p[2] * 0x010101u, d = p[3] * 0x010101u;
    img_put32(out, a | b << 24);
    img_put32(out + 4, b >> 8 | c << 16);
    img_put32(out + 8, c >> 16 | d << 8);
  }
  for (; n > 0; n--, p++, out += 3) out[0] = out[1] = out[2] = *p;
}

static bool pnm_raw(img_reader *r, img_image *im, const pnm_state *s) {
  size_t spp = s->type == '6' ? 3 : 1, wide = s->maxval > 255 ? 2 : 1;
  size_t w = (size_t)im->width, rowbytes = w * spp * wide;
  const uint8_t *p = img_span(r, rowbytes * (size_t)im->height);
  if (!p) return img_fail(r, img_etruncated);
  for (int32_t y = 0; y < im->height; y++, p += rowbytes) {
    uint8_t *out = pnm_row(im, y);
    if (spp == 1 && wide == 1 && !s->scale) {
      pnm_grey8(p, out, w);
    } else {
      pnm_samples(s, wide, p, out, w * spp);
      if (spp == 1) pnm_grey(out, w);
    }
  }
  return true;
}

static bool pnm_header(img_reader *r, pnm_state *s, uint32_t *w, uint32_t *h) {
  uint32_t skip;
  if (s->type == '7') pnm_number(r, &skip);
  *w = *h = 0;
  if (!pnm_number(r, w) || !pnm_number(r, h) || *w == 0 || *h == 0)
    return img_fail(r, pnm_ezero);
  if (!img_checkdims(r, *w, *h)) return false;
  s->maxval = 1;
  if (s->type != '1' && s->type != '4' &&
      (!pnm_number(r, &s->maxval) || s->maxval == 0 || s->maxval > 65535))
    return img_fail(r, pnm_enotpnm);
  return true;
}

/* Refuses a size the rest of the file cannot hold. */
static bool pnm_fits(img_reader *r, const pnm_state *s, uint64_t npix) {
  uint64_t need = npix * (s->type == '5' || s->type == '7' ? 1 : 3);
  if (s->type != '3' && s->maxval > 255) need *= 2;
  return need <= img_left(r) || img_fail(r, img_etruncated);
}

bool img_pnm_read(img_reader *r, img_image *im) {
  uint8_t c;
  pnm_state s = {0, 0, NULL};
  if (!img_u8(r, &c) || c != 'P' || !img_u8(r, &c) || c < '1' || c > '7')
    return img_fail(r, pnm_enotpnm);
  s.type = (char)c;
  uint32_t w, h;
  if (!pnm_header(r, &s, &w, &h)) return false;
  switch (s.type) {
    case '1': return img_fail(r, "unsupported PNM-P1 format");
    case '2': return img_fail(r, "unsupported PNM-P2 format");
    case '4': return img_fail(r, "unsupported PNM-P4 format");
  }
  if (!pnm_fits(r, &s, (uint64_t)w * h) || !img_alloc(r, im, (int32_t)w, (int32_t)h) ||
      !pnm_scaletable(r, &s))
    return false;
  r->bottomfirst = true;
  bool ok = s.type == '3' ? pnm_text(r, im, &s) : pnm_raw(r, im, &s);
  free(s.scale);
  return ok;
}
