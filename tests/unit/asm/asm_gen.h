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

#include <cstdint>
#include <string>
#include <vector>

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
