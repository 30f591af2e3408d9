/*
** Module image builder.
*/
#include "native/modules/mod_build.h"

#include "native/modules/mod_image.h"

#include <string.h>

void mb_vnum(mb_bytes &out, uint32_t v) {
  if (v < (1u << 6)) {
    out.push_back((uint8_t)(v << 2));
    return;
  }
  int extra = v < (1u << 14) ? 1 : v < (1u << 22) ? 2 : 3;
  out.push_back((uint8_t)((v << 2) | (uint32_t)extra));
  for (int i = 0; i < extra; i++) out.push_back((uint8_t)(v >> (6 + 8 * i)));
}

void mb_item(mb_bytes &out, const mb_bytes &bytes) {
  mb_vnum(out, (uint32_t)bytes.size());
  out.insert(out.end(), bytes.begin(), bytes.end());
}

void mb_text(mb_bytes &out, const char *text) {
  size_t n = text ? strlen(text) : 0;
  if (n == 0) {
    mb_vnum(out, 0);
    return;
  }
  mb_vnum(out, (uint32_t)(n + 1));
  out.insert(out.end(), text, text + n + 1);
}

void mb_u32(mb_bytes &out, uint32_t v) {
  for (int i = 0; i < 4; i++) out.push_back((uint8_t)(v >> (8 * i)));
}

mb_bytes mb_sig(const std::vector<uint8_t> &params,
                const std::vector<uint8_t> &results) {
  mb_bytes s;
  mb_vnum(s, (uint32_t)params.size());
  s.insert(s.end(), params.begin(), params.end());
  mb_vnum(s, (uint32_t)results.size());
  s.insert(s.end(), results.begin(), results.end());
  return s;
}

void mb_member(mb_bytes &out, const char *name, const char *comment,
               uint8_t kind, const mb_bytes &sig, uint32_t addr) {
  mb_text(out, name);
  mb_text(out, comment);
  out.push_back(kind);
  mb_item(out, sig);
  mb_u32(out, addr);
}

mb_bytes mb_import(const char *module, const int have_slot[3],
                   const mb_bytes &entries) {
  mb_bytes rec;
  mb_text(rec, module);
  mb_vnum(rec, 0);
  for (int i = 0; i < 3; i++) {
    mb_bytes slot;
    if (have_slot && have_slot[i]) mb_u32(slot, 0);
    mb_item(rec, slot);
  }
  rec.insert(rec.end(), entries.begin(), entries.end());
  mb_bytes out;
  mb_item(out, rec);
  return out;
}

mb_bytes mb_finish(const mb_image &im, uint32_t *hdr_out) {
  mb_bytes out = {MI_JMP, 4, 0, 0, 0, 0};
  out.insert(out.end(), im.code.begin(), im.code.end());
  uint32_t hdr = (uint32_t)out.size();
  mi_put32(&out[2], hdr);
  mb_u32(out, MI_SIGNATURE);
  mb_bytes desc;
  mb_text(desc, im.name.c_str());
  mb_text(desc, im.comment.c_str());
  for (int i = 0; i < 3; i++) {
    mb_bytes h;
    if (im.handler[i]) mb_u32(h, im.handler_addr[i]);
    mb_item(desc, h);
  }
  desc.insert(desc.end(), im.members.begin(), im.members.end());
  mb_item(out, desc);
  mb_item(out, im.relocs);
  mb_item(out, im.imports);
  if (hdr_out) *hdr_out = hdr;
  return out;
}
