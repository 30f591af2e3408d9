/*
** Module image: a short jump over the header offset into the code, the
** code and data, then the header: signature, descriptor, relocations and
** imports, each block an item of variable-length numbers and items.
*/
#include "asm/asm_int.h"

/* Low two bits of the first byte: count of further bytes. */
void asm_image_vnum(std::vector<uint8_t> &out, uint32_t v) {
  if (v < (1u << 6)) {
    out.push_back((uint8_t)(v << 2));
  } else if (v < (1u << 14)) {
    out.push_back((uint8_t)((v << 2) | 1));
    out.push_back((uint8_t)(v >> 6));
  } else if (v < (1u << 22)) {
    out.push_back((uint8_t)((v << 2) | 2));
    out.push_back((uint8_t)(v >> 6));
    out.push_back((uint8_t)(v >> 14));
  } else {
    out.push_back((uint8_t)((v << 2) | 3));
    out.push_back((uint8_t)(v >> 6));
    out.push_back((uint8_t)(v >> 14));
    out.push_back((uint8_t)(v >> 22));
  }
}

void asm_image_item(std::vector<uint8_t> &out, const std::vector<uint8_t> &b) {
  asm_image_vnum(out, (uint32_t)b.size());
  out.insert(out.end(), b.begin(), b.end());
}

static void image_u32(std::vector<uint8_t> &out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; i++)
    out[at + (size_t)i] = (uint8_t)(v >> (8 * i));
}


bool asm_image_build(asm_state *st, std::vector<uint8_t> &out) {
  const asm_area &a = st->areas[0];
  if (a.bytes.size() > 0x3FFFFFFF) {
    asm_fatal(st, ASM_E_FORMAT_LIMITS);
    return false;
  }
  out.assign({0xEB, 0x04, 0, 0, 0, 0});
  out.insert(out.end(), a.bytes.begin(), a.bytes.end());
  size_t h = out.size();
  out.insert(out.end(), {0xA9, 0xDC, 0x02, 0x01});
  image_u32(out, 2, (uint32_t)h);
  std::vector<uint8_t> block;
  asm_mod_descriptor(st, block);
  asm_image_item(out, block);
  std::vector<uint8_t> rel;
  for (uint32_t r : st->relocs)
    asm_image_vnum(rel, r + 6);
  for (const asm_mod_ref &r : st->mod.refs)
    if (r.handler)
      asm_image_vnum(rel, r.at); /* holds the address of a handler slot */
  asm_image_item(out, rel);
  block.clear();
  asm_mod_fixups fix;
  asm_mod_imports(st, block, fix);
  std::vector<uint8_t> len;
  asm_image_vnum(len, (uint32_t)block.size());
  size_t base = out.size() + len.size();
  asm_image_item(out, block);
  for (const auto &f : fix)
    image_u32(out, f.first, (uint32_t)(base + f.second));
  /* the host learns each handler use: its code word (the key) and the
  ** image offset of the slot the loader fills (the value) */
  for (const asm_mod_ref &r : st->mod.refs)
    for (const auto &f : fix)
      if (r.handler && f.first == r.at)
        st->svc->add_kind_entry(r.rec, (uint32_t)(base + f.second), r.handler, r.at);
  return true;
}
