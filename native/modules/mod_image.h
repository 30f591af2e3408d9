/*
** Module images: the self-describing block of machine code behind every
** native module.
**
**   +0 0xEB, +1 jump displacement, +2 header offset H (32 bits)
**   ... code and data ...
**   +H signature 0x0102DCA9, then three items: descriptor, relocations,
**      imports
**
** Numbers in the header are vnums: the low two bits of the first byte give
** the count of further bytes (0-3), the value is the first byte >> 2 plus
** the further bytes shifted left by 6, 14 and 22. An item is a vnum length
** and that many bytes. Every reader here is bounded by the span it is given;
** nothing reads past the end of an image.
*/
#ifndef mod_image_h
#define mod_image_h

#include <stddef.h>
#include <stdint.h>

#define MI_SIGNATURE 0x0102DCA9u
#define MI_JMP 0xEB

/* kind byte and signature type codes */
#define MI_SIZEMASK 0x07
#define MI_SIGNED 0x80      /* with size 0: a double */
#define MI_READ 0x10
#define MI_WRITE 0x20
#define MI_TYPEMASK 0xC7    /* the type without the access bits */
#define MI_REAL 0x80
#define MI_STRING 7         /* size code of a string */

struct mi_span {
  const uint8_t *p;
  size_t n;
};

struct mi_reader {
  const uint8_t *p, *end;
};

/* Header view of a checked image; spans point into the image. */
struct mi_header {
  uint32_t hdr;              /* header offset H */
  mi_span desc, relocs, imports;
};

/* Fixed part of the descriptor; `members' is the rest of it. */
struct mi_module {
  mi_span name, comment, handler[3], members;
};

/* One member item, or one import entry (same layout). */
struct mi_member {
  const uint8_t *at;         /* first byte of the item in the image */
  mi_span name, comment, sig;
  uint8_t kind;
  uint8_t *addr;             /* the 4-byte address or slot */
};

/* One required-module record of the import block. */
struct mi_import {
  mi_span name, extra, slot[3], entries;
};

/* Decoded signature of a function member. */
struct mi_sig {
  uint32_t nparams, nresults;
  const uint8_t *params, *results;
};

mi_reader mi_reader_of(mi_span s);
int mi_vnum(mi_reader *r, uint32_t *v);            /* 0 if truncated */
int mi_item(mi_reader *r, mi_span *s);             /* 0 if truncated */
uint32_t mi_get32(const uint8_t *p);
void mi_put32(uint8_t *p, uint32_t v);

/* 1 when the image is sound enough to read: jump byte, header offset,
   signature, and the three blocks inside `size'. */
int mi_check(const uint8_t *img, size_t size, mi_header *h);

int mi_module_of(mi_span desc, mi_module *m);      /* 0 if malformed */
/* 1 with a member, 0 at the end, -1 if malformed. */
int mi_next_member(mi_reader *r, mi_member *m);
int mi_next_import(mi_reader *r, mi_import *imp);
int mi_next_reloc(mi_reader *r, uint32_t *offset);

/* An item holding a NUL-terminated text: 1 when the text is the item. */
int mi_is_text(mi_span s);
/* The text of a name item (empty items give ""). Only for checked items. */
const char *mi_text(mi_span s);

int mi_sig_of(mi_span s, mi_sig *sig);             /* 0 if malformed */
int mi_same(mi_span a, mi_span b);

/* "f:ud:ud;", "ud", "r": the type text of a member; returns the length
   written (cut to cap - 1, always NUL-terminated). */
size_t mi_typetext(uint8_t kind, mi_span sig, char *out, size_t cap);
const char *mi_access(uint8_t kind);               /* "x", "r", "w", "rw", "" */

#endif
