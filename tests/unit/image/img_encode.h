// Writers of small image files for the reader tests, the cross-check and the
// benchmark. Pictures are given top row first.
#ifndef img_encode_h
#define img_encode_h

#include <cstdint>
#include <vector>

typedef std::vector<uint8_t> enc_bytes;

struct enc_pic {        // 3 bytes per pixel, or 4 with alpha
  int w = 0, h = 0;
  bool alpha = false;
  enc_bytes px;
};

struct enc_indexed {    // one palette index per pixel
  int w = 0, h = 0;
  enc_bytes idx;
  enc_bytes pal;        // R, G, B per entry
};

enc_pic enc_pattern(int w, int h, unsigned seed, bool alpha = false);
enc_indexed enc_pattern_indexed(int w, int h, int ncolors, unsigned seed);
enc_pic enc_expand(const enc_indexed &im);
enc_pic enc_grey(const enc_pic &pic);   // R copied to G and B

struct enc_gif_opts {
  bool interlace = false;
  bool truncate = false;  // cut the image data of the last image short
};
enc_bytes enc_gif(const std::vector<enc_indexed> &images, const enc_gif_opts &o = {});
enc_bytes enc_lzw(const enc_bytes &indices, int mincode);

enc_bytes enc_sgi(const enc_pic &pic, int zsize, bool rle);

struct enc_tga_opts {
  int type = 2;           // 1 colour-mapped, 2 true colour, 3 grey; +8 run-length
  int depth = 24;
  int mapbits = 24;       // colour-map entry size
  uint8_t desc = 0x20;    // bit 4: right to left; bit 5: top row first; bits 6-7: interleave
};
enc_bytes enc_tga(const enc_pic &pic, const enc_tga_opts &o);
enc_bytes enc_tga_indexed(const enc_indexed &im, const enc_tga_opts &o);

enc_bytes enc_pnm(const enc_pic &pic, char type, int maxval);

struct enc_bmp_opts {
  int bits = 24;
  bool core = false;      // 12-byte header
  bool topdown = false;   // negative height
  bool rle = false;       // RLE8 for 8 bits, RLE4 for 4 bits
};
enc_bytes enc_bmp(const enc_indexed &im, const enc_bmp_opts &o);
enc_bytes enc_bmp_rgb(const enc_pic &pic, const enc_bmp_opts &o);

#endif
