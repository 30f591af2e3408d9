// The generator on the command line, built against either interpreter:
//   hashes FIRST COUNT   one line per seed: seed, hash and length of the output
//   program SEED         the program
//   output SEED [MODE]   its output (MODE 0 plain, 1 in pieces, 2 hooked)
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/unit/lua/luagen.h"

int main(int argc, char **argv) {
  if (argc >= 4 && strcmp(argv[1], "hashes") == 0) {
    uint32_t first = uint32_t(strtoul(argv[2], nullptr, 10));
    uint32_t count = uint32_t(strtoul(argv[3], nullptr, 10));
    for (uint32_t s = first; s < first + count; s++) {
      std::string out = luagen_run(luagen_program(s), LG_PLAIN);
      printf("%u %016" PRIx64 " %zu\n", s, luagen_hash(out), out.size());
    }
    return 0;
  }
  if (argc >= 3 && strcmp(argv[1], "program") == 0) {
    fputs(luagen_program(uint32_t(strtoul(argv[2], nullptr, 10))).c_str(), stdout);
    return 0;
  }
  if (argc >= 3 && strcmp(argv[1], "output") == 0) {
    luagen_mode m = argc >= 4 ? luagen_mode(atoi(argv[3])) : LG_PLAIN;
    std::string out = luagen_run(luagen_program(uint32_t(strtoul(argv[2], nullptr, 10))), m);
    fwrite(out.data(), 1, out.size(), stdout);
    return 0;
  }
  fprintf(stderr, "usage: %s hashes FIRST COUNT | program SEED | output SEED [MODE]\n", argv[0]);
  return 2;
}
