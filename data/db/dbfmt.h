/* Number encodings of the storage file: varints and adaptive-width integer
** columns (0, 1, 2, 4, 8, 16, 32 or 64 bits a row). */
#ifndef dbfmt_h
#define dbfmt_h

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<uint8_t> DbBytes;

void dbfmt_put_varint(DbBytes &out, int32_t v);
/* False when the bytes end first or the value leaves 32 bits. */
bool dbfmt_get_varint(const uint8_t *&p, const uint8_t *end, int32_t &v);

/* Bits a row needed for these values, and the column's byte size for it. */
int dbfmt_width(const int32_t *v, size_t n);
size_t dbfmt_colsize(int width, size_t rows);
/* True when v is stored exactly in a column of width bits. */
bool dbfmt_fits(int32_t v, int width);
/* Width of a column of size bytes holding rows values, or -1 when they do
** not match. */
int dbfmt_readwidth(size_t size, size_t rows);

/* n values, of which the first held are given and the rest are 0. */
void dbfmt_put_ints(DbBytes &out, const int32_t *v, size_t held, size_t n);
inline void dbfmt_put_ints(DbBytes &out, const int32_t *v, size_t n) { dbfmt_put_ints(out, v, n, n); }
/* Reads rows values of width bits; bigend swaps 16/32/64-bit values.
** 64-bit values keep their low 32 bits. */
void dbfmt_get_ints(const uint8_t *p, int width, size_t rows, bool bigend, int32_t *out);
void dbfmt_put_64(DbBytes &out, uint64_t v);
uint64_t dbfmt_get_64(const uint8_t *p, bool bigend);

void dbfmt_put_be32(DbBytes &out, uint32_t v);
uint32_t dbfmt_get_be32(const uint8_t *p);

#endif
