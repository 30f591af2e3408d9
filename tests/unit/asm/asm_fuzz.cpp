/* libFuzzer entry: any bytes as source, in both output formats. The
** engine must answer with output or messages; the sanitizers judge the
** rest. */
#include "asm/asm.h"

#include <cstddef>
#include <cstdint>

namespace {
class quiet : public asm_services {
public:
  size_t pieces = 0;
  void message(const char *) override { pieces++; }
  bool read_file(const char *, std::string &) override { return false; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  for (asm_format f : {ASM_FORMAT_BINARY, ASM_FORMAT_MODULE}) {
    quiet svc;
    asm_options opt;
    opt.format = f;
    opt.memory = 1 << 20;
    std::vector<uint8_t> out;
    bool ok = asm_assemble("f", (const char *)data, size, &svc, opt, out);
    if (!ok && svc.pieces == 0)
      __builtin_trap(); /* a failure must say why */
  }
  return 0;
}
