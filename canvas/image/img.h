/*
** Image records and the image loader.
** A record holds width x height pixels of 3 bytes (R, G, B) or, with alpha,
** 4 bytes (R, G, B, A), rows one after another without gaps. A loaded image
** has row 0 at the bottom of the picture.
*/
#ifndef image_img_h
#define image_img_h

#include <stddef.h>
#include <stdint.h>

/* Largest accepted image, in pixels; a bigger declared size is refused.
** The fuzzers build with a smaller one to keep each run quick. */
#ifndef IMG_MAXPIXELS
#define IMG_MAXPIXELS (1u << 26)
#endif

struct img_image {
  int32_t width;
  int32_t height;
  bool alpha;       /* 4 bytes per pixel instead of 3 */
  uint8_t *pixels;  /* width * height pixels, or null */
  bool owns;        /* the record frees pixels */
};

img_image *img_new(void);
void img_free(img_image *im);
void img_release(img_image *im);
bool img_size(img_image *im, int32_t w, int32_t h);
size_t img_bpp(const img_image *im);
uint8_t *img_row(const img_image *im, int32_t y);
void img_flip(img_image *im);

/* Reads a file with the reader its extension names. Returns a new record
** (free with img_free) or null; either way img_lasterror() tells why. */
img_image *img_load(const char *filename);
/* The same on bytes already in memory; ext is the extension without dot. */
img_image *img_decode(const char *ext, const uint8_t *data, size_t size);
const char *img_lasterror(void);

#endif
