// The machine code of the assembler's generated program for a seed, for
// the decoder's sweeps and the tool that keeps their reference listing.
#ifndef das_gen_code_h
#define das_gen_code_h

#include "asm/asm.h"
#include "tests/unit/asm/asm_gen.h"
#include "tests/unit/asm/asm_test_util.h"

#include <cstdint>
#include <vector>

// False when the assembler refuses the program.
inline bool das_gen_code(uint64_t seed, std::vector<uint8_t> &out) {
  asm_gen_program p = asm_gen(seed);
  test_services svc;
  asm_options opt;
  opt.format = ASM_FORMAT_BINARY;
  out.clear();
  return asm_assemble("gen", p.source.data(), p.source.size(), &svc, opt, out);
}

#endif
