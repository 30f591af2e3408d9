/*
** Building module images in memory: the built-in modules, modules made from
** a DLL's exports, and images written by tests. Member addresses are given
** as the builder's caller means them: absolute for built-in and DLL modules,
** offsets from the image start for assembled ones.
*/
#ifndef mod_build_h
#define mod_build_h

#include <stdint.h>

#include <string>
#include <vector>

typedef std::vector<uint8_t> mb_bytes;

void mb_vnum(mb_bytes &out, uint32_t v);
void mb_item(mb_bytes &out, const mb_bytes &bytes);
void mb_text(mb_bytes &out, const char *text);      /* "" gives an empty item */
void mb_u32(mb_bytes &out, uint32_t v);

/* Signature item bytes from parameter and result type codes. */
mb_bytes mb_sig(const std::vector<uint8_t> &params,
                const std::vector<uint8_t> &results);

/* A member item (or an import entry): name, comment, kind, signature,
   32-bit address or slot. */
void mb_member(mb_bytes &out, const char *name, const char *comment,
               uint8_t kind, const mb_bytes &sig, uint32_t addr);

struct mb_image {
  mb_bytes code;            /* bytes after the 6-byte jump and offset */
  std::string name, comment;
  int handler[3] = {0, 0, 0};  /* 1: a 4-byte handler item is present */
  uint32_t handler_addr[3] = {0, 0, 0};
  mb_bytes members;         /* concatenated member items */
  mb_bytes relocs;          /* concatenated vnums */
  mb_bytes imports;         /* concatenated import records (items) */
};

/* One import record: module name, extra item, three slot items (empty, or
   4 zero bytes when have_slot[i]), then the entries. */
mb_bytes mb_import(const char *module, const int have_slot[3],
                   const mb_bytes &entries);

/* The image: 0xEB, displacement 4, header offset, code, signature and the
   three blocks. hdr_out receives the header offset. */
mb_bytes mb_finish(const mb_image &im, uint32_t *hdr_out);

#endif
