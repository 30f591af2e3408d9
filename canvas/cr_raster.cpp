/*
** The render context over AGG: a rendering buffer over the pixels, the
** anti-aliasing rasteriser with the even-odd rule, and our own span
** blending, which draws from the node's layer or image where it has a
** pixel and from its colour elsewhere.
*/
#include "canvas/cr_raster.h"

#include <assert.h>
#include <math.h>
#include <stdlib.h>

#include <new>

#include "agg_rasterizer_scanline_aa.h"
#include "agg_rendering_buffer.h"
#include "agg_scanline_u.h"
#include "canvas/co_outline.h"

typedef agg::rasterizer_scanline_aa<agg::rasterizer_sl_clip_dbl> cr_rasterizer;

static uint8_t gamma_table[256];

static const uint8_t *make_gamma(void) {
  for (int i = 0; i < 256; i++)
    gamma_table[i] = (uint8_t)trunc(pow(i / 255.0, 1.3) * 255);
  return gamma_table;
}

const uint8_t *cr_gamma = make_gamma();

/* A render context: the buffer, and a rasteriser and scanline kept for
   every outline drawn into it, so that their memory is reused. */
struct cr_context {
  agg::rendering_buffer rb;
  cr_rasterizer ras;
  agg::scanline_u8 sl;
  cr_context(uint32_t *px, int32_t w, int32_t h)
      : rb((agg::int8u *)px, (unsigned)w, (unsigned)h, w * 4) {
    ras.clip_box(0, 0, w, h);
    ras.filling_rule(agg::fill_even_odd);
  }
};

/* where a fill takes its pixels from */
struct cr_source {
  const uint32_t *px;   /* layer or image, or null */
  int32_t w, h;
  uint32_t colour;      /* elsewhere */
  uint32_t alpha;
};

static uint32_t colour_of(const struct cn_node *n) {
  return (uint32_t)(n->a & 255) << 24 | (uint32_t)(n->r & 255) << 16 |
         (uint32_t)(n->g & 255) << 8 | (uint32_t)(n->b & 255);
}

void cr_background(const struct cn_node *n, uint32_t *px, int32_t w,
                   int32_t h) {
  uint32_t c = colour_of(n);
  for (int32_t i = 0; i < h; i++) {
    uint32_t *row = px + (size_t)i * w;
    int32_t j = 0;
    if (n->img && i < n->img_h) {
      const uint32_t *src = n->img + (size_t)i * n->img_w;
      for (; j < w && j < n->img_w; j++) row[j] = src[j];
    }
    for (; j < w; j++) row[j] = c;
  }
}

/* ((t - o) * e + o * 65536) >> 16, arithmetic shift; for e <= 65536 the
   sum equals o * (65536 - e) + t * e, which is never negative. */
static inline uint32_t blend_byte(uint32_t old, uint32_t target, int k,
                                  uint32_t e) {
  uint32_t o = old >> k & 255, t = target >> k & 255;
  return (o * (65536 - e) + t * e) >> 16 & 255;
}

uint32_t cr_blend(uint32_t old, uint32_t target, uint32_t e) {
  return blend_byte(old, target, 24, e) << 24 |
         blend_byte(old, target, 16, e) << 16 |
         blend_byte(old, target, 8, e) << 8 | blend_byte(old, target, 0, e);
}

/* cr_blend two bytes at a time: bytes 0 and 2 (and 1 and 3) share one
   64-bit product in 32-bit lanes. Pays only where 64-bit products are
   single instructions. */
static inline uint32_t blend_fast(uint32_t o, uint32_t t, uint32_t e) {
  assert(e < 65536);   /* else a lane's product spills into the next */
  const uint64_t lanes = 0x000000ff000000ffull;
  uint64_t ie = 65536 - e;
  uint64_t o02 = (o & 0xff) | (uint64_t)(o & 0xff0000) << 16;
  uint64_t t02 = (t & 0xff) | (uint64_t)(t & 0xff0000) << 16;
  uint64_t o13 = (o >> 8 & 0xff) | (uint64_t)(o >> 24) << 32;
  uint64_t t13 = (t >> 8 & 0xff) | (uint64_t)(t >> 24) << 32;
  uint64_t r02 = (o02 * ie + t02 * e) >> 16 & lanes;
  uint64_t r13 = (o13 * ie + t13 * e) >> 16 & lanes;
  return (uint32_t)(r02 | r02 >> 16) | (uint32_t)(r13 << 8 | r13 >> 8);
}

uint32_t cr_blend_fast(uint32_t old, uint32_t target, uint32_t e) {
  return blend_fast(old, target, e);
}

static void blend_span(uint32_t *row, int32_t y, int32_t x, int32_t len,
                       const uint8_t *covers, const struct cr_source *s) {
  const uint32_t *src =
      s->px && y < s->h ? s->px + (size_t)y * s->w : nullptr;
  for (int32_t i = 0; i < len; i++, x++) {
    uint32_t e = cr_gamma[covers[i]] * s->alpha;
    if (e == 0) continue;
    uint32_t t = src && x < s->w ? src[x] : s->colour;
#if UINTPTR_MAX > 0xffffffffu
    row[x] = blend_fast(row[x], t, e);
#else
    row[x] = cr_blend(row[x], t, e);
#endif
  }
}

static void fill(cr_context &c, const struct cr_source *s) {
  if (!c.ras.rewind_scanlines()) return;
  int32_t width = (int32_t)c.rb.width(), height = (int32_t)c.rb.height();
  c.sl.reset(c.ras.min_x(), c.ras.max_x());
  while (c.ras.sweep_scanline(c.sl)) {
    int32_t y = c.sl.y();
    if (y < 0 || y >= height) continue;
    uint32_t *row = (uint32_t *)c.rb.row_ptr(y);
    unsigned n = c.sl.num_spans();
    agg::scanline_u8::const_iterator span = c.sl.begin();
    for (; n; n--, ++span) {
      int32_t x = span->x, len = span->len;
      const uint8_t *covers = span->covers;
      if (x < 0) {
        covers -= x;
        len += x;
        x = 0;
      }
      if (x + len > width) len = width - x;
      if (len > 0) blend_span(row, y, x, len, covers, s);
    }
  }
}

static void ras_move(void *ud, double x, double y) {
  ((cr_rasterizer *)ud)->move_to_d(x, y);
}

static void ras_line(void *ud, double x, double y) {
  ((cr_rasterizer *)ud)->line_to_d(x, y);
}

/* the outline of n filled into the context's buffer */
static void outline(struct cn_node *n, cr_context &c) {
  c.ras.reset();
  struct co_sink sink = {ras_move, ras_line, &c.ras};
  if (co_walk(n, &sink) == 0) return;
  struct cr_source s = {n->img, n->img_w, n->img_h, colour_of(n),
                        (uint32_t)(n->a & 255)};
  if (n->lay) {
    s.px = n->lay;
    s.w = n->lay_w;
    s.h = n->lay_h;
  }
  fill(c, &s);
}

static int draw(struct cn_node *n, cr_context &c);

/* n's children drawn into its layer, over its background */
static int draw_layer(struct cn_node *n, int32_t w, int32_t h) {
  n->lay = (uint32_t *)malloc((size_t)w * h * sizeof *n->lay);
  if (n->lay == nullptr) return 0;
  n->lay_w = w;
  n->lay_h = h;
  cr_background(n, n->lay, w, h);
  cr_context *lc = new (std::nothrow) cr_context(n->lay, w, h);
  if (lc == nullptr) return 0;
  int ok = 1;
  for (int32_t i = 0; i < n->nkids; i++) ok &= draw(n->kids[i], *lc);
  delete lc;
  return ok;
}

static int draw(struct cn_node *n, cr_context &c) {
  int ok = 1;
  if (n->nkids > 0)
    ok = draw_layer(n, (int32_t)c.rb.width(), (int32_t)c.rb.height());
  outline(n, c);
  free(n->lay);
  n->lay = nullptr;
  n->lay_w = n->lay_h = 0;
  return ok;
}

int cr_draw(struct cn_node *n, uint32_t *px, int32_t w, int32_t h) {
  if (w <= 0 || h <= 0) return 0;
  cr_context *c = new (std::nothrow) cr_context(px, w, h);
  if (c == nullptr) return 0;
  int ok = draw(n, *c);
  delete c;
  return ok;
}

int cr_render(struct cn_node *n, uint32_t *px, int32_t w, int32_t h) {
  if (n->nkids == 0 || w <= 0 || h <= 0) return 0;
  cr_context *c = new (std::nothrow) cr_context(px, w, h);
  if (c == nullptr) return 0;
  cr_background(n, px, w, h);
  for (int32_t i = 0; i < n->nkids; i++) draw(n->kids[i], *c);
  delete c;
  return 1;
}
