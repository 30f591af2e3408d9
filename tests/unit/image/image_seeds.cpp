// Writes seed files for the reader fuzzers: seeds/<ext>/<name>.
#include <cstdio>
#include <string>
#include <sys/stat.h>

#include "tests/unit/image/img_encode.h"

static void put(const std::string &dir, const std::string &ext, const std::string &name, const enc_bytes &b) {
  std::string d = dir + "/" + ext;
  mkdir(dir.c_str(), 0777);
  mkdir(d.c_str(), 0777);
  FILE *f = std::fopen((d + "/" + name).c_str(), "wb");
  if (!f) return;
  std::fwrite(b.data(), 1, b.size(), f);
  std::fclose(f);
}

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: image_seeds DIR\n");
    return 2;
  }
  std::string dir = argv[1];
  enc_indexed i16 = enc_pattern_indexed(9, 7, 16, 1), i256 = enc_pattern_indexed(12, 10, 256, 2);
  enc_pic rgb = enc_pattern(8, 6, 3), rgba = enc_pattern(5, 4, 4, true);
  enc_gif_opts inter;
  inter.interlace = true;
  put(dir, "gif", "plain", enc_gif({i16}));
  put(dir, "gif", "interlaced", enc_gif({i256}, inter));
  put(dir, "gif", "two", enc_gif({i16, i256}));
  put(dir, "rgb", "verbatim", enc_sgi(rgb, 3, false));
  put(dir, "rgb", "rle", enc_sgi(rgba, 4, true));
  put(dir, "rgb", "grey", enc_sgi(enc_grey(rgb), 1, true));
  for (int type : {2, 10}) {
    for (int depth : {16, 24, 32}) {
      enc_tga_opts o;
      o.type = type, o.depth = depth, o.desc = depth == 16 ? 0x80 : 0x20;
      put(dir, "tga", "t" + std::to_string(type) + "_" + std::to_string(depth), enc_tga(rgb, o));
    }
  }
  enc_tga_opts m;
  m.type = 9, m.mapbits = 16;
  put(dir, "tga", "map", enc_tga_indexed(i16, m));
  put(dir, "pnm", "p6", enc_pnm(rgb, '6', 255));
  put(dir, "pnm", "p3", enc_pnm(rgb, '3', 255));
  put(dir, "pnm", "p5_16", enc_pnm(rgb, '5', 65535));
  put(dir, "pnm", "p7", enc_pnm(rgb, '7', 255));
  for (int bits : {1, 4, 8}) {
    enc_bmp_opts o;
    o.bits = bits, o.core = bits == 4;
    put(dir, "bmp", "b" + std::to_string(bits), enc_bmp(bits == 8 ? i256 : i16, o));
  }
  enc_bmp_opts o;
  o.topdown = true;
  put(dir, "bmp", "b24", enc_bmp_rgb(rgb, o));
  o = {};
  o.bits = 8, o.rle = true;
  put(dir, "bmp", "rle8", enc_bmp(i256, o));
  o.bits = 4;
  put(dir, "bmp", "rle4", enc_bmp(i16, o));
  return 0;
}
