// Files not made by our encoder, with the pixels ImageMagick gave for them,
// stored beside each file:
// - cases.txt (tools/gen_image_cases.py): PNM headers with whitespace and
//   comments wherever netpbm allows them, TGA files of every type, depth
//   and origin;
// - formats.txt (tools/gen_image_oracle.py): files of every format written
//   by ImageMagick, BMP, GIF and SGI files written by hand from the formats,
//   and the files the readers must refuse, with the text they must give.
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/unit/image/img_testutil.h"

namespace {

struct oracle_case {
  std::string name, ext;
  int tol = 0;
  enc_bytes file;
  enc_pic want;
  std::string err;  // the reader must refuse the file with this text
};

enc_bytes unhex(const std::string &s) {
  enc_bytes b;
  b.reserve(s.size() / 2);
  auto nib = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
  for (size_t i = 0; i + 1 < s.size(); i += 2) b.push_back(uint8_t(nib(s[i]) << 4 | nib(s[i + 1])));
  return b;
}

enc_bytes unbase64(const std::string &s) {
  static const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  enc_bytes b;
  uint32_t acc = 0;
  int n = 0;
  for (char c : s) {
    size_t v = digits.find(c);
    if (v == std::string::npos) break;  // '=' padding
    acc = acc << 6 | uint32_t(v);
    if ((n += 6) >= 8) b.push_back(uint8_t(acc >> (n -= 8)));
  }
  return b;
}

// Pixels, or colours ":" one index byte a pixel.
enc_bytes unpixels(const std::string &s, int ch, enc_bytes (*dec)(const std::string &)) {
  size_t colon = s.find(':');
  if (colon == std::string::npos) return dec(s);
  enc_bytes cols = dec(s.substr(0, colon)), idx = dec(s.substr(colon + 1)), px;
  for (uint8_t i : idx)
    for (int k = 0; k < ch; k++) px.push_back(size_t(i) * ch + k < cols.size() ? cols[size_t(i) * ch + k] : 0);
  return px;
}

// Lines: name ext tolerance width height [channels] file pixels, or
// name ext err file text. cases.txt has hex and no channel count (always
// 3), formats.txt base64 and the count.
std::vector<oracle_case> load_cases(const char *path, bool channels) {
  enc_bytes (*dec)(const std::string &) = channels ? unbase64 : unhex;
  std::vector<oracle_case> all;
  std::ifstream f(path);
  std::string line;
  while (std::getline(f, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    oracle_case c;
    std::string tol, file, rgb;
    in >> c.name >> c.ext >> tol;
    if (tol == "err") {
      in >> file >> std::ws;
      std::getline(in, c.err);
    } else {
      int ch = 3;
      c.tol = std::stoi(tol);
      in >> c.want.w >> c.want.h;
      if (channels) in >> ch;
      in >> file >> rgb;
      c.want.alpha = ch == 4;
      c.want.px = unpixels(rgb, ch, dec);
    }
    c.file = dec(file);
    all.push_back(c);
  }
  return all;
}

void replay(const std::vector<oracle_case> &all, std::map<std::string, int> &count) {
  for (const oracle_case &c : all) {
    count[c.ext]++;
    if (!c.err.empty()) {
      SCOPED_TRACE(c.name);
      EXPECT_DECODE_ERROR(c.ext.c_str(), c.file, c.err.c_str());
      continue;
    }
    ASSERT_EQ(c.want.px.size(), size_t(c.want.w) * c.want.h * (c.want.alpha ? 4 : 3)) << c.name;
    EXPECT_TRUE(same_pixels(decode(c.ext.c_str(), c.file).get(), c.want, c.tol)) << c.name;
  }
}

}  // namespace

TEST(Oracle, DecodesAsImageMagickDoes) {
  std::vector<oracle_case> all = load_cases(IMG_ORACLE_DIR "/cases.txt", false);
  ASSERT_GT(all.size(), 150u) << "cannot read " IMG_ORACLE_DIR "/cases.txt";
  std::map<std::string, int> n;
  replay(all, n);
  EXPECT_GT(n["ppm"] + n["pgm"], 100);
  EXPECT_GT(n["tga"], 60);
}

TEST(Oracle, WrittenByImageMagickOrByHand) {
  std::vector<oracle_case> all = load_cases(IMG_ORACLE_DIR "/formats.txt", true);
  ASSERT_GT(all.size(), 150u) << "cannot read " IMG_ORACLE_DIR "/formats.txt";
  std::map<std::string, int> n;
  replay(all, n);
  EXPECT_GT(n["bmp"], 60);
  EXPECT_GT(n["gif"], 50);
  EXPECT_GT(n["rgb"], 30);
}
