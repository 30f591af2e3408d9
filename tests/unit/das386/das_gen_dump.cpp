// Writes the assembled programs of the assembler's differential generator,
// one file seed_<n>.bin per seed, for tools/gen_das386_objdump.py:
//   das386_gen_dump <first seed> <last seed> <folder>
#include "tests/unit/das386/das_gen_code.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char **argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: das386_gen_dump first last folder\n");
    return 2;
  }
  unsigned long first = strtoul(argv[1], nullptr, 10), last = strtoul(argv[2], nullptr, 10);
  for (unsigned long seed = first; seed <= last; seed++) {
    std::vector<uint8_t> out;
    if (!das_gen_code(seed, out)) continue;
    std::string name = std::string(argv[3]) + "/seed_" + std::to_string(seed) + ".bin";
    FILE *f = fopen(name.c_str(), "wb");
    if (!f || fwrite(out.data(), 1, out.size(), f) != out.size()) {
      fprintf(stderr, "das386_gen_dump: cannot write %s\n", name.c_str());
      return 1;
    }
    fclose(f);
  }
  return 0;
}
