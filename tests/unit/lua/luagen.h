// Random Lua 5.1 programs for comparing two interpreters: each seed gives
// one program whose printed output is the same text on every correct
// interpreter and platform (no addresses, no NaN or infinity spellings).
#ifndef luagen_h
#define luagen_h

#include <cstdint>
#include <string>

std::string luagen_program(uint32_t seed);

// How a program is run and what it printed, then its error if it raised one.
enum luagen_mode {
  LG_PLAIN,    // loaded from one buffer
  LG_PIECES,   // loaded through a reader that hands out a few bytes a time
  LG_HOOKED,   // a count hook on every instruction, a call and line hook
  LG_LIBPRINT  // the library's own print left in place (the caller catches it)
};
std::string luagen_run(const std::string &code, luagen_mode mode);
extern std::string *luagen_out;   // the output being gathered, while a run lasts

// FNV-1a of the text: what is stored of an oracle's output.
uint64_t luagen_hash(const std::string &s);

#endif
