// Files made by tools/gen_image_cases.py (not by our encoder): PNM headers
// with whitespace and comments wherever netpbm allows them, TGA files of
// every type, depth and origin. Each must decode to the pixels ImageMagick
// gave for it, stored beside the file.
#include <fstream>
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
};

enc_bytes unhex(const std::string &s) {
  enc_bytes b;
  for (size_t i = 0; i + 1 < s.size(); i += 2) b.push_back(uint8_t(std::stoi(s.substr(i, 2), nullptr, 16)));
  return b;
}

std::vector<oracle_case> load_cases() {
  std::vector<oracle_case> all;
  std::ifstream f(IMG_ORACLE_CASES);
  std::string line;
  while (std::getline(f, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    oracle_case c;
    std::string file, rgb;
    in >> c.name >> c.ext >> c.tol >> c.want.w >> c.want.h >> file >> rgb;
    c.file = unhex(file);
    c.want.px = unhex(rgb);
    all.push_back(c);
  }
  return all;
}

}  // namespace

TEST(Oracle, DecodesAsImageMagickDoes) {
  std::vector<oracle_case> all = load_cases();
  ASSERT_GT(all.size(), 150u) << "cannot read " << IMG_ORACLE_CASES;
  int pnm = 0, tga = 0;
  for (const oracle_case &c : all) {
    ASSERT_EQ(c.want.px.size(), size_t(c.want.w) * c.want.h * 3) << c.name;
    EXPECT_TRUE(same_pixels(decode(c.ext.c_str(), c.file).get(), c.want, c.tol)) << c.name;
    (c.ext == "tga" ? tga : pnm)++;
  }
  EXPECT_GT(pnm, 100);
  EXPECT_GT(tga, 60);
}
