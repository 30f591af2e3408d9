/*
** TGA reader: colour-mapped, true-colour and grey images, plain or
** run-length, 8/15/16/24/32 bits per pixel, any of the descriptor's row
** orders and either direction of its rows (the four origins). A file that
** ends early leaves the rest of the image black.
*/
#include <string.h>

#include "canvas/image/img_reader.h"

static const char tga_enottga[] = "Not a TGA image file";
static const char tga_edata[] = "Unable to read image data";

/* Largest run-length expansion: one 2-byte packet gives 128 pixels. */
#define TGA_MAXRATIO 128

struct tga_header {
  uint8_t idlen, cmaptype, type, cmapbits, depth, desc;
  uint32_t cmapfirst, cmaplen, xorg, yorg, w, h;
};

static bool tga_header_read(img_reader *r, tga_header *h) {
  if (!img_u8(r, &h->idlen) || !img_u8(r, &h->cmaptype) || !img_u8(r, &h->type) ||
      h->type == 0 || h->type > 11)
    return img_fail(r, tga_enottga);
  if (!img_u16le(r, &h->cmapfirst) || !img_u16le(r, &h->cmaplen) || !img_u8(r, &h->cmapbits) ||
      !img_u16le(r, &h->xorg) || !img_u16le(r, &h->yorg) || !img_u16le(r, &h->w) ||
      !img_u16le(r, &h->h) || !img_u8(r, &h->depth) || !img_u8(r, &h->desc))
    return img_fail(r, tga_enottga);
  switch (h->depth) {
    case 8: case 15: case 16: case 24: case 32: return true;
    default: return img_fail(r, tga_enottga);
  }
}

static uint8_t tga_scale5(uint32_t v) {
  return (uint8_t)((v & 31) * 255 / 31);
}

static void tga_rgb15(uint32_t v, uint8_t *out) {
  out[0] = tga_scale5(v >> 10);
  out[1] = tga_scale5(v >> 5);
  out[2] = tga_scale5(v);
}

static bool tga_colormap(img_reader *r, const tga_header *h) {
  if (!img_palette(r, h->cmaplen)) return false;
  for (uint32_t i = 0; i < h->cmaplen; i++) {
    uint8_t *p = r->pal + 4 * (size_t)i, grey;
    uint32_t v;
    bool ok;
    switch (h->cmapbits) {
      case 15: case 16: ok = img_u16le(r, &v); tga_rgb15(v, p); break;
      case 24: ok = img_bytes(r, p, 3); break;
      case 32: ok = img_bytes(r, p, 4); break;
      default: ok = img_u8(r, &grey); p[0] = p[1] = p[2] = grey; break;
    }
    if (!ok) return img_fail(r, tga_edata);
    if (h->cmapbits == 24 || h->cmapbits == 32) {
      uint8_t t = p[0];
      p[0] = p[2];
      p[2] = t;
    }
  }
  return true;
}

/* Pixel converter: the depth's bytes per pixel and, for 8-bit pixels, each
** index's R, G, B: its palette entry (the map holds the entries from its
** first index on), or a grey level outside the map. */
struct tga_conv {
  uint32_t bpp;
  uint8_t lut[256][3];
};

static void tga_convinit(const img_reader *r, const tga_header *h, tga_conv *c) {
  c->bpp = h->depth == 15 ? 2 : h->depth / 8u;
  if (h->depth != 8) return;
  for (uint32_t i = 0; i < 256; i++) {
    uint32_t e = i - h->cmapfirst;
    if (i >= h->cmapfirst && e < r->npal) memcpy(c->lut[i], r->pal + 4 * (size_t)e, 3);
    else c->lut[i][0] = c->lut[i][1] = c->lut[i][2] = (uint8_t)i;
  }
}

/* Four B, G, R pixels to R, G, B: three word loads and stores instead of
** twelve byte moves. */
static void tga_swap4(const uint8_t *src, uint8_t *out) {
  uint32_t a = img_get32(src), b = img_get32(src + 4), c = img_get32(src + 8);
  img_put32(out, (a >> 16 & 0xFF) | (a & 0xFF00) | (a & 0xFF) << 16 | (b >> 8 & 0xFF) << 24);
  img_put32(out + 4, (b & 0xFF) | (a >> 24) << 8 | (c & 0xFF) << 16 | (b & 0xFF000000));
  img_put32(out + 8, (b >> 16 & 0xFF) | (c >> 24) << 8 | (c & 0xFF0000) | (c >> 8 & 0xFF) << 24);
}

/* n pixels from the file's bytes to R, G, B; one loop per depth. */
static void tga_convert(const tga_conv *c, const uint8_t *src, uint8_t *out, size_t n) {
  switch (c->bpp) {
    case 3:
      for (; n >= 4; n -= 4, src += 12, out += 12) tga_swap4(src, out);
      for (; n > 0; n--, src += 3, out += 3) out[0] = src[2], out[1] = src[1], out[2] = src[0];
      break;
    case 4:
      for (size_t i = 0; i < n; i++, src += 4, out += 3)
        out[0] = src[2], out[1] = src[1], out[2] = src[0];
      break;
    case 2:
      for (size_t i = 0; i < n; i++, src += 2, out += 3)
        tga_rgb15(src[0] | (uint32_t)src[1] << 8, out);
      break;
    default:
      for (size_t i = 0; i < n; i++, out += 3) memcpy(out, c->lut[src[i]], 3);
      break;
  }
}

/* Stored row of the k-th row in the file; the record keeps the bottom row
** first, as the file does unless descriptor bit 5 is set. */
static int32_t tga_rowof(const tga_header *h, uint32_t k) {
  uint32_t p = k;
  if ((h->desc & 0xC0) == 0x80) {
    uint32_t half = (h->h + 1) / 2;
    p = k < half ? 2 * k : 2 * (k - half) + 1;
  }
  return (int32_t)((h->desc & 0x20) ? h->h - 1 - p : p);
}

/* Output cursor: column x of the k-th file row. */
struct tga_out {
  img_image *im;
  const tga_header *h;
  uint32_t x, k;
  uint8_t *row;
  bool rtl;       /* descriptor bit 4: pixels run right to left */
};

static void tga_start(tga_out *o, img_image *im, const tga_header *h) {
  o->im = im, o->h = h, o->x = o->k = 0;
  o->row = img_row(im, tga_rowof(h, 0));
  o->rtl = (h->desc & 0x10) != 0;
}

/* Reverses a row's pixels: rows running right to left are stored as they
** come and turned once complete, so every depth keeps its bulk converter. */
static void tga_mirror(uint8_t *row, uint32_t w) {
  uint8_t *a = row, *b = row + 3 * (size_t)w;
  for (; a + 3 < b; a += 3) {
    b -= 3;
    uint8_t t0 = a[0], t1 = a[1], t2 = a[2];
    a[0] = b[0], a[1] = b[1], a[2] = b[2];
    b[0] = t0, b[1] = t1, b[2] = t2;
  }
}

/* Moves the cursor n pixels on, within the current row. */
static void tga_advance(tga_out *o, uint32_t n) {
  if ((o->x += n) == o->h->w) {
    if (o->rtl) tga_mirror(o->row, o->h->w);
    o->x = 0;
    if (++o->k < o->h->h) o->row = img_row(o->im, tga_rowof(o->h, o->k));
  }
}

static bool tga_full(const tga_out *o) {
  return o->k >= o->h->h;
}

/* Up to n whole pixels the rest of the file holds, no further than the
** row end. */
static uint32_t tga_fit(const img_reader *r, const tga_out *o, const tga_conv *c, uint32_t n) {
  size_t have = img_left(r) / c->bpp;
  if (n > o->h->w - o->x) n = o->h->w - o->x;
  return have < n ? (uint32_t)have : n;
}

/* Converts n pixels from the file at the cursor; false when the file held
** fewer than n (those it held are stored). */
static bool tga_literal(img_reader *r, tga_out *o, const tga_conv *c, uint32_t n) {
  while (n > 0 && !tga_full(o)) {
    uint32_t m = tga_fit(r, o, c, n);
    if (m == 0) return false;
    tga_convert(c, img_span(r, (size_t)m * c->bpp), o->row + 3 * (size_t)o->x, m);
    tga_advance(o, m);
    n -= m;
  }
  return true;
}

static bool tga_plain(img_reader *r, tga_out *o, const tga_conv *c) {
  tga_literal(r, o, c, UINT32_MAX);
  return true;
}

static void tga_fill(tga_out *o, const uint8_t *rgb, uint32_t n) {
  while (n > 0 && !tga_full(o)) {
    uint32_t m = o->h->w - o->x < n ? o->h->w - o->x : n;
    uint8_t *p = o->row + 3 * (size_t)o->x;
    for (uint32_t i = 0; i < m; i++, p += 3) p[0] = rgb[0], p[1] = rgb[1], p[2] = rgb[2];
    tga_advance(o, m);
    n -= m;
  }
}

static bool tga_rle(img_reader *r, tga_out *o, const tga_conv *c) {
  uint8_t rgb[3], p;
  const uint8_t *src;
  while (!tga_full(o)) {
    if (!img_u8(r, &p)) return img_fail(r, tga_edata);
    uint32_t count = (p & 0x7Fu) + 1;
    if (p & 0x80) {
      if (!(src = img_span(r, c->bpp))) return true;
      tga_convert(c, src, rgb, 1);
      tga_fill(o, rgb, count);
    } else if (!tga_literal(r, o, c, count)) {
      return true;
    }
  }
  return true;
}

bool img_tga_read(img_reader *r, img_image *im) {
  tga_header h;
  if (!tga_header_read(r, &h)) return false;
  if (!img_checkdims(r, h.w, h.h)) return false;
  if (!img_skip(r, h.idlen)) return img_fail(r, tga_edata);
  if (h.cmaptype != 0 && !tga_colormap(r, &h)) return false;
  if ((uint64_t)h.w * h.h > (uint64_t)img_left(r) * TGA_MAXRATIO) return img_fail(r, tga_edata);
  if (!img_alloc(r, im, (int32_t)h.w, (int32_t)h.h)) return false;
  r->bottomfirst = true;
  tga_conv c;
  tga_out o;
  tga_convinit(r, &h, &c);
  tga_start(&o, im, &h);
  bool ok = h.type >= 9 ? tga_rle(r, &o, &c) : tga_plain(r, &o, &c);
  /* a row the file ended in: its pixels go to its right end, black before */
  if (o.rtl && !tga_full(&o) && o.x > 0) tga_mirror(o.row, h.w);
  return ok;
}
