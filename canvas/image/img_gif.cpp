/*
** GIF reader: GIF87a/GIF89a, global and local colour tables, LZW, interlace.
** Every image descriptor resizes the record, so the last image wins.
*/
#include <stdlib.h>
#include <string.h>

#include "canvas/image/img_reader.h"

#define GIF_MAXCODES 4096

static const char gif_enotgif[] = "Not a GIF image file";
static const char gif_eext[] = "Unable to read extention block";
static const char gif_ecorrupt[] = "Corrupt GIF image";

/* Bit reader over the data sub-blocks of one image. */
struct gif_bits {
  img_reader *r;
  uint32_t acc;    /* pending bits, least significant first */
  int nbits;
  size_t blockleft;
  bool done;       /* zero-length block or end of file reached */
};

static bool gif_byte(gif_bits *b, uint8_t *v) {
  while (!b->done && b->blockleft == 0) {
    uint8_t len;
    if (!img_u8(b->r, &len) || len == 0) b->done = true;
    else b->blockleft = len;
  }
  if (b->done || !img_u8(b->r, v)) {
    b->done = true;
    return false;
  }
  b->blockleft--;
  return true;
}

/* Next code of width bits, or -1 when the data ends. */
static int gif_code(gif_bits *b, int width) {
  while (b->nbits < width) {
    uint8_t v;
    if (!gif_byte(b, &v)) return -1;
    b->acc |= (uint32_t)v << b->nbits;
    b->nbits += 8;
  }
  int code = (int)(b->acc & ((1u << width) - 1));
  b->acc >>= width;
  b->nbits -= width;
  return code;
}

/* Skips what is left of the sub-blocks, up to the terminator. */
static void gif_skipblocks(gif_bits *b) {
  img_skip(b->r, b->blockleft);
  b->blockleft = 0;
  while (!b->done) {
    uint8_t len;
    if (!img_u8(b->r, &len) || len == 0 || !img_skip(b->r, len)) b->done = true;
  }
}

struct gif_lzw {
  uint16_t prefix[GIF_MAXCODES];
  uint8_t suffix[GIF_MAXCODES];
  uint8_t stack[GIF_MAXCODES + 1];
};

static void gif_put(img_reader *r, uint8_t *out, size_t *n, uint8_t index) {
  if (index < r->npal) memcpy(out + 3 * *n, r->pal + 4 * (size_t)index, 3);
  (*n)++;
}

/* Decodes up to npix palette indices as R, G, B into out. Returns the
** number of pixels produced. */
static size_t gif_lzw_run(img_reader *r, gif_lzw *t, int m, uint8_t *out, size_t npix) {
  gif_bits b = {r, 0, 0, 0, false};
  const int clear = 1 << m, end = clear + 1;
  int width = m + 1, avail = clear + 2, old = -1;
  uint8_t first = 0;
  size_t n = 0;
  for (int i = 0; i < clear; i++) t->suffix[i] = (uint8_t)i;
  while (n < npix) {
    int code = gif_code(&b, width);
    if (code < 0 || code == end) break;
    if (code == clear) {
      width = m + 1;
      avail = clear + 2;
      old = -1;
      continue;
    }
    if (old < 0) {
      if (code >= clear) break;
      first = (uint8_t)code;
      gif_put(r, out, &n, first);
      old = code;
      continue;
    }
    if (code > avail || (code == avail && avail >= GIF_MAXCODES)) break;
    int in = code, sp = 0;
    if (code == avail) {
      t->stack[sp++] = first;
      code = old;
    }
    while (code > end) {
      t->stack[sp++] = t->suffix[code];
      code = t->prefix[code];
    }
    first = t->suffix[code];
    t->stack[sp++] = first;
    if (avail < GIF_MAXCODES) {
      t->prefix[avail] = (uint16_t)old;
      t->suffix[avail] = first;
      avail++;
      if (avail >= (1 << width) && width < 12) width++;
    }
    old = in;
    while (sp > 0 && n < npix) gif_put(r, out, &n, t->stack[--sp]);
  }
  gif_skipblocks(&b);
  return n;
}

/* Rows come in four passes: start rows 0, 4, 2, 1 with steps 8, 8, 4, 2.
** Each lands in its bottom-first place, so the loader need not turn them. */
static bool gif_deinterlace(img_reader *r, img_image *im) {
  size_t rowbytes = (size_t)im->width * 3;
  uint8_t *src = (uint8_t *)malloc(rowbytes * (size_t)im->height);
  if (!src) return img_fail(r, img_enomem);
  memcpy(src, im->pixels, rowbytes * (size_t)im->height);
  static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
  int32_t k = 0;
  for (int pass = 0; pass < 4; pass++)
    for (int32_t y = start[pass]; y < im->height; y += step[pass], k++)
      memcpy(img_row(im, im->height - 1 - y), src + rowbytes * (size_t)k, rowbytes);
  free(src);
  return true;
}

static bool gif_colortable(img_reader *r, uint8_t flags) {
  uint32_t n = 2u << (flags & 7);
  const uint8_t *p = img_span(r, 3 * (size_t)n);
  if (!p) return img_fail(r, gif_ecorrupt);
  if (!img_palette(r, n)) return false;
  for (uint32_t i = 0; i < n; i++) img_setpal(r, i, p[3 * i], p[3 * i + 1], p[3 * i + 2]);
  return true;
}

static bool gif_image(img_reader *r, img_image *im, const uint8_t *global, uint32_t nglobal) {
  uint32_t left, top, w, h;
  uint8_t flags, m;
  if (!img_u16le(r, &left) || !img_u16le(r, &top) || !img_u16le(r, &w) ||
      !img_u16le(r, &h) || !img_u8(r, &flags))
    return img_fail(r, gif_ecorrupt);
  if (w * h < 1) return img_fail(r, img_esize0);
  /* Each code yields at most 4096 pixels; a size the data cannot hold is
  ** refused before allocating. */
  if ((uint64_t)w * h > (uint64_t)img_left(r) * 8 * GIF_MAXCODES)
    return img_fail(r, gif_ecorrupt);
  if (!img_alloc(r, im, (int32_t)w, (int32_t)h)) return false;
  if (flags & 0x80) {
    if (!gif_colortable(r, flags)) return false;
  } else {
    if (!img_palette(r, nglobal)) return false;
    if (nglobal) memcpy(r->pal, global, 4 * (size_t)nglobal);
  }
  if (!img_u8(r, &m) || m < 2 || m > 11) return img_fail(r, gif_ecorrupt);
  gif_lzw *t = (gif_lzw *)malloc(sizeof(gif_lzw));
  if (!t) return img_fail(r, img_enomem);
  size_t npix = (size_t)w * h;
  size_t got = gif_lzw_run(r, t, m, im->pixels, npix);
  free(t);
  if ((flags & 0x40) && !gif_deinterlace(r, im)) return false;
  r->bottomfirst = (flags & 0x40) != 0;
  if (got < npix) return img_fail(r, gif_ecorrupt);
  return true;
}

static bool gif_extension(img_reader *r) {
  uint8_t label, len;
  if (!img_u8(r, &label)) return img_fail(r, gif_eext);
  while (img_u8(r, &len) && len != 0)
    if (!img_skip(r, len)) break;
  return true;
}

bool img_gif_read(img_reader *r, img_image *im) {
  const uint8_t *sig = img_span(r, 6);
  if (!sig || (memcmp(sig, "GIF87", 5) != 0 && memcmp(sig, "GIF89", 5) != 0))
    return img_fail(r, gif_enotgif);
  uint32_t sw, sh;
  uint8_t flags, bg, aspect;
  if (!img_u16le(r, &sw) || !img_u16le(r, &sh) || !img_u8(r, &flags) ||
      !img_u8(r, &bg) || !img_u8(r, &aspect))
    return img_fail(r, gif_ecorrupt);
  uint8_t global[4 * 256];
  uint32_t nglobal = 0;
  if (flags & 0x80) {
    if (!gif_colortable(r, flags)) return false;
    nglobal = r->npal;
    memcpy(global, r->pal, 4 * (size_t)nglobal);
  }
  uint8_t c;
  while (img_u8(r, &c) && c != 0x3B) {
    if (c == 0x21 && !gif_extension(r)) return false;
    if (c == 0x2C && !gif_image(r, im, global, nglobal)) return false;
  }
  return true;
}
