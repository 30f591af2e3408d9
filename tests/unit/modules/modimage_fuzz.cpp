// libFuzzer target: any bytes as a module image. Checking, reading every
// member and import, and registration must stay inside the buffer.
#include <stdlib.h>
#include <string.h>

#include "native/modules/mod_build.h"
#include "native/modules/mod_registry.h"
#include "tests/unit/modules/msg_double.h"

static mb_bytes provider_image() {
  mb_image im;
  im.code = {0xC3, 0, 0, 0, 0};
  im.name = "p";
  im.handler[0] = 1;
  mb_member(im.members, "f", "", 0, mb_sig({3}, {3}), 0x1000);
  return mb_finish(im, nullptr);
}

static void walk(const uint8_t *img, size_t size) {
  mi_header h;
  mi_module m;
  if (!mi_check(img, size, &h) || !mi_module_of(h.desc, &m)) return;
  mi_reader r = mi_reader_of(m.members);
  mi_member x;
  char text[64];
  while (mi_next_member(&r, &x) == 1) {
    mi_typetext(x.kind, x.sig, text, sizeof text);
    if (strlen(text) >= sizeof text) abort();
  }
  mi_reader ri = mi_reader_of(h.imports);
  mi_import imp;
  while (mi_next_import(&ri, &imp) == 1) {
    mi_reader re = mi_reader_of(imp.entries);
    while (mi_next_member(&re, &x) == 1) {
    }
  }
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size) {
  static mb_bytes prov = provider_image();
  mb_bytes p = prov;
  mr_add(p.data(), p.size(), 0);
  // Even first byte: the bytes as they are. Odd: a sound jump, header
  // offset and signature in front of the rest, so that the blocks get read.
  mb_bytes img(data, data + size);
  if (size && (data[0] & 1)) {
    size_t code = data[0] >> 3;
    mb_bytes head = {0xEB, 4, 0, 0, 0, 0};
    head.resize(6 + code, 0xC3);
    mi_put32(&head[2], (uint32_t)head.size());
    mb_u32(head, MI_SIGNATURE);
    img.assign(data + 1, data + size);
    img.insert(img.begin(), head.begin(), head.end());
  }
  size = img.size();
  uint8_t *buf = (uint8_t *)malloc(size ? size : 1);
  if (size) memcpy(buf, img.data(), size);
  walk(buf, size);
  mr_record *r = mr_register(buf, size);
  if (r) {
    walk(buf, size);
    mi_member x;
    for (int i = 1; mr_member_at(r, i, &x); i++) {
      if (mi_get32(x.addr) - mr_addr(buf) >= size) abort();
      uint32_t off = mi_get32(x.addr) - mr_addr(buf);   // 32-bit addresses here
      size_t room = mr_string_room(r, buf + off);
      if (room > size) abort();
    }
  }
  mr_reset();
  msg_log.clear();
  free(buf);
  return 0;
}
