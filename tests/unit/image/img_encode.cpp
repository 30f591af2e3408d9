// Minimal writers for each format the readers take. They write what the
// formats' own documentation describes, independently of the readers.
#include "tests/unit/image/img_encode.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

namespace {

void put16le(enc_bytes &b, unsigned v) { b.push_back(v & 255); b.push_back((v >> 8) & 255); }
void put32le(enc_bytes &b, uint32_t v) { put16le(b, v & 0xFFFF); put16le(b, v >> 16); }
void put16be(enc_bytes &b, unsigned v) { b.push_back((v >> 8) & 255); b.push_back(v & 255); }
void put32be(enc_bytes &b, uint32_t v) { put16be(b, v >> 16); put16be(b, v & 0xFFFF); }
void set32be(enc_bytes &b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; i++) b[at + i] = (v >> (24 - 8 * i)) & 255;
}

struct lcg {
  uint32_t s;
  uint32_t next() { s = s * 1664525u + 1013904223u; return s >> 8; }
};

int bits_for(size_t n) {
  int b = 1;
  while ((size_t(1) << b) < n) b++;
  return b;
}

}  // namespace

// Blocks of flat colour (runs for the run-length writers) beside noise.
enc_pic enc_pattern(int w, int h, unsigned seed, bool alpha) {
  enc_pic p;
  p.w = w, p.h = h, p.alpha = alpha;
  int bpp = alpha ? 4 : 3;
  p.px.resize(size_t(w) * h * bpp);
  lcg r{seed};
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      uint8_t *o = &p.px[(size_t(y) * w + x) * bpp];
      bool noisy = ((x / 8 + y / 4 + seed) % 3) == 0;
      o[0] = noisy ? r.next() & 255 : (x / 16 * 37 + seed) & 255;
      o[1] = noisy ? r.next() & 255 : (y / 16 * 53 + 11) & 255;
      o[2] = noisy ? r.next() & 255 : ((x + y) / 32 * 71) & 255;
      if (alpha) o[3] = (x * 7 + y * 3 + seed) & 255;
    }
  return p;
}

enc_indexed enc_pattern_indexed(int w, int h, int ncolors, unsigned seed) {
  enc_indexed im;
  im.w = w, im.h = h;
  lcg r{seed};
  for (int i = 0; i < ncolors * 3; i++) im.pal.push_back(r.next() & 255);
  im.idx.resize(size_t(w) * h);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      bool noisy = ((x / 8 + y / 4 + seed) % 3) == 0;
      im.idx[size_t(y) * w + x] = noisy ? r.next() % ncolors : (x / 8 + y / 2 + seed) % ncolors;
    }
  return im;
}

enc_pic enc_expand(const enc_indexed &im) {
  enc_pic p;
  p.w = im.w, p.h = im.h;
  for (uint8_t i : im.idx) p.px.insert(p.px.end(), &im.pal[3 * i], &im.pal[3 * i] + 3);
  return p;
}

enc_pic enc_grey(const enc_pic &pic) {
  enc_pic p = pic;
  int bpp = p.alpha ? 4 : 3;
  for (size_t i = 0; i < p.px.size(); i += bpp) p.px[i + 1] = p.px[i + 2] = p.px[i];
  return p;
}

// ---- GIF

namespace {

struct bitwriter {
  enc_bytes out;
  uint32_t acc = 0;
  int n = 0;
  void put(unsigned code, int width) {
    acc |= code << n;
    n += width;
    while (n >= 8) { out.push_back(acc & 255); acc >>= 8; n -= 8; }
  }
  void flush() { if (n > 0) out.push_back(acc & 255); acc = 0; n = 0; }
};

}  // namespace

// Codes are as wide as the decoder expects: it widens once its next free
// code reaches the limit, one entry behind the encoder.
enc_bytes enc_lzw(const enc_bytes &idx, int m) {
  const unsigned clear = 1u << m, eoi = clear + 1;
  unsigned next = clear + 2;
  int width = m + 1;
  std::unordered_map<uint32_t, uint16_t> dict;
  bitwriter bw;
  auto emit = [&](unsigned code) {
    while ((1u << width) < next && width < 12) width++;
    bw.put(code, width);
  };
  emit(clear);
  if (!idx.empty()) {
    uint32_t cur = idx[0];
    for (size_t i = 1; i < idx.size(); i++) {
      uint32_t key = cur << 8 | idx[i];
      auto it = dict.find(key);
      if (it != dict.end()) { cur = it->second; continue; }
      emit(cur);
      dict[key] = next++;
      if (next == 4096) {
        emit(clear);
        dict.clear();
        next = clear + 2;
        width = m + 1;
      }
      cur = idx[i];
    }
    emit(cur);
  }
  emit(eoi);
  bw.flush();
  return bw.out;
}

namespace {

void gif_table(enc_bytes &b, const enc_bytes &pal, int bits) {
  enc_bytes t(size_t(3) << bits, 0);
  std::memcpy(t.data(), pal.data(), std::min(pal.size(), t.size()));
  b.insert(b.end(), t.begin(), t.end());
}

enc_bytes gif_rows(const enc_indexed &im, bool interlace) {
  if (!interlace) return im.idx;
  enc_bytes out;
  static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; pass++)
    for (int y = start[pass]; y < im.h; y += step[pass])
      out.insert(out.end(), im.idx.begin() + size_t(y) * im.w, im.idx.begin() + size_t(y + 1) * im.w);
  return out;
}

void gif_blocks(enc_bytes &b, const enc_bytes &data) {
  for (size_t i = 0; i < data.size(); i += 255) {
    size_t n = std::min<size_t>(255, data.size() - i);
    b.push_back(uint8_t(n));
    b.insert(b.end(), data.begin() + i, data.begin() + i + n);
  }
  b.push_back(0);
}

}  // namespace

// The first image's palette is the global table; later images carry local
// tables. Each image follows a graphic control extension.
enc_bytes enc_gif(const std::vector<enc_indexed> &images, const enc_gif_opts &o) {
  enc_bytes b = {'G', 'I', 'F', '8', '9', 'a'};
  int sw = 0, sh = 0;
  for (auto &im : images) sw = std::max(sw, im.w), sh = std::max(sh, im.h);
  int gbits = images.empty() ? 1 : bits_for(images[0].pal.size() / 3);
  put16le(b, sw);
  put16le(b, sh);
  b.push_back(images.empty() ? 0 : 0x80 | (gbits - 1));
  b.push_back(0);
  b.push_back(0);
  if (!images.empty()) gif_table(b, images[0].pal, gbits);
  const uint8_t comment[] = {0x21, 0xFE, 3, 'h', 'i', '!', 0};
  b.insert(b.end(), comment, comment + sizeof comment);
  for (size_t n = 0; n < images.size(); n++) {
    const enc_indexed &im = images[n];
    const uint8_t gce[] = {0x21, 0xF9, 4, 0, 0, 0, 0, 0};
    b.insert(b.end(), gce, gce + sizeof gce);
    int bits = bits_for(im.pal.size() / 3);
    b.push_back(0x2C);
    put16le(b, 0), put16le(b, 0), put16le(b, im.w), put16le(b, im.h);
    b.push_back((o.interlace ? 0x40 : 0) | (n > 0 ? 0x80 | (bits - 1) : 0));
    if (n > 0) gif_table(b, im.pal, bits);
    int m = std::max(2, n > 0 ? bits : gbits);
    b.push_back(uint8_t(m));
    enc_bytes data = enc_lzw(gif_rows(im, o.interlace), m);
    if (o.truncate && n + 1 == images.size()) {
      data.resize(data.size() / 2);
      gif_blocks(b, data);
      b.pop_back();  // the file stops inside the data
      return b;
    }
    gif_blocks(b, data);
  }
  b.push_back(0x3B);
  return b;
}

// ---- SGI

namespace {

void sgi_rlerow(enc_bytes &b, const enc_bytes &row) {
  size_t i = 0, n = row.size();
  while (i < n) {
    size_t run = 1;
    while (i + run < n && run < 127 && row[i + run] == row[i]) run++;
    if (run >= 3) {
      b.push_back(uint8_t(run));
      b.push_back(row[i]);
      i += run;
      continue;
    }
    size_t lit = 0;
    while (i + lit < n && lit < 127 &&
           !(i + lit + 2 < n && row[i + lit] == row[i + lit + 1] && row[i + lit] == row[i + lit + 2]))
      lit++;
    b.push_back(uint8_t(0x80 | lit));
    b.insert(b.end(), row.begin() + i, row.begin() + i + lit);
    i += lit;
  }
  b.push_back(0);
}

}  // namespace

enc_bytes enc_sgi(const enc_pic &pic, int zsize, bool rle) {
  enc_bytes b;
  put16be(b, 474);
  b.push_back(rle ? 1 : 0);
  b.push_back(1);
  put16be(b, zsize == 1 ? 2 : 3);
  put16be(b, pic.w), put16be(b, pic.h), put16be(b, zsize);
  put32be(b, 0), put32be(b, 255);
  b.resize(512, 0);
  int bpp = pic.alpha ? 4 : 3;
  auto row = [&](int c, int y) {  // y counts from the bottom
    enc_bytes r(pic.w);
    for (int x = 0; x < pic.w; x++) r[x] = pic.px[(size_t(pic.h - 1 - y) * pic.w + x) * bpp + c];
    return r;
  };
  if (!rle) {
    for (int c = 0; c < zsize; c++)
      for (int y = 0; y < pic.h; y++) {
        enc_bytes r = row(c, y);
        b.insert(b.end(), r.begin(), r.end());
      }
    return b;
  }
  size_t nrows = size_t(pic.h) * zsize, tab = b.size();
  b.resize(tab + 8 * nrows, 0);
  for (int c = 0; c < zsize; c++)
    for (int y = 0; y < pic.h; y++) {
      size_t k = size_t(c) * pic.h + y, start = b.size();
      sgi_rlerow(b, row(c, y));
      set32be(b, tab + 4 * k, uint32_t(start));
      set32be(b, tab + 4 * nrows + 4 * k, uint32_t(b.size() - start));
    }
  return b;
}

// ---- TGA

namespace {

// Picture row that the k-th file row holds.
int tga_picrow(int k, int h, uint8_t desc) {
  int p = k;
  if ((desc & 0xC0) == 0x80) p = k < (h + 1) / 2 ? 2 * k : 2 * (k - (h + 1) / 2) + 1;
  return (desc & 0x20) ? p : h - 1 - p;
}

// Picture column of the i-th value of a file row: bit 4 runs right to left.
int tga_piccol(int i, int w, uint8_t desc) { return (desc & 0x10) ? w - 1 - i : i; }

void tga_value(enc_bytes &b, const uint8_t *px, int depth) {
  if (depth == 15 || depth == 16) {
    put16le(b, (px[0] >> 3) << 10 | (px[1] >> 3) << 5 | px[2] >> 3);
  } else if (depth == 8) {
    b.push_back(px[0]);
  } else {
    b.push_back(px[2]), b.push_back(px[1]), b.push_back(px[0]);
    if (depth == 32) b.push_back(0x80);
  }
}

// Pixel values in file order (stride bytes each), packed plain or
// run-length.
enc_bytes tga_body(const enc_bytes &vals, size_t stride, bool rle) {
  if (!rle) return vals;
  enc_bytes b;
  size_t i = 0, n = vals.size() / stride;
  auto same = [&](size_t a, size_t c) { return std::memcmp(&vals[a * stride], &vals[c * stride], stride) == 0; };
  auto copy = [&](size_t a) { b.insert(b.end(), vals.begin() + a * stride, vals.begin() + (a + 1) * stride); };
  while (i < n) {
    size_t run = 1;
    while (i + run < n && run < 128 && same(i + run, i)) run++;
    if (run >= 2) {
      b.push_back(uint8_t(0x80 | (run - 1)));
      copy(i);
      i += run;
      continue;
    }
    size_t lit = 1;
    while (i + lit < n && lit < 128 && !(i + lit + 1 < n && same(i + lit, i + lit + 1))) lit++;
    b.push_back(uint8_t(lit - 1));
    for (size_t k = 0; k < lit; k++) copy(i + k);
    i += lit;
  }
  return b;
}

enc_bytes tga_head(int type, int w, int h, int depth, uint8_t desc, int maplen, int mapbits) {
  enc_bytes b = {3, uint8_t(maplen ? 1 : 0), uint8_t(type)};
  put16le(b, 0), put16le(b, maplen);
  b.push_back(uint8_t(maplen ? mapbits : 0));
  put16le(b, 0), put16le(b, 0), put16le(b, w), put16le(b, h);
  b.push_back(uint8_t(depth));
  b.push_back(desc);
  b.insert(b.end(), {'i', 'd', '!'});
  return b;
}

}  // namespace

enc_bytes enc_tga(const enc_pic &pic, const enc_tga_opts &o) {
  enc_bytes b = tga_head(o.type, pic.w, pic.h, o.depth, o.desc, 0, 0);
  enc_bytes vals;
  int bpp = pic.alpha ? 4 : 3;
  for (int k = 0; k < pic.h; k++) {
    int y = tga_picrow(k, pic.h, o.desc);
    for (int i = 0; i < pic.w; i++)
      tga_value(vals, &pic.px[(size_t(y) * pic.w + tga_piccol(i, pic.w, o.desc)) * bpp], o.depth);
  }
  enc_bytes body = tga_body(vals, (o.depth + 7) / 8, o.type >= 9);
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

enc_bytes enc_tga_indexed(const enc_indexed &im, const enc_tga_opts &o) {
  int n = int(im.pal.size() / 3);
  enc_bytes b = tga_head(o.type, im.w, im.h, 8, o.desc, n, o.mapbits);
  for (int i = 0; i < n; i++) tga_value(b, &im.pal[3 * i], o.mapbits == 15 ? 16 : o.mapbits);
  enc_bytes vals;
  for (int k = 0; k < im.h; k++) {
    int y = tga_picrow(k, im.h, o.desc);
    for (int i = 0; i < im.w; i++) vals.push_back(im.idx[size_t(y) * im.w + tga_piccol(i, im.w, o.desc)]);
  }
  enc_bytes body = tga_body(vals, 1, o.type >= 9);
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

// ---- PNM

// Samples are the picture's bytes as they are (at most maxval); grey types
// take R.
enc_bytes enc_pnm(const enc_pic &pic, char type, int maxval) {
  std::string head = std::string("P") + type + "\n";
  if (type == '7') head += "332\n";
  head += "# written by the tests\n" + std::to_string(pic.w) + " " + std::to_string(pic.h) + "\n" +
          std::to_string(maxval) + "\n";
  enc_bytes b(head.begin(), head.end());
  int spp = (type == '3' || type == '6') ? 3 : 1;
  for (int i = 0; i < pic.w * pic.h; i++)
    for (int k = 0; k < spp; k++) {
      unsigned v = pic.px[size_t(i) * 3 + k];
      if (type == '3') {
        std::string s = std::to_string(v) + ((k == 2 && i % 5 == 4) ? "\n" : " ");
        b.insert(b.end(), s.begin(), s.end());
      } else if (maxval > 255) {
        put16be(b, v * 257);
      } else {
        b.push_back(uint8_t(v));
      }
    }
  return b;
}

// ---- BMP

namespace {

// RLE8 / RLE4 rows: runs of three or more, else literal stretches of three
// or more, else single-pixel runs; every row ends with an end-of-line.
void bmp_rle(enc_bytes &b, const uint8_t *row, int w, bool four) {
  int i = 0;
  while (i < w) {
    int run = 1;
    while (i + run < w && run < 255 && row[i + run] == row[i]) run++;
    if (run >= 3 || w - i < 3) {
      if (run < 3) run = 1;
      b.push_back(uint8_t(run));
      b.push_back(four ? uint8_t(row[i] << 4 | row[i]) : row[i]);
      i += run;
      continue;
    }
    int lit = 0;
    while (i + lit < w && lit < 255 &&
           !(i + lit + 2 < w && row[i + lit] == row[i + lit + 1] && row[i + lit] == row[i + lit + 2]))
      lit++;
    if (lit < 3) {
      b.push_back(1);
      b.push_back(four ? uint8_t(row[i] << 4) : row[i]);
      i += 1;
      continue;
    }
    b.push_back(0);
    b.push_back(uint8_t(lit));
    size_t bytes = four ? (lit + 1) / 2 : lit;
    for (size_t k = 0; k < bytes; k++) {
      if (!four) b.push_back(row[i + k]);
      else b.push_back(uint8_t(row[i + 2 * k] << 4 | (2 * k + 1 < size_t(lit) ? row[i + 2 * k + 1] : 0)));
    }
    if (bytes & 1) b.push_back(0);
    i += lit;
  }
  b.push_back(0);
  b.push_back(0);
}

enc_bytes bmp_plainrow(const uint8_t *vals, int w, int bits) {
  size_t rowsize = (size_t(bits) * w + 31) / 32 * 4;
  enc_bytes r(rowsize, 0);
  for (int x = 0; x < w; x++) {
    if (bits == 24) {
      r[3 * x] = vals[3 * x + 2], r[3 * x + 1] = vals[3 * x + 1], r[3 * x + 2] = vals[3 * x];
    } else if (bits == 8) {
      r[x] = vals[x];
    } else if (bits == 4) {
      r[x / 2] |= (x & 1) ? vals[x] : vals[x] << 4;
    } else {
      r[x / 8] |= (vals[x] & 1) << (7 - (x & 7));
    }
  }
  return r;
}

// rows: w values per row (indices, or R, G, B for 24 bits), top row first.
enc_bytes bmp_file(const enc_bytes &rows, int w, int h, const enc_bytes &pal, const enc_bmp_opts &o) {
  int per = o.bits == 24 ? 3 : 1;
  enc_bytes data;
  for (int k = 0; k < h; k++) {
    int y = o.topdown ? k : h - 1 - k;
    const uint8_t *src = &rows[size_t(y) * w * per];
    if (o.rle) {
      bmp_rle(data, src, w, o.bits == 4);
    } else {
      enc_bytes r = bmp_plainrow(src, w, o.bits);
      data.insert(data.end(), r.begin(), r.end());
    }
  }
  if (o.rle) data.push_back(0), data.push_back(1);
  size_t npal = o.bits == 24 ? 0 : (o.core ? size_t(1) << o.bits : pal.size() / 3);
  size_t head = 14 + (o.core ? 12 : 40), offset = head + npal * (o.core ? 3 : 4);
  enc_bytes b = {'B', 'M'};
  put32le(b, uint32_t(offset + data.size()));
  put16le(b, 0), put16le(b, 0);
  put32le(b, uint32_t(offset));
  if (o.core) {
    put32le(b, 12), put16le(b, w), put16le(b, h), put16le(b, 1), put16le(b, o.bits);
  } else {
    put32le(b, 40), put32le(b, w), put32le(b, o.topdown ? uint32_t(-h) : uint32_t(h));
    put16le(b, 1), put16le(b, o.bits);
    put32le(b, o.rle ? (o.bits == 8 ? 1 : 2) : 0);
    put32le(b, o.rle ? uint32_t(data.size()) : 0);
    put32le(b, 2835), put32le(b, 2835), put32le(b, uint32_t(npal)), put32le(b, 0);
  }
  for (size_t i = 0; i < npal; i++) {
    uint8_t c[3] = {0, 0, 0};
    if (3 * i + 2 < pal.size()) std::memcpy(c, &pal[3 * i], 3);
    b.push_back(c[2]), b.push_back(c[1]), b.push_back(c[0]);
    if (!o.core) b.push_back(0);
  }
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

}  // namespace

enc_bytes enc_bmp(const enc_indexed &im, const enc_bmp_opts &o) {
  return bmp_file(im.idx, im.w, im.h, im.pal, o);
}

enc_bytes enc_bmp_rgb(const enc_pic &pic, const enc_bmp_opts &o) {
  return bmp_file(pic.px, pic.w, pic.h, {}, o);
}
