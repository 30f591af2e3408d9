/*
** The render context over AGG: a rendering buffer over the pixels, the
** anti-aliasing rasteriser with the even-odd rule, and our own span
** blending, which draws from the node's layer or image where it has a
** pixel and from its colour elsewhere.
*/
#include "canvas/cr_raster.h"

#include <math.h>
#include <stdlib.h>

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

uint32_t cr_blend(uint32_t old, uint32_t target, uint32_t e) {
  uint32_t out = 0;
  for (int k = 0; k < 32; k += 8) {
    int32_t o = (int32_t)(old >> k & 255), t = (int32_t)(target >> k & 255);
    int32_t v = ((t - o) * (int32_t)e + o * 65536) >> 16;
    out |= (uint32_t)(v & 255) << k;
  }
  return out;
}

struct cr_source {
  const uint32_t *px;   /* layer or image, or null */
  int32_t w, h;
  uint32_t colour;
  uint32_t alpha;
};

static void blend_span(uint32_t *row, int32_t y, int32_t x, int32_t len,
                       const uint8_t *covers, const struct cr_source *s) {
  const uint32_t *src =
      s->px && y < s->h ? s->px + (size_t)y * s->w : nullptr;
  for (int32_t i = 0; i < len; i++, x++) {
    uint32_t e = cr_gamma[covers[i]] * s->alpha;
    if (e == 0) continue;
    uint32_t t = src && x < s->w ? src[x] : s->colour;
    row[x] = cr_blend(row[x], t, e);
  }
}

static void fill(cr_rasterizer &ras, agg::rendering_buffer &rb,
                 const struct cr_source *s) {
  agg::scanline_u8 sl;
  if (!ras.rewind_scanlines()) return;
  sl.reset(ras.min_x(), ras.max_x());
  while (ras.sweep_scanline(sl)) {
    int32_t y = sl.y();
    if (y < 0 || y >= (int32_t)rb.height()) continue;
    uint32_t *row = (uint32_t *)rb.row_ptr(y);
    unsigned n = sl.num_spans();
    agg::scanline_u8::const_iterator span = sl.begin();
    for (; n; n--, ++span) {
      int32_t x = span->x, len = span->len;
      const uint8_t *covers = span->covers;
      if (x < 0) {
        covers -= x;
        len += x;
        x = 0;
      }
      if (x + len > (int32_t)rb.width()) len = (int32_t)rb.width() - x;
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

/* the outline of n filled into the buffer */
static void outline(struct cn_node *n, uint32_t *px, int32_t w, int32_t h) {
  agg::rendering_buffer rb((agg::int8u *)px, (unsigned)w, (unsigned)h, w * 4);
  cr_rasterizer ras;
  ras.clip_box(0, 0, w, h);
  ras.filling_rule(agg::fill_even_odd);
  struct co_sink sink = {ras_move, ras_line, &ras};
  if (co_walk(n, &sink) == 0) return;
  struct cr_source s = {n->img, n->img_w, n->img_h, 0, (uint32_t)(n->a & 255)};
  if (n->lay) {
    s.px = n->lay;
    s.w = n->lay_w;
    s.h = n->lay_h;
  }
  s.colour = colour_of(n);
  fill(ras, rb, &s);
}

int cr_draw(struct cn_node *n, uint32_t *px, int32_t w, int32_t h) {
  int ok = 1;
  if (n->nkids > 0) {
    n->lay = (uint32_t *)malloc((size_t)w * h * sizeof *n->lay);
    if (n->lay) {
      n->lay_w = w;
      n->lay_h = h;
      cr_background(n, n->lay, w, h);
      for (int32_t i = 0; i < n->nkids; i++)
        ok &= cr_draw(n->kids[i], n->lay, w, h);
    } else {
      ok = 0;
    }
  }
  outline(n, px, w, h);
  free(n->lay);
  n->lay = nullptr;
  n->lay_w = n->lay_h = 0;
  return ok;
}

int cr_render(struct cn_node *n, uint32_t *px, int32_t w, int32_t h) {
  if (n->nkids == 0 || w <= 0 || h <= 0) return 0;
  cr_background(n, px, w, h);
  for (int32_t i = 0; i < n->nkids; i++) cr_draw(n->kids[i], px, w, h);
  return 1;
}
