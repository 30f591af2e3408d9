/*
** Outline walking. Placement uses the polar form: the scaled point's
** distance and angle, the node's angle added. Integers are truncated.
*/
#include "canvas/co_outline.h"

#include <math.h>

#include "agg_curves.h"
#include "agg_vcgen_bspline.h"

#define CO_PI 3.14159265358979323846
#define CO_SPLINE_STEP 0.02
#define CO_MAX_ELLIPSE 100000   /* points; beyond that no one sees more */

/* Truncates toward zero, but a value a rounding error short of an integer
   counts as that integer; clamps to the int32 range. */
static int32_t to_int(double v) {
  if (!(v == v)) return 0;
  double r = nearbyint(v);
  if (fabs(v - r) < 1e-9) v = r;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return (int32_t)v;
}

static int32_t add_clamped(int32_t a, int32_t b) {
  int64_t s = (int64_t)a + b;
  if (s > INT32_MAX) return INT32_MAX;
  if (s < INT32_MIN) return INT32_MIN;
  return (int32_t)s;
}

void co_place(const struct cn_node *n, int32_t x, int32_t y, int32_t *X,
              int32_t *Y) {
  if (n->sx != CN_UNIT || n->sy != CN_UNIT || n->angle != 0) {
    double xs = x * (double)n->sx / 65536.0, ys = y * (double)n->sy / 65536.0;
    double rho = sqrt(xs * xs + ys * ys);
    double theta = atan2(ys, xs) + n->angle;
    x = to_int(rho * cos(theta));
    y = to_int(rho * sin(theta));
  }
  *X = add_clamped(x, n->dx);
  *Y = add_clamped(y, n->dy);
}

int co_ellipse_points(int32_t rx, int32_t ry) {
  double ra = (fabs((double)rx) + fabs((double)ry)) / 2;
  double n = trunc(2 * CO_PI / (2 * acos(ra / (ra + 0.125))) + 0.5);
  if (!(n < CO_MAX_ELLIPSE)) return CO_MAX_ELLIPSE;
  return (int)n;
}

struct walk {
  const struct co_sink *s;
  double cx, cy;                 /* current point */
  int controls;                  /* pending control points */
  double c1x, c1y, c2x, c2y;
  agg::vcgen_bspline *spline;    /* open B-spline run, or null */
  long points;
};

static void move(struct walk *w, double x, double y) {
  w->s->move(w->s->ud, x, y);
  w->cx = x;
  w->cy = y;
  w->points++;
}

static void line(struct walk *w, double x, double y) {
  w->s->line(w->s->ud, x, y);
  w->cx = x;
  w->cy = y;
  w->points++;
}

static void ellipse(struct walk *w, double X, double Y, int32_t rx, int32_t ry) {
  int n = co_ellipse_points(rx, ry);
  for (int i = 0; i < n; i++) {
    double a = 2 * CO_PI - i * 2 * CO_PI / n;
    double x = X + rx * cos(a), y = Y + ry * sin(a);
    if (i == 0)
      move(w, x, y);
    else
      line(w, x, y);
  }
}

static void curve(struct walk *w, double X, double Y) {
  agg::curve4_div c(w->cx, w->cy, w->c1x, w->c1y, w->c2x, w->c2y, X, Y);
  double x, y;
  unsigned cmd;
  c.rewind(0);
  while (!agg::is_stop(cmd = c.vertex(&x, &y)))
    if (agg::is_vertex(cmd)) line(w, x, y);
}

static void spline_end(struct walk *w) {
  if (w->spline == nullptr) return;
  agg::vcgen_bspline *b = w->spline;
  w->spline = nullptr;
  double x, y;
  unsigned cmd;
  b->rewind(0);
  while (!agg::is_stop(cmd = b->vertex(&x, &y)))
    if (agg::is_vertex(cmd)) line(w, x, y);
  delete b;
}

static void spline_add(struct walk *w, double X, double Y) {
  if (w->spline == nullptr) {
    w->spline = new agg::vcgen_bspline;
    w->spline->interpolation_step(CO_SPLINE_STEP);
    w->spline->add_vertex(w->cx, w->cy, agg::path_cmd_move_to);
  }
  w->spline->add_vertex(X, Y, agg::path_cmd_line_to);
}

static void emit(struct walk *w, const struct cn_vertex *v, int32_t X,
                 int32_t Y) {
  if (v->kind != CN_SPLINE) spline_end(w);
  if (v->kind != CN_CONTROL && v->kind != CN_CURVE) w->controls = 0;
  switch (v->kind) {
    case CN_MOVE: move(w, X, Y); break;
    case CN_LINE: line(w, X, Y); break;
    case CN_ELLIPSE: ellipse(w, X, Y, v->rx, v->ry); break;
    case CN_CONTROL:
      if (w->controls == 0) {
        w->c1x = X;
        w->c1y = Y;
        w->controls = 1;
      } else if (w->controls == 1) {
        w->c2x = X;
        w->c2y = Y;
        w->controls = 2;
      }
      break;
    case CN_CURVE:
      if (w->controls == 2) curve(w, X, Y);
      w->controls = 0;
      break;
    case CN_SPLINE: spline_add(w, X, Y); break;
  }
}

long co_walk(const struct cn_node *n, const struct co_sink *s) {
  struct walk w = {s, 0, 0, 0, 0, 0, 0, 0, nullptr, 0};
  for (int32_t i = 0; i < n->count; i++) {
    const struct cn_vertex *v = &n->v[i];
    int32_t X, Y;
    co_place(n, v->x, v->y, &X, &Y);
    emit(&w, v, X, Y);
  }
  spline_end(&w);
  return w.points;
}
