#include "dbwrite.h"

#include <algorithm>
#include <cstring>

namespace {

bool wr_toobig; /* set when a position would leave 31 bits */
bool wr_deep;   /* set when views nest deeper than a reader follows */
int wr_depth;

/* True when n more bytes keep every position within 31 bits. */
bool wr_room(const DbBytes &file, size_t n) {
  if (n <= 0x7FFFFFF0u - file.size() && file.size() <= 0x7FFFFFF0u) return true;
  wr_toobig = true;
  return false;
}

/* The reference to a column that was appended at at. */
void wr_ref(const DbBytes &file, DbBytes &cat, size_t at) {
  size_t n = file.size() - at;
  dbfmt_put_varint(cat, (int32_t)n);
  if (n) dbfmt_put_varint(cat, (int32_t)at);
}

/* Appends a column's bytes to the file and its reference to the catalog. */
void wr_col(DbBytes &file, DbBytes &cat, const uint8_t *p, size_t n) {
  size_t at = file.size();
  if (wr_room(file, n) && n) file.insert(file.end(), p, p + n);
  wr_ref(file, cat, at);
}

/* n values, of which the first held are given and the rest are 0. */
void wr_ints(DbBytes &file, DbBytes &cat, const int32_t *v, size_t held, size_t n) {
  size_t at = file.size();
  if (wr_room(file, 4 * n)) dbfmt_put_ints(file, v, held, n);
  wr_ref(file, cat, at);
}

/* 64-bit values in little-endian order. */
void wr_wide(DbBytes &file, DbBytes &cat, const DbColumn &c, size_t rows) {
  size_t at = file.size();
  if (wr_room(file, 8 * rows)) {
    file.resize(at + 8 * rows);
    uint8_t *p = file.data() + at;
    for (size_t r = 0; r < rows; r++, p += 8) {
      uint64_t x;
      if (c.type == 'D') {
        double d = dbcol_d(c, r);
        memcpy(&x, &d, 8);
      } else {
        x = (uint64_t)dbcol_l(c, r);
      }
      for (int b = 0; b < 8; b++) p[b] = (uint8_t)(x >> (8 * b));
    }
  }
  wr_ref(file, cat, at);
}

/* Data (strings with their NUL; empty items take nothing), sizes when there
** is data, and an empty memo column: every item is kept inline. The data
** goes straight into the file. */
void wr_bytes(DbBytes &file, DbBytes &cat, const DbColumn &c, size_t rows) {
  bool text = c.type == 'S';
  std::vector<int32_t> len(rows);
  size_t at = file.size(), total = 0;
  for (size_t r = 0; r < rows; r++) {
    const std::string &s = dbcol_s(c, r);
    size_t n = text ? strlen(s.c_str()) : s.size();
    len[r] = n ? (int32_t)(n + text) : 0;
    total += (size_t)len[r];
  }
  if (!wr_room(file, total)) total = 0;
  file.resize(at + total);
  uint8_t *p = file.data() + at;
  for (size_t r = 0; r < rows && total; r++) {
    if (!len[r]) continue;
    memcpy(p, c.s[r].data(), (size_t)len[r] - text);
    p += len[r] - text;
    if (text) *p++ = 0;
  }
  dbfmt_put_varint(cat, (int32_t)total);
  if (total) {
    dbfmt_put_varint(cat, (int32_t)at);
    wr_ints(file, cat, len.data(), rows, rows);
  }
  dbfmt_put_varint(cat, 0);
}

void wr_catalog(DbBytes &file, DbBytes &cat, DbTable *t);

/* wr_depth is the level of t (the root 0, a top-level view 1). */
void wr_views(DbBytes &file, DbBytes &cat, DbTable *t, size_t k) {
  DbBytes subs;
  const DbColumn &c = dbtab_cols(t)[k];
  for (size_t r = 0; r < t->rows; r++) {
    DbTable *sub = dbcol_v(c, r);
    if (!sub || wr_depth >= DB_MAXDEPTH) {
      wr_deep |= sub != nullptr;
      subs.push_back(0x80);
      subs.push_back(0x80);
      continue;
    }
    wr_depth++;
    wr_catalog(file, subs, sub);
    wr_depth--;
  }
  wr_col(file, cat, subs.data(), subs.size());
}

void wr_column(DbBytes &file, DbBytes &cat, DbTable *t, size_t k) {
  const DbColumn &c = dbtab_cols(t)[k];
  size_t rows = t->rows;
  switch (c.type) {
    case 'I': wr_ints(file, cat, c.i.data(), std::min(c.i.size(), rows), rows); break;
    case 'F': {
      std::vector<int32_t> bits(std::min(c.f.size(), rows));
      if (!bits.empty()) memcpy(bits.data(), c.f.data(), bits.size() * 4);
      wr_ints(file, cat, bits.data(), bits.size(), rows);
      break;
    }
    case 'D':
    case 'L': wr_wide(file, cat, c, rows); break;
    case 'V': wr_views(file, cat, t, k); break;
    default: wr_bytes(file, cat, c, rows); break;
  }
}

void wr_body(DbBytes &file, DbBytes &cat, DbTable *t) {
  dbfmt_put_varint(cat, (int32_t)t->rows);
  if (t->rows == 0) return;
  for (size_t k = 0; k < dbtab_cols(t).size(); k++) wr_column(file, cat, t, k);
}

void wr_catalog(DbBytes &file, DbBytes &cat, DbTable *t) {
  dbfmt_put_varint(cat, 0);
  wr_body(file, cat, t);
}

/* Bytes the columns will take at most (nearly), to size the file once. */
size_t wr_estimate(DbTable *t, int depth) {
  size_t n = 16;
  std::vector<DbColumn> &cols = dbtab_cols(t);
  for (const DbColumn &c : cols) {
    switch (c.type) {
      case 'I': case 'F': n += 4 * t->rows + 16; break;
      case 'D': case 'L': n += 8 * t->rows + 16; break;
      case 'V':
        n += 2 * t->rows + 16;
        for (size_t r = 0; r < c.v.size() && depth < 8; r++)
          if (dbcol_v(c, r)) n += wr_estimate(c.v[r].get(), depth + 1);
        break;
      default:
        n += 4 * t->rows + 16;
        for (const std::string &s : c.s) n += s.size() + 1;
    }
  }
  return n;
}

}  // namespace

bool dbwrite_storage(DbTable *root, DbBytes &out, std::string &err) {
  out.clear();
  if (dbtab_cols(root).empty()) return true;
  std::string desc = dbdesc_format(root->schema.get());
  DbSchemaP check;
  if (!dbdesc_parse(desc.data(), desc.size(), check, err)) {
    err = "the structure of the views cannot be stored: " + err;
    return false;
  }
  DbBytes file = {'J', 'L', 0x1A, 0, 0, 0, 0, 0}, walk;
  file.reserve(wr_estimate(root, 0) + desc.size() + 64);
  size_t rows = root->rows;
  wr_toobig = wr_deep = false;
  wr_depth = 0;
  if (rows != 1) dbtab_resize(root, 1);
  dbfmt_put_varint(walk, 0);
  dbfmt_put_varint(walk, (int32_t)desc.size());
  walk.insert(walk.end(), desc.begin(), desc.end());
  wr_body(file, walk, root);
  if (wr_deep) {
    err = DB_TOODEEP;
    return false;
  }
  if (wr_toobig || walk.size() >= (1u << 24) || file.size() + walk.size() + 16 > 0x7FFFFFFFu) {
    err = "the storage is too large for the file format";
    return false;
  }
  uint32_t rootpos = (uint32_t)file.size();
  file.insert(file.end(), walk.begin(), walk.end());
  uint32_t tail = (uint32_t)file.size(), total = tail + 16;
  file[4] = (uint8_t)(total >> 24);
  file[5] = (uint8_t)(total >> 16);
  file[6] = (uint8_t)(total >> 8);
  file[7] = (uint8_t)total;
  dbfmt_put_be32(file, 0x80000000u);
  dbfmt_put_be32(file, tail);
  dbfmt_put_be32(file, 0x80000000u | (uint32_t)walk.size());
  dbfmt_put_be32(file, rootpos);
  out.swap(file);
  return true;
}
