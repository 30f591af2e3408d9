/*
** BMP reader: core (12-byte) and info (40+ byte) headers, 1, 4, 8 and 24
** bits per pixel, 8-bit and 4-bit run-length compression. Rows are stored
** bottom first unless the height is negative.
*/
#include <stdlib.h>
#include <string.h>

#include "canvas/image/img_reader.h"

static const char bmp_enotbmp[] = "Not a BMP image file";

struct bmp_header {
  uint32_t offset, hsize, bits, compression, imagesize, colors;
  int32_t w, h;      /* h is the row count, positive */
  bool topdown;
  bool core;
};

static bool bmp_core(img_reader *r, bmp_header *h) {
  uint32_t w, hh, planes;
  if (!img_u16le(r, &w) || !img_u16le(r, &hh) || !img_u16le(r, &planes) ||
      !img_u16le(r, &h->bits))
    return img_fail(r, bmp_enotbmp);
  h->w = (int32_t)w;
  h->h = (int32_t)hh;
  h->core = true;
  return true;
}

static bool bmp_info(img_reader *r, bmp_header *h) {
  uint32_t w, hh, planes, xres, yres, important;
  if (!img_u32le(r, &w) || !img_u32le(r, &hh) || !img_u16le(r, &planes) ||
      !img_u16le(r, &h->bits) || !img_u32le(r, &h->compression) ||
      !img_u32le(r, &h->imagesize) || !img_u32le(r, &xres) || !img_u32le(r, &yres) ||
      !img_u32le(r, &h->colors) || !img_u32le(r, &important) || !img_skip(r, h->hsize - 40))
    return img_fail(r, bmp_enotbmp);
  h->w = (int32_t)w;
  h->h = (int32_t)hh;
  /* A negative height marks rows stored top first. */
  if (h->h < 0 && h->h != INT32_MIN) {
    h->h = -h->h;
    h->topdown = true;
  }
  return true;
}

static bool bmp_header_read(img_reader *r, bmp_header *h) {
  const uint8_t *sig = img_span(r, 2);
  uint32_t fsize, res1, res2;
  memset(h, 0, sizeof *h);
  if (!sig || (sig[0] != 'B' && sig[0] != 'b') || (sig[1] != 'M' && sig[1] != 'm'))
    return img_fail(r, bmp_enotbmp);
  if (!img_u32le(r, &fsize) || !img_u16le(r, &res1) || !img_u16le(r, &res2) ||
      !img_u32le(r, &h->offset) || !img_u32le(r, &h->hsize))
    return img_fail(r, bmp_enotbmp);
  bool ok = h->hsize == 12 ? bmp_core(r, h)
          : h->hsize >= 40 ? bmp_info(r, h) : img_fail(r, bmp_enotbmp);
  if (!ok) return false;
  if (h->bits != 1 && h->bits != 4 && h->bits != 8 && h->bits != 24) return img_fail(r, bmp_enotbmp);
  if (h->compression > 2) return img_fail(r, bmp_enotbmp);
  return img_checkdims(r, h->w, h->h);
}

static bool bmp_palette(img_reader *r, const bmp_header *h) {
  if (h->bits >= 24) return true;
  uint32_t n = h->colors ? h->colors : 1u << h->bits;
  if (n > 256) n = 256;
  size_t entry = h->core ? 3 : 4;
  const uint8_t *p = img_span(r, n * entry);
  if (!p) return img_fail(r, img_etruncated);
  if (!img_palette(r, n)) return false;
  for (uint32_t i = 0; i < n; i++, p += entry) img_setpal(r, i, p[2], p[1], p[0]);
  return true;
}

/* Run-length expansion into rows of exactly w index bytes, file row order.
** Runs are clipped at the row end; deltas and rows past the end stop. */
struct bmp_rle {
  uint8_t *out;
  int32_t w, h, x, y;
};

/* x stops at the row end, so that long runs cannot overflow it. */
static void bmp_rleput(bmp_rle *s, uint8_t v) {
  if (s->x >= s->w) return;
  if (s->y < s->h) s->out[(size_t)s->y * s->w + s->x] = v;
  s->x++;
}

static void bmp_rlerun(bmp_rle *s, bool four, uint8_t count, uint8_t v) {
  for (int i = 0; i < count; i++)
    bmp_rleput(s, four ? ((i & 1) ? v & 15 : v >> 4) : v);
}

static bool bmp_rleliteral(img_reader *r, bmp_rle *s, bool four, uint8_t n) {
  size_t nbytes = four ? (n + 1u) / 2 : n;
  const uint8_t *p = img_span(r, nbytes + (nbytes & 1));
  if (!p) return false;
  for (int i = 0; i < n; i++)
    bmp_rleput(s, four ? ((i & 1) ? p[i / 2] & 15 : p[i / 2] >> 4) : p[i]);
  return true;
}

static void bmp_expand(img_reader *r, bmp_rle *s, bool four) {
  uint8_t count, v, dx, dy;
  while (s->y < s->h && img_u8(r, &count) && img_u8(r, &v)) {
    if (count > 0) {
      bmp_rlerun(s, four, count, v);
    } else if (v == 0) {
      s->x = 0;
      s->y++;
    } else if (v == 1) {
      return;
    } else if (v == 2) {
      if (!img_u8(r, &dx) || !img_u8(r, &dy)) return;
      s->x = s->x + dx < s->w ? s->x + dx : s->w;
      s->y += dy;
    } else if (!bmp_rleliteral(r, s, four, v)) {
      return;
    }
  }
}

static void bmp_setgrey(uint8_t *out, uint8_t g) {
  out[0] = out[1] = out[2] = g;
}

/* One index of a row, looked up in the palette; beyond it, a grey level. */
static void bmp_index(const img_reader *r, uint32_t bits, uint32_t idx, uint8_t *out) {
  if (idx < r->npal) memcpy(out, r->pal + 4 * (size_t)idx, 3);
  else bmp_setgrey(out, (uint8_t)(bits == 1 ? idx * 255 : bits == 4 ? idx * 15 : idx));
}

static void bmp_row(const img_reader *r, uint32_t bits, const uint8_t *src, uint8_t *out, int32_t w) {
  for (int32_t x = 0; x < w; x++, out += 3) {
    if (bits == 24) {
      out[0] = src[3 * x + 2], out[1] = src[3 * x + 1], out[2] = src[3 * x];
    } else if (bits == 8) {
      bmp_index(r, bits, src[x], out);
    } else if (bits == 4) {
      bmp_index(r, bits, (src[x / 2] >> ((x & 1) ? 0 : 4)) & 15, out);
    } else {
      bmp_index(r, bits, (src[x / 8] >> (7 - (x & 7))) & 1, out);
    }
  }
}

/* Converts nrows file rows into the record's bottom-first rows; rows past
** them stay black. */
static void bmp_rows(const img_reader *r, img_image *im, const bmp_header *h, uint32_t bits,
                     const uint8_t *data, size_t rowsize, size_t nrows) {
  for (int32_t k = 0; k < h->h && (size_t)k < nrows; k++) {
    int32_t y = h->topdown ? h->h - 1 - k : k;
    bmp_row(r, bits, data + rowsize * (size_t)k, img_row(im, y), h->w);
  }
}

static bool bmp_compressed(img_reader *r, img_image *im, const bmp_header *h, size_t datasize) {
  bmp_rle s = {NULL, h->w, h->h, 0, 0};
  s.out = (uint8_t *)calloc((size_t)h->w * h->h, 1);
  if (!s.out) return img_fail(r, img_enomem);
  img_reader sub;
  img_init(&sub, r->data + r->pos, datasize < img_left(r) ? datasize : img_left(r));
  bmp_expand(&sub, &s, h->compression == 2);
  bmp_rows(r, im, h, 8, s.out, (size_t)h->w, (size_t)h->h);
  free(s.out);
  return true;
}

bool img_bmp_read(img_reader *r, img_image *im) {
  bmp_header h;
  if (!bmp_header_read(r, &h) || !bmp_palette(r, &h)) return false;
  if (!img_seek(r, h.offset)) return img_fail(r, img_etruncated);
  size_t rowsize = (size_t)(((uint64_t)h.bits * h.w + 31) / 32 * 4);
  size_t datasize = rowsize * (size_t)h.h;
  /* Writers often leave the row padding out of the image size: a smaller
  ** size only counts when the file does not hold all the rows. */
  if (datasize > img_left(r) && h.imagesize && h.imagesize < datasize) datasize = h.imagesize;
  /* Run-length data may be longer than the plain rows: its size is the
  ** header's, or the rest of the file. */
  if (h.compression != 0) datasize = h.imagesize ? h.imagesize : img_left(r);
  /* Plain rows must all be in the file: a declared size is never trusted
  ** beyond what the file holds. */
  if (h.compression == 0 && datasize > img_left(r)) return img_fail(r, img_etruncated);
  if (!img_alloc(r, im, h.w, h.h)) return false;
  r->bottomfirst = true;
  if (h.compression != 0) return bmp_compressed(r, im, &h, datasize);
  bmp_rows(r, im, &h, h.bits, img_span(r, datasize), rowsize, datasize / rowsize);
  return true;
}
