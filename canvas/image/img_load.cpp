/*
** The loader: picks a reader by the lower-cased extension, reads the file,
** turns the image so that row 0 is the bottom row and keeps the program-wide
** last error text.
*/
#include <stdio.h>
#include <string.h>

#include "canvas/image/img_reader.h"

struct img_format {
  const char *ext;
  img_readfn read;  /* null: a reader without a read operation */
};

static const img_format img_formats[] = {
  {"gif", img_gif_read}, {"rgb", img_sgi_read}, {"tga", img_tga_read},
  {"pbm", img_pnm_read}, {"pgm", img_pnm_read}, {"pnm", img_pnm_read},
  {"ppm", img_pnm_read}, {"bmp", img_bmp_read},
};

static char img_lasterr[256];

static void img_seterror(const char *text) {
  snprintf(img_lasterr, sizeof img_lasterr, "%s", text);
}

const char *img_lasterror(void) {
  return img_lasterr;
}

/* Text after the last '.', A-Z lowered; "" without a dot or when long. */
static void img_ext(const char *name, char *out, size_t cap) {
  const char *dot = strrchr(name, '.');
  out[0] = '\0';
  if (!dot || strlen(dot + 1) >= cap) return;
  size_t i = 0;
  for (const char *p = dot + 1; *p; p++, i++)
    out[i] = (*p >= 'A' && *p <= 'Z') ? (char)(*p - 'A' + 'a') : *p;
  out[i] = '\0';
}

static const img_format *img_find(const char *filename) {
  char ext[8];
  if (!filename) return NULL;
  img_ext(filename, ext, sizeof ext);
  for (const img_format &f : img_formats)
    if (strcmp(f.ext, ext) == 0) return &f;
  return NULL;
}

/* Steps shared by file and memory loads once the reader has its bytes. */
static img_image *img_run(const img_format *f, img_reader *r) {
  img_image *im = img_new();
  if (!im) {
    img_seterror(img_enomem);
    return NULL;
  }
  bool ok = f->read ? f->read(r, im) : img_fail(r, "no reader available?!");
  if (!ok) {
    img_seterror(r->err);
    img_free(im);
    return NULL;
  }
  if (!r->bottomfirst) img_flip(im);
  img_seterror("");
  return im;
}

img_image *img_load(const char *filename) {
  const img_format *f = img_find(filename);
  if (!f) {
    img_seterror("Unknown format extension");
    return NULL;
  }
  img_reader r;
  int e = img_open(&r, filename);
  if (e) {
    img_seterror(strerror(e));
    return NULL;
  }
  img_image *im = img_run(f, &r);
  img_close(&r);
  return im;
}

img_image *img_decode(const char *ext, const uint8_t *data, size_t size) {
  char name[16];
  snprintf(name, sizeof name, ".%s", ext ? ext : "");
  const img_format *f = img_find(name);
  if (!f) {
    img_seterror("Unknown format extension");
    return NULL;
  }
  img_reader r;
  img_init(&r, data, size);
  img_image *im = img_run(f, &r);
  img_close(&r);
  return im;
}
