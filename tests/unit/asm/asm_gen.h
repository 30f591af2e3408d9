/*
** Random valid programs in the reference's dialect, for the differential
** fuzzer. The generator has its own fixed random sequence, so a seed gives
** the same program on every machine and compiler. Every program also
** walks a stretch of a de Bruijn sequence of bytes through immediates and
** displacements, so that a fixed run of seeds puts every byte value and
** every pair of adjacent bytes into encoded instructions.
*/
#ifndef asm_gen_h
#define asm_gen_h

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

/* splitmix64: fixed arithmetic, so a seed gives the same sequence on
** every machine and compiler; shared by both generators. */
struct asm_gen_rng {
  uint64_t s;
  uint64_t next() {
    uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t below(uint32_t n) { return (uint32_t)(next() % n); }
  bool chance(int percent) { return below(100) < (uint32_t)percent; }
  int range(int lo, int hi) { return lo + (int)below((uint32_t)(hi - lo + 1)); }
  template <class T, size_t N> const T &pick(const T (&a)[N]) { return a[below(N)]; }
  template <class T> T of(std::initializer_list<T> l) { return l.begin()[below((uint32_t)l.size())]; }
};

struct asm_gen_program {
  std::string source;
  /* positions in the byte sequence whose pair (byte, next byte) the
  ** program encodes next to each other */
  std::vector<uint32_t> pairs;
};

asm_gen_program asm_gen(uint64_t seed);

/* A program of one item near the edges of the dialect (floats, eqtype,
** stated address sizes), for the item run (asm_gen_item.cpp). */
std::string asm_gen_item(uint64_t seed);

/* Byte i (taken cyclically) of the de Bruijn sequence of all 65536 byte
** pairs. */
uint8_t asm_gen_debruijn(uint32_t i);

/* 128-bit digest of bytes as 32 hex digits, for the stored results. */
std::string asm_gen_digest(const std::vector<uint8_t> &b);

#endif
