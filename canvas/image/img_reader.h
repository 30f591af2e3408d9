/*
** Reader state shared by the format readers: the whole file in memory, a
** cursor, the error text of the last failure and a palette. Every fetch is
** bounds-checked; a failed fetch leaves the cursor at the end.
*/
#ifndef img_reader_h
#define img_reader_h

#include <string.h>

#include "canvas/image/img.h"

struct img_reader {
  const uint8_t *data;
  size_t size;
  size_t pos;
  const char *err;  /* set by img_fail; "" while nothing failed */
  uint8_t *pal;     /* palette, 4 bytes (R, G, B, A) per entry */
  uint32_t npal;
  bool ownsdata;
  bool bottomfirst; /* the reader stored the bottom row first: no turn */
};

typedef bool (*img_readfn)(img_reader *r, img_image *im);

/* Little-endian words at any address, for loops that move pixels four
** bytes at a time; one load or store on little-endian machines. */
static inline uint32_t img_get32(const uint8_t *p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  uint32_t v;
  memcpy(&v, p, 4);
  return v;
#else
  return p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
#endif
}

static inline void img_put32(uint8_t *p, uint32_t v) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  memcpy(p, &v, 4);
#else
  p[0] = (uint8_t)v, p[1] = (uint8_t)(v >> 8), p[2] = (uint8_t)(v >> 16), p[3] = (uint8_t)(v >> 24);
#endif
}

extern const char img_etoolarge[];
extern const char img_etruncated[];
extern const char img_enomem[];
extern const char img_esize0[];

void img_init(img_reader *r, const uint8_t *data, size_t size);
int img_open(img_reader *r, const char *filename);
void img_close(img_reader *r);

bool img_fail(img_reader *r, const char *text);
size_t img_left(const img_reader *r);
bool img_eof(const img_reader *r);
bool img_u8(img_reader *r, uint8_t *v);
bool img_u16le(img_reader *r, uint32_t *v);
bool img_u16be(img_reader *r, uint32_t *v);
bool img_u32le(img_reader *r, uint32_t *v);
bool img_u32be(img_reader *r, uint32_t *v);
bool img_bytes(img_reader *r, uint8_t *dst, size_t n);
const uint8_t *img_span(img_reader *r, size_t n);
bool img_skip(img_reader *r, size_t n);
bool img_seek(img_reader *r, size_t off);

bool img_palette(img_reader *r, uint32_t n);
void img_setpal(img_reader *r, uint32_t i, uint8_t red, uint8_t green, uint8_t blue);
bool img_checkdims(img_reader *r, int64_t w, int64_t h);
bool img_alloc(img_reader *r, img_image *im, int32_t w, int32_t h);

bool img_gif_read(img_reader *r, img_image *im);
bool img_sgi_read(img_reader *r, img_image *im);
bool img_tga_read(img_reader *r, img_image *im);
bool img_pnm_read(img_reader *r, img_image *im);
bool img_bmp_read(img_reader *r, img_image *im);

#endif
