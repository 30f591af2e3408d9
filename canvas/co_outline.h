/*
** Outlines: a node's vertices, placed by the node's own placement, turned
** into moves and lines. Ellipses become polygons, cubic curves and B-spline
** runs are flattened. Platform-neutral.
*/
#ifndef co_outline_h
#define co_outline_h

#include <stdint.h>

#include "canvas/cn_node.h"

struct co_sink {
  void (*move)(void *ud, double x, double y);
  void (*line)(void *ud, double x, double y);
  void *ud;
};

/* The placed position of (x, y) under n's translation, scale and angle. */
void co_place(const struct cn_node *n, int32_t x, int32_t y, int32_t *X,
              int32_t *Y);

/* Points of the polygon that stands for an ellipse of radii rx, ry. */
int co_ellipse_points(int32_t rx, int32_t ry);

/* Emits n's outline; returns the number of points emitted. */
long co_walk(const struct cn_node *n, const struct co_sink *s);

#endif
