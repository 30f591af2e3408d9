/*
** Canvas nodes and their vertices.
*/
#include "canvas/cn_node.h"

#include <assert.h>
#include <stdlib.h>
#include <string.h>

#include <unordered_set>

static void not_told(struct cn_node *) {}
struct cn_ops cn_ops = {not_told};

static struct cn_node root;
static uint32_t next_serial = 1;
/* every node other than the root; script objects may outlive their node */
static std::unordered_set<const struct cn_node *> *live;

static void init_node(struct cn_node *n, struct cn_node *owner) {
  memset(n, 0, sizeof *n);
  n->sx = n->sy = CN_UNIT;
  n->callback = CN_NOREF;
  n->owner = owner;
  n->serial = next_serial++;
}

struct cn_node *cn_root(void) {
  if (root.serial == 0) init_node(&root, nullptr);
  return &root;
}

int cn_live(const struct cn_node *p, uint32_t serial) {
  if (p == &root) return 1;
  return live && live->count(p) && p->serial == serial;
}

static int grow(void **p, int32_t *cap, int32_t need, size_t size) {
  if (need <= *cap) return 1;
  if (need > 0x3fffffff / (int32_t)size) return 0;
  int32_t c = *cap < 8 ? 8 : *cap;
  while (c < need) c = c > 0x1fffffff / (int32_t)size ? need : c * 2;
  void *q = realloc(*p, (size_t)c * size);
  if (q == nullptr) return 0;
  *p = q;
  *cap = c;
  return 1;
}

int cn_add(struct cn_node *n, int kind, int32_t x, int32_t y, int32_t rx,
           int32_t ry) {
  if (!grow((void **)&n->v, &n->vcap, n->count + 1, sizeof *n->v)) return 0;
  struct cn_vertex *v = &n->v[n->count++];
  v->kind = kind;
  v->x = x;
  v->y = y;
  v->rx = rx;
  v->ry = ry;
  v->owner = n;
  return 1;
}

struct cn_node *cn_new(struct cn_node *owner) {
  assert(owner != nullptr);
  if (!grow((void **)&owner->kids, &owner->kcap, owner->nkids + 1,
            sizeof *owner->kids))
    return nullptr;
  struct cn_node *n = (struct cn_node *)malloc(sizeof *n);
  if (n == nullptr) return nullptr;
  if (live == nullptr) live = new std::unordered_set<const struct cn_node *>;
  live->insert(n);
  init_node(n, owner);
  owner->kids[owner->nkids++] = n;
  return n;
}

/* frees what n holds, children first; n itself stays */
static void release(struct cn_node *n) {
  for (int32_t i = 0; i < n->nkids; i++) {
    struct cn_node *k = n->kids[i];
    release(k);
    live->erase(k);
    free(k);
  }
  cn_ops.gone(n);
  free(n->kids);
  free(n->v);
  free(n->img);
  free(n->lay);
  n->kids = nullptr;
  n->v = nullptr;
  n->img = n->lay = nullptr;
  n->nkids = n->kcap = n->count = n->vcap = 0;
  n->img_w = n->img_h = n->lay_w = n->lay_h = 0;
}

static void unlink(struct cn_node *n) {
  struct cn_node *o = n->owner;
  for (int32_t i = 0; i < o->nkids; i++)
    if (o->kids[i] == n) {
      memmove(o->kids + i, o->kids + i + 1,
              (size_t)(o->nkids - i - 1) * sizeof *o->kids);
      o->nkids--;
      return;
    }
  assert(!"node missing from its owner's children");
}

void cn_del(struct cn_node *n) {
  if (n == &root || n->owner == nullptr) return;
  assert(live && live->count(n));   /* freed twice otherwise */
  unlink(n);
  release(n);
  live->erase(n);
  free(n);
}

void cn_clear(struct cn_node *n) {
  while (n->nkids > 0) cn_del(n->kids[n->nkids - 1]);
}

void cn_reset(void) {
  struct cn_node *r = cn_root();
  release(r);
  uint32_t s = r->serial;
  init_node(r, nullptr);
  r->serial = s;
  cn_add(r, CN_MOVE, 0, 0, 0, 0);
}

int cn_set_image(struct cn_node *n, const uint8_t *px, int32_t w, int32_t h,
                 int bpp) {
  if (px == nullptr && w == 0 && h == 0) {   /* no image */
    free(n->img);
    n->img = nullptr;
    n->img_w = n->img_h = 0;
    return 1;
  }
  if (w <= 0 || h <= 0 || px == nullptr || bpp < 3) return 0;
  size_t count = (size_t)w * (size_t)h;
  uint32_t *img = (uint32_t *)malloc(count * sizeof *img);
  if (img == nullptr) return 0;
  for (size_t i = 0; i < count; i++, px += bpp)
    img[i] = (uint32_t)px[0] << 16 | (uint32_t)px[1] << 8 | px[2];
  free(n->img);
  n->img = img;
  n->img_w = w;
  n->img_h = h;
  return 1;
}
