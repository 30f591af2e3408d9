#include "tests/unit/asm/asm_test_util.h"

#include <cstdio>

std::string asm_hex_bytes(const std::vector<uint8_t> &b) {
  std::string r;
  char buf[4];
  for (size_t i = 0; i < b.size(); i++) {
    snprintf(buf, sizeof buf, i ? " %02X" : "%02X", b[i]);
    r += buf;
  }
  return r;
}

std::string asm_hex(const std::string &src, test_services *svc) {
  test_services local;
  if (!svc)
    svc = &local;
  asm_options opt;
  opt.format = ASM_FORMAT_BINARY;
  std::vector<uint8_t> out;
  if (!asm_assemble("t", src.data(), src.size(), svc, opt, out))
    return "ERR:" + svc->out;
  return asm_hex_bytes(out);
}
