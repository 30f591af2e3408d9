/*
** sys_pe.cpp: export directory walk. Names are taken through the name
** pointer table, so their order and spacing in the string area do not
** matter; a name that runs off the image ends the walk.
*/
#include "syslib/sys_pe.h"

#include <stdint.h>
#include <string.h>

#define SYS_PE_DIR_SIZE 40

static uint32_t sys_pe_u32(const unsigned char *p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 |
         (uint32_t)p[3] << 24;
}

static uint16_t sys_pe_u16(const unsigned char *p) {
  return (uint16_t)(p[0] | p[1] << 8);
}

/* True when [off, off+len) lies inside size. */
static int sys_pe_inside(size_t size, uint32_t off, size_t len) {
  return off <= size && len <= size - off;
}

/* Offset of the export directory and the bounded image size; 0 when the
   headers are not a PE image with exports. */
static uint32_t sys_pe_export_dir(const unsigned char *base, size_t *size) {
  if (*size < 0x40 || base[0] != 'M' || base[1] != 'Z') return 0;
  uint32_t pe = sys_pe_u32(base + 0x3C);
  if (!sys_pe_inside(*size, pe, 24 + 2) || memcmp(base + pe, "PE\0\0", 4) != 0)
    return 0;
  uint32_t opt = pe + 24;
  uint16_t magic = sys_pe_u16(base + opt);
  uint32_t count_at = magic == 0x20B ? 108 : magic == 0x10B ? 92 : 0;
  if (count_at == 0 || !sys_pe_inside(*size, opt, count_at + 12)) return 0;
  uint32_t image = sys_pe_u32(base + opt + 56);
  if (image < *size) *size = image;
  if (sys_pe_u32(base + opt + count_at) < 1) return 0;
  uint32_t dir = sys_pe_u32(base + opt + count_at + 4);
  if (dir == 0 || !sys_pe_inside(*size, dir, SYS_PE_DIR_SIZE)) return 0;
  return dir;
}

int sys_pe_exports(const unsigned char *base, size_t avail, sys_pe_visit visit,
                   void *ctx) {
  size_t size = avail;
  uint32_t dir = base ? sys_pe_export_dir(base, &size) : 0;
  if (dir == 0) return -1;
  uint32_t count = sys_pe_u32(base + dir + 24);
  uint32_t names = sys_pe_u32(base + dir + 32);
  if (count == 0 || names > size || count > (size - names) / 4) return -1;
  int seen = 0;
  for (uint32_t i = 0; i < count; i++) {
    uint32_t at = sys_pe_u32(base + names + 4 * i);
    if (at >= size || memchr(base + at, 0, size - at) == NULL) break;
    seen++;
    if (!visit(ctx, (const char *)base + at)) break;
  }
  return seen;
}
