/*
** Image record: sizing, release and the vertical flip.
*/
#include <stdlib.h>
#include <string.h>

#include "canvas/image/img.h"

img_image *img_new(void) {
  return (img_image *)calloc(1, sizeof(img_image));
}

void img_release(img_image *im) {
  if (im->owns) free(im->pixels);
  im->pixels = NULL;
  im->owns = false;
}

void img_free(img_image *im) {
  if (!im) return;
  img_release(im);
  free(im);
}

size_t img_bpp(const img_image *im) {
  return im->alpha ? 4 : 3;
}

uint8_t *img_row(const img_image *im, int32_t y) {
  return im->pixels + (size_t)y * (size_t)im->width * img_bpp(im);
}

/* Drops the old pixels and allocates w x h zeroed ones. A size below 1
** either way, or too large, leaves no array and fails. */
bool img_size(img_image *im, int32_t w, int32_t h) {
  img_release(im);
  im->width = w;
  im->height = h;
  if (w < 1 || h < 1 || (uint64_t)w * (uint64_t)h > IMG_MAXPIXELS) return false;
  im->pixels = (uint8_t *)calloc((size_t)w * (size_t)h, img_bpp(im));
  if (!im->pixels) return false;
  im->owns = true;
  return true;
}

/* Row i swaps with row height - 1 - i. */
void img_flip(img_image *im) {
  if (!im->pixels || im->height < 2) return;
  size_t n = (size_t)im->width * img_bpp(im);
  uint8_t *tmp = (uint8_t *)malloc(n);
  if (!tmp) return;
  for (int32_t i = 0, j = im->height - 1; i < j; i++, j--) {
    memcpy(tmp, img_row(im, i), n);
    memcpy(img_row(im, i), img_row(im, j), n);
    memcpy(img_row(im, j), tmp, n);
  }
  free(tmp);
}
