/*
** SGI RGB reader: one byte per channel, verbatim or run-length rows, one to
** four channels. Rows are stored bottom first in the file.
*/
#include <stdlib.h>
#include <string.h>

#include "canvas/image/img_reader.h"

#define SGI_HEADER 512

static const char sgi_enotsgi[] = "Not a SGI RGB image";
static const char sgi_ebpc[] = "Image must have 1 byte per pixel channel";

struct sgi_header {
  uint8_t storage, bpc;
  uint32_t dim, xsize, ysize, zsize, pixmin, pixmax;
};

static bool sgi_header_read(img_reader *r, sgi_header *h) {
  uint32_t magic;
  if (!img_u16be(r, &magic) || magic != 474) return img_fail(r, sgi_enotsgi);
  if (!img_u8(r, &h->storage) || !img_u8(r, &h->bpc)) return img_fail(r, sgi_enotsgi);
  if (h->bpc != 1) return img_fail(r, sgi_ebpc);
  if (!img_u16be(r, &h->dim) || !img_u16be(r, &h->xsize) || !img_u16be(r, &h->ysize) ||
      !img_u16be(r, &h->zsize) || !img_u32be(r, &h->pixmin) || !img_u32be(r, &h->pixmax) ||
      !img_skip(r, 492))
    return img_fail(r, sgi_enotsgi);
  if (h->zsize > 4) return img_fail(r, sgi_enotsgi);
  return true;
}

/* Places channel c of one file row (bottom-first index y, as the record
** keeps them) in the image.
** Grey images copy channel 0 to R, G and B. */
static void sgi_store(img_image *im, uint32_t zsize, uint32_t c, uint32_t y, const uint8_t *src) {
  uint8_t *row = img_row(im, (int32_t)y);
  size_t bpp = img_bpp(im);
  for (int32_t x = 0; x < im->width; x++) {
    uint8_t *p = row + bpp * (size_t)x;
    if (zsize < 3) p[0] = p[1] = p[2] = src[x];
    else p[c] = src[x];
  }
}

/* Channels that reach the image: grey files use only channel 0. */
static uint32_t sgi_used(uint32_t zsize) {
  return zsize < 3 ? 1 : zsize;
}

static bool sgi_verbatim(img_reader *r, img_image *im, const sgi_header *h) {
  size_t rowlen = h->xsize;
  if ((uint64_t)rowlen * h->ysize * h->zsize > img_left(r)) return img_fail(r, img_etruncated);
  for (uint32_t c = 0; c < sgi_used(h->zsize); c++)
    for (uint32_t y = 0; y < h->ysize; y++)
      sgi_store(im, h->zsize, c, y, img_span(r, rowlen));
  return true;
}

/* Expands one run-length row from data[0..len) into xsize bytes. */
static void sgi_expand(const uint8_t *data, size_t len, uint8_t *out, size_t xsize) {
  size_t i = 0, o = 0;
  while (i < len) {
    uint8_t c = data[i++];
    size_t n = c & 0x7F;
    if (n == 0) break;
    if (c & 0x80) {
      for (; n > 0 && i < len; n--, i++)
        if (o < xsize) out[o++] = data[i];
    } else {
      if (i >= len) break;
      uint8_t v = data[i++];
      for (; n > 0 && o < xsize; n--) out[o++] = v;
    }
  }
}

static bool sgi_rle(img_reader *r, img_image *im, const sgi_header *h) {
  size_t nrows = (size_t)h->ysize * h->zsize;
  if ((uint64_t)nrows * 8 > img_left(r)) return img_fail(r, img_etruncated);
  /* The length table is not needed: rows end at a zero count. */
  const uint8_t *starts = img_span(r, 4 * nrows);
  uint8_t *buf = (uint8_t *)malloc(h->xsize);
  if (!buf) return img_fail(r, img_enomem);
  for (uint32_t c = 0; c < sgi_used(h->zsize); c++) {
    for (uint32_t y = 0; y < h->ysize; y++) {
      size_t k = 4 * ((size_t)c * h->ysize + y);
      uint32_t off = (uint32_t)starts[k] << 24 | starts[k + 1] << 16 | starts[k + 2] << 8 | starts[k + 3];
      if (off > r->size) {
        free(buf);
        return img_fail(r, img_etruncated);
      }
      memset(buf, 0, h->xsize);
      sgi_expand(r->data + off, r->size - off, buf, h->xsize);
      sgi_store(im, h->zsize, c, y, buf);
    }
  }
  free(buf);
  return true;
}

bool img_sgi_read(img_reader *r, img_image *im) {
  sgi_header h;
  if (!sgi_header_read(r, &h)) return false;
  if (!img_checkdims(r, h.xsize, h.ysize) || !img_checkdims(r, h.zsize, 1)) return false;
  im->alpha = h.zsize == 4;
  if (!img_alloc(r, im, (int32_t)h.xsize, (int32_t)h.ysize)) return false;
  r->bottomfirst = true;
  return h.storage == 1 ? sgi_rle(r, im, &h) : sgi_verbatim(r, im, &h);
}
