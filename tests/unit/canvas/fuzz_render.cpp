// Random trees of paths with random vertices and placements rendered into
// a small buffer: nothing may crash or touch memory outside it.
#include <stdint.h>
#include <string.h>

#include <vector>

#include "canvas/cn_node.h"
#include "canvas/cr_raster.h"

namespace {

struct input {
  const uint8_t *p;
  size_t n;
  uint32_t u32() {
    uint32_t v = 0;
    for (int i = 0; i < 4 && n; i++, p++, n--) v = v << 8 | *p;
    return v;
  }
  uint8_t u8() { return n ? (n--, *p++) : 0; }
};

// small values mostly, extreme ones sometimes
int32_t coord(input &in) {
  uint8_t k = in.u8();
  if (k < 200) return (int32_t)(k % 100) - 20;
  return (int32_t)in.u32();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  input in = {data, size};
  cn_reset();
  std::vector<cn_node *> nodes = {cn_root()};
  while (in.n > 0) {
    uint8_t op = in.u8();
    cn_node *n = nodes[in.u8() % nodes.size()];
    if (op < 20 && nodes.size() < 32) {
      cn_node *k = cn_new(n);
      if (k) nodes.push_back(k);
    } else if (op < 30) {
      n->sx = (int32_t)in.u32();
      n->sy = (int32_t)in.u32();
      n->angle = (int8_t)in.u8() / 16.0;
    } else if (op < 40) {
      n->dx = coord(in);
      n->dy = coord(in);
    } else if (op < 50) {
      n->r = in.u8();
      n->a = in.u8();
    } else if (op < 55) {
      uint8_t px[3 * 6];
      memset(px, in.u8(), sizeof px);
      cn_set_image(n, px, 1 + in.u8() % 3, 1 + in.u8() % 2, 3);
    } else {
      int32_t rx = coord(in) % 5000, ry = coord(in) % 5000;
      cn_add(n, op % 6, coord(in), coord(in), rx, ry);
    }
  }
  static uint32_t px[64 * 48];
  cr_render(cn_root(), px, 64, 48);
  cn_reset();
  return 0;
}
