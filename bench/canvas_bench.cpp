// Rendering speed of the canvas into a 1600 x 1000 buffer: 1,000 filled
// paths of 50 vertices with curves, and one path of 100,000 vertices.
// Milliseconds per render, best of a few runs.
#include <math.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "canvas/cn_node.h"
#include "canvas/cr_raster.h"

namespace {

const int W = 1600, H = 1000, RUNS = 5;

double now_ms() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double best_render(std::vector<uint32_t> &px) {
  double t = 1e300;
  for (int i = 0; i < RUNS; i++) {
    double t0 = now_ms();
    cr_render(cn_root(), px.data(), W, H);
    t = std::min(t, now_ms() - t0);
  }
  return t;
}

unsigned seed = 12345;
int rnd(int n) {
  seed = seed * 1103515245u + 12345u;
  return (int)((seed >> 8) % (unsigned)n);
}

// a star-like path of 50 vertices: lines and cubic curves around a centre
void curvy_path(cn_node *n, int cx, int cy, int r) {
  cn_add(n, CN_MOVE, cx + r, cy, 0, 0);
  int k = 1;
  while (k < 50) {
    double a = 2 * M_PI * k / 50;
    int rr = (k & 1) ? r / 2 : r;
    int x = cx + (int)(rr * cos(a)), y = cy + (int)(rr * sin(a));
    if (k % 5 == 0 && k + 3 <= 50) {
      cn_add(n, CN_CONTROL, x + rnd(20) - 10, y + rnd(20) - 10, 0, 0);
      cn_add(n, CN_CONTROL, x + rnd(20) - 10, y + rnd(20) - 10, 0, 0);
      cn_add(n, CN_CURVE, x, y, 0, 0);
      k += 3;
    } else {
      cn_add(n, CN_LINE, x, y, 0, 0);
      k++;
    }
  }
}

void fill(cn_node *n) {
  n->r = rnd(256);
  n->g = rnd(256);
  n->b = rnd(256);
  n->a = 128 + rnd(128);
}

}  // namespace

int main() {
  std::vector<uint32_t> px((size_t)W * H);
  cn_reset();
  cn_root()->r = cn_root()->g = cn_root()->b = cn_root()->a = 255;
  for (int i = 0; i < 1000; i++) {
    cn_node *n = cn_new(cn_root());
    curvy_path(n, rnd(W), rnd(H), 20 + rnd(120));
    fill(n);
  }
  printf("canvas: 1,000 paths of 50 vertices with curves, %dx%d: %.2f ms per render\n",
         W, H, best_render(px));

  cn_reset();
  cn_node *big = cn_new(cn_root());
  fill(big);
  for (int i = 0; i < 100000; i++) {
    double a = 2 * M_PI * i / 100000;
    double r = 300 + 180 * sin(a * 97);
    cn_add(big, i ? CN_LINE : CN_MOVE, 800 + (int)(r * cos(a)),
           500 + (int)(r * sin(a)), 0, 0);
  }
  printf("canvas: one path of 100,000 vertices, %dx%d: %.2f ms per render\n", W, H,
         best_render(px));
  cn_reset();
  return 0;
}
