/*
** TGA reader: colour-mapped, true-colour and grey images, plain or
** run-length, 8/15/16/24/32 bits per pixel, any of the descriptor's row
** orders and either direction of its rows (the four origins). A file that
** ends early leaves the rest of the image black.
*/
#include <string.h>

#include "img_reader.h"

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

/* One pixel value as R, G, B; false at end of file. */
static bool tga_pixel(img_reader *r, const tga_header *h, uint8_t *out) {
  uint32_t v;
  const uint8_t *p;
  switch (h->depth) {
    case 15: case 16:
      if (!img_u16le(r, &v)) return false;
      tga_rgb15(v, out);
      return true;
    case 24: case 32:
      if (!(p = img_span(r, h->depth / 8))) return false;
      out[0] = p[2], out[1] = p[1], out[2] = p[0];
      return true;
    default: {
      /* the map holds the entries from its first index on */
      if (!(p = img_span(r, 1))) return false;
      uint32_t i = (uint32_t)*p - h->cmapfirst;
      if (*p >= h->cmapfirst && i < r->npal) memcpy(out, r->pal + 4 * (size_t)i, 3);
      else out[0] = out[1] = out[2] = *p;
      return true;
    }
  }
}

/* Image row of the k-th row in the file. */
static int32_t tga_rowof(const tga_header *h, uint32_t k) {
  uint32_t p = k;
  if ((h->desc & 0xC0) == 0x80) {
    uint32_t half = (h->h + 1) / 2;
    p = k < half ? 2 * k : 2 * (k - half) + 1;
  }
  return (int32_t)((h->desc & 0x20) ? p : h->h - 1 - p);
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

/* Stores one pixel; false once the image is full. */
static bool tga_put(tga_out *o, const uint8_t *rgb) {
  if (o->k >= o->h->h) return false;
  uint32_t col = o->rtl ? o->h->w - 1 - o->x : o->x;
  memcpy(o->row + 3 * (size_t)col, rgb, 3);
  if (++o->x == o->h->w) {
    o->x = 0;
    if (++o->k < o->h->h) o->row = img_row(o->im, tga_rowof(o->h, o->k));
  }
  return true;
}

static bool tga_full(const tga_out *o) {
  return o->k >= o->h->h;
}

static bool tga_plain(img_reader *r, img_image *im, const tga_header *h) {
  tga_out o;
  uint8_t rgb[3];
  tga_start(&o, im, h);
  while (!tga_full(&o) && tga_pixel(r, h, rgb)) tga_put(&o, rgb);
  return true;
}

static bool tga_rle(img_reader *r, img_image *im, const tga_header *h) {
  tga_out o;
  uint8_t rgb[3], p;
  tga_start(&o, im, h);
  while (!tga_full(&o)) {
    if (!img_u8(r, &p)) return img_fail(r, tga_edata);
    int count = (p & 0x7F) + 1;
    if (p & 0x80) {
      if (!tga_pixel(r, h, rgb)) return true;
      while (count-- > 0 && tga_put(&o, rgb)) {}
    } else {
      for (; count > 0 && !tga_full(&o); count--) {
        if (!tga_pixel(r, h, rgb)) return true;
        tga_put(&o, rgb);
      }
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
  return h.type >= 9 ? tga_rle(r, im, &h) : tga_plain(r, im, &h);
}
