// Every generated file that ImageMagick also reads must give the same
// pixels with both. Skipped when `convert` is not installed.
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "tests/unit/image/img_testutil.h"

namespace {

struct sample {
  std::string name;     // file name; its extension picks our reader
  enc_bytes bytes;
  int tol;              // 5-bit channels may round either way
  std::string frame;    // ImageMagick frame selector, e.g. "[1]"
  sample(std::string n, enc_bytes b, int t = 0, std::string f = "")
      : name(std::move(n)), bytes(std::move(b)), tol(t), frame(std::move(f)) {}
};

bool have_convert() {
  return std::system("convert -version >/dev/null 2>&1") == 0;
}

std::vector<sample> samples() {
  std::vector<sample> s;
  enc_indexed i256 = enc_pattern_indexed(61, 47, 256, 1), i2 = enc_pattern_indexed(33, 9, 2, 2);
  enc_indexed i16 = enc_pattern_indexed(29, 13, 16, 3), i40 = enc_pattern_indexed(24, 18, 40, 4);
  enc_pic rgb = enc_pattern(45, 31, 5), rgba = enc_pattern(20, 14, 6, true), grey = enc_grey(rgb);
  enc_gif_opts inter;
  inter.interlace = true;
  s.push_back({"cc_plain.gif", enc_gif({i256})});
  s.push_back({"cc_two.gif", enc_gif({i2})});
  s.push_back({"cc_interlaced.gif", enc_gif({i40}, inter)});
  s.push_back({"cc_second.gif", enc_gif({i16, i40}), 0, "[1]"});
  s.push_back({"cc_verbatim.rgb", enc_sgi(rgb, 3, false)});
  s.push_back({"cc_rle.rgb", enc_sgi(rgb, 3, true)});
  s.push_back({"cc_grey.rgb", enc_sgi(grey, 1, true)});
  s.push_back({"cc_alpha.rgb", enc_sgi(rgba, 4, false)});
  for (int type : {2, 10})
    for (int depth : {15, 16, 24, 32})
      for (uint8_t desc : {0x00, 0x10, 0x20, 0x30}) {
        enc_tga_opts o;
        o.type = type, o.depth = depth, o.desc = desc;
        s.push_back({"cc_t" + std::to_string(type) + "_" + std::to_string(depth) + "_" + std::to_string(desc) + ".tga",
                     enc_tga(rgb, o), depth < 24 ? 1 : 0});
      }
  for (int type : {3, 11}) {
    enc_tga_opts o;
    o.type = type, o.depth = 8;
    s.push_back({"cc_grey" + std::to_string(type) + ".tga", enc_tga(grey, o)});
  }
  for (int type : {1, 9}) {
    enc_tga_opts o;
    o.type = type;
    s.push_back({"cc_map" + std::to_string(type) + ".tga", enc_tga_indexed(i40, o)});
  }
  enc_pic small = rgb;
  for (auto &v : small.px) v %= 16;
  s.push_back({"cc_p6.ppm", enc_pnm(rgb, '6', 255)});
  s.push_back({"cc_p6_15.ppm", enc_pnm(small, '6', 15)});
  s.push_back({"cc_p6_16bit.ppm", enc_pnm(rgb, '6', 65535)});
  s.push_back({"cc_p5.pgm", enc_pnm(grey, '5', 255)});
  s.push_back({"cc_p3.ppm", enc_pnm(rgb, '3', 255)});
  for (bool core : {false, true}) {
    std::string k = core ? "core" : "info";
    for (int bits : {1, 4, 8}) {
      enc_bmp_opts o;
      o.bits = bits, o.core = core;
      const enc_indexed &src = bits == 1 ? i2 : bits == 4 ? i16 : i256;
      s.push_back({"cc_" + k + std::to_string(bits) + ".bmp", enc_bmp(src, o)});
    }
    enc_bmp_opts o;
    o.core = core;
    s.push_back({"cc_" + k + "24.bmp", enc_bmp_rgb(rgb, o)});
  }
  enc_bmp_opts o;
  o.topdown = true;
  s.push_back({"cc_topdown.bmp", enc_bmp_rgb(rgb, o)});
  o = {};
  o.bits = 8, o.rle = true;
  s.push_back({"cc_rle8.bmp", enc_bmp(i256, o)});
  o.bits = 4;
  s.push_back({"cc_rle4.bmp", enc_bmp(i16, o)});
  return s;
}

// ImageMagick's pixels, top row first, as raw R, G, B (and A). It keeps a
// TGA's row order as a tag, so the image is turned upright first.
bool convert_raw(const sample &s, bool alpha, enc_pic *out, int w, int h) {
  std::string raw = tmp_file(s.name + ".raw");
  std::string cmd = "convert '" + tmp_file(s.name) + s.frame + "' -auto-orient -depth 8 " + (alpha ? "rgba:" : "rgb:") + raw +
                    " >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) return false;
  FILE *f = std::fopen(raw.c_str(), "rb");
  if (!f) return false;
  out->w = w, out->h = h, out->alpha = alpha;
  out->px.assign(size_t(w) * h * (alpha ? 4 : 3) + 1, 0);
  size_t got = std::fread(out->px.data(), 1, out->px.size(), f);
  std::fclose(f);
  out->px.pop_back();
  return got == out->px.size();
}

}  // namespace

TEST(CrossCheck, AgreesWithImageMagick) {
  if (!have_convert()) {
    std::printf("SKIPPED: ImageMagick's convert is not installed; nothing to compare with\n");
    GTEST_SKIP();
  }
  for (const sample &s : samples()) {
    write_file(tmp_file(s.name), s.bytes);
    img_ptr im(img_load(tmp_file(s.name).c_str()));
    ASSERT_NE(im.get(), nullptr) << s.name << ": " << img_lasterror();
    enc_pic theirs;
    ASSERT_TRUE(convert_raw(s, im->alpha, &theirs, im->width, im->height)) << s.name << ": convert failed or sizes differ";
    EXPECT_TRUE(same_pixels(im.get(), theirs, s.tol)) << s.name;
  }
}
