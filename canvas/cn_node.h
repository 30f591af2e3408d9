/*
** Canvas nodes: an outline of vertices, a fill colour or image, a
** placement, and child nodes. One kind of record serves the root canvas
** and every path. Platform-neutral.
*/
#ifndef cn_node_h
#define cn_node_h

#include <stdint.h>

enum {
  CN_MOVE = 0, CN_LINE = 1, CN_ELLIPSE = 2, CN_CONTROL = 3, CN_CURVE = 4,
  CN_SPLINE = 5
};

#define CN_UNIT 0x10000   /* scale 1.0 in 16.16 fixed point */
#define CN_NOREF (-2)     /* no edit callback */

struct cn_node;

struct cn_vertex {
  int32_t kind, x, y, rx, ry;
  struct cn_node *owner;
};

struct cn_node {
  struct cn_vertex *v;          /* the outline, in the order added */
  int32_t count, vcap;
  int32_t r, g, b, a;           /* fill colour */
  int32_t dx, dy;               /* translation, after scale and rotation */
  int32_t sx, sy;               /* scale, 16.16 */
  double angle;                 /* rotation, radians */
  int callback;                 /* registry reference, or CN_NOREF */
  int32_t img_h, img_w;         /* fill image, pixels 0x00RRGGBB, row 0 */
  uint32_t *img;                /*   at the bottom */
  int32_t lay_h, lay_w;         /* layer, only while children are drawn */
  uint32_t *lay;
  struct cn_node **kids;        /* children, in creation order */
  int32_t nkids, kcap;
  struct cn_node *owner;        /* null for the root */
  uint32_t serial;              /* tells a reused address from the node */
};

/* The root canvas: lives for the whole run. cn_reset empties it and gives
   it its first move vertex (0, 0). */
struct cn_node *cn_root(void);
void cn_reset(void);

/* A new child at the end of owner's children, identity placement, colour
   (0, 0, 0, 0), no vertices; null when memory runs out. */
struct cn_node *cn_new(struct cn_node *owner);
/* Unlinks n from its owner and frees it with everything below it. The
   root is never freed. */
void cn_del(struct cn_node *n);
void cn_clear(struct cn_node *n);          /* deletes all children */
int cn_add(struct cn_node *n, int kind, int32_t x, int32_t y, int32_t rx,
           int32_t ry);                    /* 0 when memory runs out */

/* Whether p still is the node that had this serial. */
int cn_live(const struct cn_node *p, uint32_t serial);

/* Replaces the fill image by w x h pixels of 3 bytes each (b0, b1, b2
   becoming b0<<16 | b1<<8 | b2); rows bottom first. Null pixels with
   both sizes 0 remove the image. 0 when memory runs out or the sizes are
   wrong; the node keeps its old image then. */
int cn_set_image(struct cn_node *n, const uint8_t *px, int32_t w, int32_t h,
                 int bpp);

/* gone: told of every node about to be freed, children first. The
   default does nothing. */
struct cn_ops {
  void (*gone)(struct cn_node *n);
};
extern struct cn_ops cn_ops;

#endif
