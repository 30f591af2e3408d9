/*
** Bounds-checked byte reader over a file held in memory, and the helpers
** every format reader shares (palette, size checks, error texts).
*/
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "canvas/image/img_reader.h"

const char img_etoolarge[] = "Image too large";
const char img_etruncated[] = "Image data truncated";
const char img_enomem[] = "Not enough memory for the image";
const char img_esize0[] = "image size is 0";

void img_init(img_reader *r, const uint8_t *data, size_t size) {
  memset(r, 0, sizeof *r);
  r->data = data;
  r->size = size;
  r->err = "";
}

/* Reads the whole file. Returns 0 or an errno value. */
int img_open(img_reader *r, const char *filename) {
  img_init(r, NULL, 0);
  FILE *f = fopen(filename, "rb");
  if (!f) return errno ? errno : ENOENT;
  size_t cap = 0, n = 0;
  uint8_t *buf = NULL;
  for (;;) {
    if (n == cap) {
      size_t ncap = cap ? cap * 2 : 65536;
      uint8_t *nb = (uint8_t *)realloc(buf, ncap);
      if (!nb) { free(buf); fclose(f); return ENOMEM; }
      buf = nb;
      cap = ncap;
    }
    size_t got = fread(buf + n, 1, cap - n, f);
    n += got;
    if (got == 0) break;
  }
  int bad = ferror(f) ? (errno ? errno : EIO) : 0;
  fclose(f);
  if (bad) { free(buf); return bad; }
  r->data = buf;
  r->size = n;
  r->ownsdata = true;
  return 0;
}

void img_close(img_reader *r) {
  if (r->ownsdata) free((void *)r->data);
  free(r->pal);
  r->data = NULL;
  r->pal = NULL;
  r->npal = 0;
  r->size = r->pos = 0;
  r->ownsdata = false;
}

bool img_fail(img_reader *r, const char *text) {
  r->err = text;
  return false;
}

size_t img_left(const img_reader *r) {
  return r->size - r->pos;
}

bool img_eof(const img_reader *r) {
  return r->pos >= r->size;
}

/* Pointer to the next n bytes, consumed; null (cursor at end) when short. */
const uint8_t *img_span(img_reader *r, size_t n) {
  if (n > r->size - r->pos) {
    r->pos = r->size;
    return NULL;
  }
  const uint8_t *p = r->data + r->pos;
  r->pos += n;
  return p;
}

bool img_u8(img_reader *r, uint8_t *v) {
  const uint8_t *p = img_span(r, 1);
  if (!p) return false;
  *v = p[0];
  return true;
}

bool img_u16le(img_reader *r, uint32_t *v) {
  const uint8_t *p = img_span(r, 2);
  if (!p) return false;
  *v = p[0] | (uint32_t)p[1] << 8;
  return true;
}

bool img_u16be(img_reader *r, uint32_t *v) {
  const uint8_t *p = img_span(r, 2);
  if (!p) return false;
  *v = (uint32_t)p[0] << 8 | p[1];
  return true;
}

bool img_u32le(img_reader *r, uint32_t *v) {
  const uint8_t *p = img_span(r, 4);
  if (!p) return false;
  *v = p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
  return true;
}

bool img_u32be(img_reader *r, uint32_t *v) {
  const uint8_t *p = img_span(r, 4);
  if (!p) return false;
  *v = (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
  return true;
}

bool img_bytes(img_reader *r, uint8_t *dst, size_t n) {
  const uint8_t *p = img_span(r, n);
  if (!p) return false;
  memcpy(dst, p, n);
  return true;
}

bool img_skip(img_reader *r, size_t n) {
  return img_span(r, n) != NULL;
}

bool img_seek(img_reader *r, size_t off) {
  if (off > r->size) {
    r->pos = r->size;
    return false;
  }
  r->pos = off;
  return true;
}

/* A zeroed (black, opaque-less) palette of n entries. */
bool img_palette(img_reader *r, uint32_t n) {
  free(r->pal);
  r->npal = 0;
  r->pal = (uint8_t *)calloc(n ? n : 1, 4);
  if (!r->pal) return img_fail(r, img_enomem);
  r->npal = n;
  return true;
}

void img_setpal(img_reader *r, uint32_t i, uint8_t red, uint8_t green, uint8_t blue) {
  if (i >= r->npal) return;
  uint8_t *p = r->pal + 4 * (size_t)i;
  p[0] = red;
  p[1] = green;
  p[2] = blue;
  p[3] = 255;
}

bool img_checkdims(img_reader *r, int64_t w, int64_t h) {
  if (w < 1 || h < 1) return img_fail(r, img_esize0);
  if (w > (int64_t)IMG_MAXPIXELS || h > (int64_t)IMG_MAXPIXELS ||
      (uint64_t)w * (uint64_t)h > IMG_MAXPIXELS)
    return img_fail(r, img_etoolarge);
  return true;
}

/* Checks the size and sizes the record; the reader's text on failure. */
bool img_alloc(img_reader *r, img_image *im, int32_t w, int32_t h) {
  if (!img_checkdims(r, w, h)) return false;
  if (!img_size(im, w, h)) return img_fail(r, img_enomem);
  return true;
}
