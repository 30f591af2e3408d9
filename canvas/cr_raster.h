/*
** Rasterising nodes into 32-bit pixel buffers (0xAARRGGBB, rows bottom
** first: row 0 is the bottom of the window, so canvas y grows upward).
** Platform-neutral.
*/
#ifndef cr_raster_h
#define cr_raster_h

#include <stdint.h>

#include "canvas/cn_node.h"

/* coverage gamma: trunc((i/255)^1.3 * 255) */
extern const uint8_t *cr_gamma;

/* Background of n into a w x h buffer: its image where the image covers
   the pixel, else its colour. */
void cr_background(const struct cn_node *n, uint32_t *px, int32_t w,
                   int32_t h);

/* One covered pixel: old blended toward target by weight e = coverage *
   alpha (at most 255 * 255), each byte ((target - old) * e + old * 65536)
   >> 16. */
uint32_t cr_blend(uint32_t old, uint32_t target, uint32_t e);
/* The same, as the span loop computes it; e < 65536. */
uint32_t cr_blend_fast(uint32_t old, uint32_t target, uint32_t e);

/* Draws n (its children through its layer, then its own outline) into the
   buffer. 0 when memory ran out somewhere. */
int cr_draw(struct cn_node *n, uint32_t *px, int32_t w, int32_t h);

/* The whole of a render into one window: nothing at all when n has no
   children (returns 0), else background and children (returns 1). */
int cr_render(struct cn_node *n, uint32_t *px, int32_t w, int32_t h);

#endif
