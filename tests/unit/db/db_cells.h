// Cells as the independent reader prints them in its canonical form:
// strings and bytes as "s" + hex, floats and doubles as their bit patterns.
#ifndef db_cells_h
#define db_cells_h

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

inline std::string dbc_hex(const std::string &s) {
  static const char *d = "0123456789abcdef";
  std::string o = "s";
  for (unsigned char c : s) {
    o += d[c >> 4];
    o += d[c & 15];
  }
  return o;
}

inline std::string dbc_float(float x) {
  uint32_t u;
  memcpy(&u, &x, 4);
  char b[16];
  snprintf(b, sizeof b, "f%08x", (unsigned)u);
  return b;
}

inline std::string dbc_double(double x) {
  uint64_t u;
  memcpy(&u, &x, 8);
  char b[24];
  snprintf(b, sizeof b, "d%016llx", (unsigned long long)u);
  return b;
}

#endif
