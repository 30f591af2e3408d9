// Decoding speed of each image reader on a 4000 x 3000 picture, with
// stb_image on the same bytes where it reads the format.
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "canvas/image/img.h"
#include "tests/unit/image/img_encode.h"

#ifdef HAVE_STB_IMAGE
#include <stb_image.h>
#endif

namespace {

const int W = 4000, H = 3000, RUNS = 5;
// Our time over stb_image's on the same file.
const double GOAL = 1.0;

struct sample {
  const char *label;
  const char *ext;
  enc_bytes bytes;
};

// Processor time of this process (page faults included), so that other
// programs on a busy machine do not count; wall time where the C library's
// clock() gives only that.
double now_ms() {
  return 1e3 * double(std::clock()) / CLOCKS_PER_SEC;
}

// Best of RUNS for each decoder, in milliseconds, runs taking turns so that
// a busy moment costs both alike; negative when a decoder refuses the file
// (-2: stb_image is not in this build).
struct timing {
  double ours, theirs;
};

template <class F>
bool timed(F decode_once, double &t) {
  double t0 = now_ms();
  bool ok = decode_once();
  t = ok ? std::min(t, now_ms() - t0) : -1;
  return ok;
}

bool ours_once(const sample &s) {
  img_image *im = img_decode(s.ext, s.bytes.data(), s.bytes.size());
  bool ok = im && im->pixels;
  img_free(im);
  return ok;
}

bool theirs_once(const sample &s) {
#ifdef HAVE_STB_IMAGE
  int w, h, n;
  stbi_uc *p = stbi_load_from_memory(s.bytes.data(), int(s.bytes.size()), &w, &h, &n, 3);
  stbi_image_free(p);
  return p != nullptr;
#else
  (void)s;
  return false;
#endif
}

timing measure(const sample &s) {
  timing t = {1e300, 1e300};
#ifndef HAVE_STB_IMAGE
  t.theirs = -2;
#endif
  // Who goes first alternates, so that neither always follows the other's
  // release of its pixel array.
  for (int i = 0; i < RUNS; i++)
    for (int k = 0; k < 2; k++) {
      if ((i + k) % 2 == 0 && t.ours >= 0) timed([&] { return ours_once(s); }, t.ours);
      if ((i + k) % 2 == 1 && t.theirs >= 0) timed([&] { return theirs_once(s); }, t.theirs);
    }
  return t;
}

void report(const sample &s) {
  timing t = measure(s);
  double a = t.ours, b = t.theirs;
  double mpix = double(W) * H / 1e6;
  std::printf("%-22s %8.1f MB %9.1f ms %7.1f Mpix/s", s.label, s.bytes.size() / 1e6, a, a > 0 ? mpix / (a / 1e3) : 0);
  if (b > 0) std::printf("   stb_image %9.1f ms (x%.2f, goal <= %.2f)\n", b, a / b, GOAL);
  else std::printf("   stb_image %s\n", b == -1 ? "cannot read it" : "not in this build");
  std::fflush(stdout);
}

}  // namespace

// An argument keeps only the rows whose label contains it, e.g. "TGA".
int main(int argc, char **argv) {
  const char *only = argc > 1 ? argv[1] : "";
  std::printf("image readers, %d x %d pixels, best of %d runs each, taking turns\n", W, H, RUNS);
  enc_pic rgb = enc_pattern(W, H, 1), grey = enc_grey(rgb);
  enc_indexed pal = enc_pattern_indexed(W, H, 256, 2);
  std::vector<sample> all;
  enc_gif_opts inter;
  inter.interlace = true;
  all.push_back({"GIF 256 colours", "gif", enc_gif({pal})});
  all.push_back({"GIF interlaced", "gif", enc_gif({pal}, inter)});
  all.push_back({"SGI RGB verbatim", "rgb", enc_sgi(rgb, 3, false)});
  all.push_back({"SGI RGB run-length", "rgb", enc_sgi(rgb, 3, true)});
  enc_tga_opts t;
  all.push_back({"TGA 24-bit", "tga", enc_tga(rgb, t)});
  t.type = 10;
  all.push_back({"TGA 24-bit run-length", "tga", enc_tga(rgb, t)});
  t.type = 1;
  all.push_back({"TGA colour-mapped", "tga", enc_tga_indexed(pal, t)});
  all.push_back({"PNM P6", "ppm", enc_pnm(rgb, '6', 255)});
  all.push_back({"PNM P5", "pgm", enc_pnm(grey, '5', 255)});
  enc_bmp_opts b;
  all.push_back({"BMP 24-bit", "bmp", enc_bmp_rgb(rgb, b)});
  b.bits = 8;
  all.push_back({"BMP 8-bit", "bmp", enc_bmp(pal, b)});
  b.rle = true;
  all.push_back({"BMP RLE8", "bmp", enc_bmp(pal, b)});
  for (const sample &s : all)
    if (std::strstr(s.label, only)) report(s);
  return 0;
}
