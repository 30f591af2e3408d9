#include "data/db/dbread.h"

#include <algorithm>
#include <cstring>

#include "data/db/dbfmt.h"

namespace {

struct Rd {
  const uint8_t *h;    /* the header */
  size_t limit;        /* bytes from the header that columns may use */
  bool bigend;
  uint64_t budget;     /* cells the file may still make us hold */
  int depth;
  std::string &err;
  uint64_t used;       /* bytes of the columns referred to so far */
  std::vector<std::pair<uint32_t, uint32_t>> regions; /* position, size */
};

bool rd_fail(Rd &rd, const char *what) {
  rd.err = what;
  return false;
}

bool rd_varint(Rd &rd, const uint8_t *&p, const uint8_t *end, int32_t &v) {
  if (!dbfmt_get_varint(p, end, v)) return rd_fail(rd, "a number in the structure data is cut short");
  return true;
}

struct Col {
  const uint8_t *p = nullptr;
  size_t size = 0;
  uint32_t pos = 0;
};

bool rd_colref(Rd &rd, const uint8_t *&p, const uint8_t *end, Col &c) {
  int32_t size = 0, pos = 0;
  if (!rd_varint(rd, p, end, size)) return false;
  if (size < 0) return rd_fail(rd, "a column has a negative size");
  c.size = (size_t)size;
  c.p = nullptr;
  if (size == 0) return true;
  if (!rd_varint(rd, p, end, pos)) return false;
  if (pos < 0 || (size_t)pos > rd.limit || c.size > rd.limit - (size_t)pos)
    return rd_fail(rd, "a column lies outside the file");
  c.p = rd.h + pos;
  c.pos = (uint32_t)pos;
  rd.used += c.size;
  rd.regions.emplace_back(c.pos, (uint32_t)c.size);
  return true;
}

bool rd_ints(Rd &rd, const Col &c, size_t rows, int32_t *out, bool allow64) {
  int w = dbfmt_readwidth(c.size, rows);
  if (w < 0 || (w == 64 && !allow64))
    return rd_fail(rd, "a column's size does not match its row count");
  dbfmt_get_ints(c.p, w, rows, rd.bigend, out);
  return true;
}

bool rd_wide(Rd &rd, const Col &c, size_t rows, uint64_t *out) {
  if (c.size == 0) {
    for (size_t r = 0; r < rows; r++) out[r] = 0;
    return true;
  }
  if (c.size / 8 != rows || c.size % 8)
    return rd_fail(rd, "a 64-bit column's size does not match its row count");
  for (size_t r = 0; r < rows; r++) out[r] = dbfmt_get_64(c.p + 8 * r, rd.bigend);
  return true;
}

void rd_item(std::string &dst, const uint8_t *p, size_t n, bool text) {
  if (text) {
    const void *z = n ? memchr(p, 0, n) : nullptr;
    if (z) n = (size_t)((const uint8_t *)z - p);
  }
  dst.assign((const char *)p, n);
}

/* Values a column will hold: each costs a cell of the budget, so that the
** memory a file can ask for stays in proportion to its size. */
bool rd_hold(Rd &rd, DbColumn &c, size_t rows) {
  if (rows == 0) return true;
  if (rows > rd.budget) return rd_fail(rd, "a view claims more rows than the file can hold");
  rd.budget -= rows;
  dbcol_hold(c, rows - 1);
  return true;
}

bool rd_memos(Rd &rd, const Col &m, DbColumn &c, size_t rows, bool text) {
  const uint8_t *p = m.p, *end = m.p + m.size;
  int64_t row = 0;
  if (m.size && !rd_hold(rd, c, rows)) return false;
  while (p < end) {
    int32_t gap;
    Col item;
    if (!rd_varint(rd, p, end, gap)) return false;
    row += gap;
    if (gap < 0 || row >= (int64_t)rows) return rd_fail(rd, "a memo names a row that does not exist");
    if (!rd_colref(rd, p, end, item)) return false;
    rd_item(c.s[(size_t)row], item.p, item.size, text);
    row++;
  }
  return true;
}

/* data: the first reference, read by the caller. exact: every item's size
** follows from its value (no bytes after a string's end, no memos). */
bool rd_bytes(Rd &rd, const uint8_t *&p, const uint8_t *end, DbColumn &c, size_t rows,
              const Col &data, bool &exact) {
  Col sizes, memo;
  bool text = c.type == 'S';
  if (data.size && !rd_colref(rd, p, end, sizes)) return false;
  if (!rd_colref(rd, p, end, memo)) return false;
  if (data.size) {
    if (!rd_hold(rd, c, rows)) return false;
    std::vector<int32_t> len(rows);
    if (!rd_ints(rd, sizes, rows, len.data(), false)) return false;
    size_t at = 0;
    for (size_t r = 0; r < rows; r++) {
      if (len[r] < 0 || (size_t)len[r] > data.size - at)
        return rd_fail(rd, "string sizes do not match their data");
      rd_item(c.s[r], data.p + at, (size_t)len[r], text);
      size_t n = c.s[r].size();
      exact = exact && (size_t)len[r] == (n ? n + text : 0);
      at += (size_t)len[r];
    }
    if (at != data.size) return rd_fail(rd, "string sizes do not match their data");
  }
  exact = exact && memo.size == 0;
  return rd_memos(rd, memo, c, rows, text);
}

bool rd_catalog(Rd &rd, const uint8_t *&p, const uint8_t *end, DbTable *t);

bool rd_views(Rd &rd, DbTable *t, size_t k, const Col &c) {
  if (c.size == 0) return rd_fail(rd, "a nested view column is empty");
  const uint8_t *q = c.p, *qend = c.p + c.size;
  if (!rd_hold(rd, dbtab_cols(t)[k], t->rows)) return false;
  for (size_t r = 0; r < t->rows; r++) {
    /* Skip the catalog of an empty view without making a table for it. */
    if (qend - q >= 2 && q[0] == 0x80 && q[1] == 0x80) {
      q += 2;
      continue;
    }
    if (rd.depth >= DB_MAXDEPTH) return rd_fail(rd, DB_TOODEEP);
    rd.depth++;
    if (!rd_catalog(rd, q, qend, dbtab_sub(t, k, r))) return false;
    rd.depth--;
  }
  return true;
}

bool rd_values(Rd &rd, const uint8_t *&p, const uint8_t *end, DbTable *t, size_t k,
               const Col &col, bool &exact) {
  DbColumn &c = dbtab_cols(t)[k];
  size_t rows = t->rows;
  if (c.type == 'V') return rd_views(rd, t, k, col);
  if (c.type == 'S' || c.type == 'B') return rd_bytes(rd, p, end, c, rows, col, exact);
  if (col.size == 0) return true;
  if (!rd_hold(rd, c, rows)) return false;
  switch (c.type) {
    case 'I': return rd_ints(rd, col, rows, c.i.data(), true);
    case 'F': {
      std::vector<int32_t> bits(rows);
      if (!rd_ints(rd, col, rows, bits.data(), false)) return false;
      memcpy(c.f.data(), bits.data(), rows * 4);
      return true;
    }
    default: {
      std::vector<uint64_t> bits(rows);
      if (!rd_wide(rd, col, rows, bits.data())) return false;
      if (c.type == 'L')
        for (size_t r = 0; r < rows; r++) c.l[r] = (int64_t)bits[r];
      else if (rows)
        memcpy(c.d.data(), bits.data(), rows * 8);
      return true;
    }
  }
}

/* A column of size 0 holds only defaults and takes no memory. The column
** notes where it is: its first reference, the references after it, and
** the bytes it uses, nested columns included. */
bool rd_column(Rd &rd, const uint8_t *&p, const uint8_t *end, DbTable *t, size_t k) {
  Col col;
  uint64_t used = rd.used;
  if (!rd_colref(rd, p, end, col)) return false;
  const uint8_t *rest = p;
  bool exact = true;
  if (!rd_values(rd, p, end, t, k, col, exact)) return false;
  DbColumn &c = dbtab_cols(t)[k];
  c.at.pos = col.pos;
  c.at.size = (uint32_t)col.size;
  c.at.live = (uint32_t)std::min<uint64_t>(rd.used - used, UINT32_MAX);
  c.at.rest.assign((const char *)rest, (size_t)(p - rest));
  c.at.placed = true;
  c.at.exact = exact;
  c.whole = false;
  return true;
}

/* Row count and columns of one view; the leading 0 is read by the caller. */
bool rd_body(Rd &rd, const uint8_t *&p, const uint8_t *end, DbTable *t) {
  int32_t rows;
  if (!rd_varint(rd, p, end, rows)) return false;
  if (rows < 0) return rd_fail(rd, "a view has a negative row count");
  if ((size_t)rows > DB_MAXROWS) return rd_fail(rd, "a view has more rows than a view may hold");
  size_t nf = t->schema->fields.size();
  if (nf + 1 > rd.budget) return rd_fail(rd, "a view claims more rows than the file can hold");
  rd.budget -= nf + 1;
  dbtab_resize(t, (size_t)rows);
  for (size_t k = 0; rows && k < nf; k++)
    if (!rd_column(rd, p, end, t, k)) return false;
  t->dirty = false;
  return true;
}

bool rd_catalog(Rd &rd, const uint8_t *&p, const uint8_t *end, DbTable *t) {
  int32_t zero;
  if (!rd_varint(rd, p, end, zero)) return false;
  if (zero != 0) return rd_fail(rd, "a view's data does not start as expected");
  return rd_body(rd, p, end, t);
}

struct Tails {
  size_t hdr, tail;  /* offsets in the file */
  uint32_t rootlen, rootpos;
};

bool rd_header_ok(const uint8_t *h) {
  return ((h[0] == 'J' && h[1] == 'L') || (h[0] == 'L' && h[1] == 'J')) && h[2] == 0x1A &&
         h[3] == 0;
}

/* Tails ending at end (a file offset): skip tail, then commit tail. */
bool rd_tails_at(const uint8_t *f, size_t end, Tails &t) {
  if (end < 24) return false;
  const uint8_t *s = f + end - 16, *c = f + end - 8;
  if ((s[0] & 0xF0) != 0x80 && (s[0] & 0xF0) != 0x90) return false;
  if (c[0] != 0x80) return false;
  uint32_t dist = dbfmt_get_be32(s + 4);
  if (dist > end - 16 || dist < 8) return false;
  t.tail = end - 16;
  t.hdr = t.tail - dist;
  if (!rd_header_ok(f + t.hdr)) return false;
  t.rootlen = ((uint32_t)c[1] << 16) | ((uint32_t)c[2] << 8) | c[3];
  t.rootpos = dbfmt_get_be32(c + 4);
  return t.rootpos >= 8 && t.rootpos <= dist && t.rootlen <= dist - t.rootpos;
}

/* The tails at the end of the file: a commit takes effect when its tail is
** written. Failing that, the length in the header, which still marks the
** last complete storage when a growing commit stopped before its tail. */
bool rd_locate(const uint8_t *f, size_t n, Tails &t, std::string &err) {
  if (rd_tails_at(f, n, t)) return true;
  if (n >= 8 && rd_header_ok(f)) {
    uint32_t len = dbfmt_get_be32(f + 4);
    if (len <= n && rd_tails_at(f, len, t) && t.hdr == 0) return true;
  }
  if (n >= 4 && (f[0] == 'J' || f[0] == 'L') && f[2] == 0x1A && f[3] == 0x80)
    err = "the file is in the old pre-2.0 layout, which is not supported";
  else if (n >= 8 && rd_header_ok(f))
    err = "the file is damaged: its tail is missing or wrong";
  else
    err = "not a storage file";
  return false;
}

/* True when no two parts of the storage share a byte. */
bool rd_apart(std::vector<std::pair<uint32_t, uint32_t>> &regions) {
  std::sort(regions.begin(), regions.end());
  for (size_t k = 1; k < regions.size(); k++)
    if ((uint64_t)regions[k - 1].first + regions[k - 1].second > regions[k].first) return false;
  return true;
}

}  // namespace

bool dbread_storage(const uint8_t *file, size_t n, DbTableP &root, std::string &err,
                    DbReadInfo *info) {
  root = dbtab_new(dbdesc_new());
  if (info) *info = DbReadInfo();
  if (n == 0) return true;
  Tails t;
  if (!rd_locate(file, n, t, err)) return false;
  const uint8_t *h = file + t.hdr;
  Rd rd{h, t.tail - t.hdr, h[0] == 'L', (uint64_t)4 << 20, 0, err, 0, {}};
  rd.budget += (uint64_t)n * 64;
  const uint8_t *p = h + t.rootpos, *end = p + t.rootlen;
  int32_t zero, len;
  if (!rd_varint(rd, p, end, zero) || !rd_varint(rd, p, end, len)) return false;
  if (zero != 0 || len < 0 || len > end - p) return rd_fail(rd, "the storage's structure text is damaged");
  DbSchemaP s;
  std::string perr;
  if (!dbdesc_parse((const char *)p, (size_t)len, s, perr)) {
    err = "the storage's structure text is damaged: " + perr;
    return false;
  }
  p += len;
  root = dbtab_new(s);
  if (!rd_body(rd, p, end, root.get())) return false;
  if (root->rows > 1) return rd_fail(rd, "the storage's root has more than one row");
  dbtab_resize(root.get(), 1);
  if (info) {
    info->start = t.hdr;
    info->end = (uint32_t)(t.tail + 16 - t.hdr);
    info->hdrlen = dbfmt_get_be32(h + 4);
    info->bigend = rd.bigend;
    info->live = (uint32_t)std::min<uint64_t>(rd.used + t.rootlen + 8 + 16, info->end);
    memcpy(info->tails, file + t.tail, 16);
    rd.regions.emplace_back(0, 8);
    rd.regions.emplace_back(t.rootpos, t.rootlen);
    rd.regions.emplace_back((uint32_t)(t.tail - t.hdr), 16);
    info->placed = rd_apart(rd.regions);
  }
  return true;
}
