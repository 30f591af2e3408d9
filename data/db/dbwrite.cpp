#include "data/db/dbwrite.h"

#include <algorithm>
#include <cstring>

namespace {

/* Bytes gathered before they are handed to spill. */
const size_t WR_CHUNK = 1 << 20;
/* Positions stay below this (31 bits, with room for the tails). */
const uint32_t WR_MAXPOS = 0x7FFFFFF0u;
/* Changed rows this close together are rewritten as one run. */
const uint32_t WR_GAP = 32;

struct Wr {
  DbWriteJob &job;
  bool full;            /* every column is written */
  bool toobig = false;  /* a position would leave 31 bits */
  bool deep = false;    /* views nest deeper than a reader follows */
  bool failed = false;  /* spill failed */
  int depth = 0;        /* level of the table being written (the root 0) */
  size_t written = 0;   /* columns written or patched */
};

uint32_t wr_pos(const Wr &w) { return (uint32_t)(w.job.base + w.job.spilled + w.job.out.size()); }

/* True when n more bytes keep every position within bounds. */
bool wr_room(Wr &w, size_t n) {
  size_t pos = w.job.base + w.job.spilled + w.job.out.size();
  if (pos <= WR_MAXPOS && n <= WR_MAXPOS - pos) return true;
  w.toobig = true;
  return false;
}

void wr_spill(Wr &w) {
  DbWriteJob &j = w.job;
  if (!j.spill || j.out.size() < WR_CHUNK) return;
  if (!w.failed && !j.spill(j.io, j.out.data(), j.out.size())) w.failed = true;
  j.spilled += j.out.size();
  j.out.clear();
}

/* Room for n more bytes when they are all kept (not handed over in pieces),
** growing geometrically: many small columns must not each copy the lot. */
void wr_reserve(Wr &w, size_t n) {
  DbBytes &out = w.job.out;
  if (w.job.spill || out.capacity() - out.size() >= n) return;
  out.reserve(std::max(out.size() + n, 2 * out.capacity()));
}

template <class Out>
void wr_ref(Out &cat, uint32_t size, uint32_t pos) {
  DbBytes b;
  dbfmt_put_varint(b, (int32_t)size);
  if (size) dbfmt_put_varint(b, (int32_t)pos);
  cat.insert(cat.end(), b.begin(), b.end());
}

void wr_putref(DbBytes &cat, const DbPlace &p) {
  wr_ref(cat, p.size, p.pos);
  cat.insert(cat.end(), p.rest.begin(), p.rest.end());
}

void wr_unique(std::vector<uint32_t> &v) {
  std::sort(v.begin(), v.end());
  v.erase(std::unique(v.begin(), v.end()), v.end());
}

bool wr_little() {
  uint16_t one = 1;
  uint8_t b;
  memcpy(&b, &one, 1);
  return b == 1;
}

void wr_le64(uint8_t *q, const void *src, size_t n) {
  if (wr_little()) {
    memcpy(q, src, 8 * n);
    return;
  }
  const uint64_t *v = (const uint64_t *)src;
  for (size_t r = 0; r < n; r++)
    for (int b = 0; b < 8; b++) *q++ = (uint8_t)(v[r] >> (8 * b));
}

int32_t wr_bits(float f) {
  int32_t x;
  memcpy(&x, &f, 4);
  return x;
}

/* n values, of which the first held are given and the rest are 0. */
DbPlace wr_ints(Wr &w, const int32_t *v, size_t held, size_t n) {
  DbPlace p;
  p.pos = wr_pos(w);
  size_t at = w.job.out.size();
  if (wr_room(w, 4 * n)) dbfmt_put_ints(w.job.out, v, held, n);
  p.size = p.live = (uint32_t)(w.job.out.size() - at);
  return p;
}

DbPlace wr_wide(Wr &w, const DbColumn &c, size_t rows) {
  DbPlace p;
  p.pos = wr_pos(w);
  if (!wr_room(w, 8 * rows)) return p;
  DbBytes &out = w.job.out;
  size_t held = std::min(dbcol_held(c), rows);
  const uint64_t *v = (const uint64_t *)(c.type == 'D' ? (const void *)c.d.data() : c.l.data());
  wr_reserve(w, 8 * rows);
  for (size_t r = 0; r < rows;) {
    size_t n = std::min(rows - r, WR_CHUNK / 8), at = out.size();
    out.resize(at + 8 * n);
    if (r < held) wr_le64(out.data() + at, v + r, std::min(n, held - r));
    r += n;
    wr_spill(w);
  }
  p.size = p.live = (uint32_t)(8 * rows);
  return p;
}

/* Data (strings with their NUL; empty items take nothing), sizes when there
** is data, and an empty memo column: every item is kept inline. S values
** never hold a zero byte (writes stop at one). */
DbPlace wr_bytes(Wr &w, const DbColumn &c, size_t rows) {
  int text = c.type == 'S';
  size_t held = std::min(c.s.size(), rows), total = 0;
  std::vector<int32_t> len(held);
  for (size_t r = 0; r < held; r++) {
    size_t n = c.s[r].size();
    len[r] = n ? (int32_t)(n + text) : 0;
    total += (size_t)len[r];
  }
  DbPlace p;
  p.pos = wr_pos(w);
  if (!wr_room(w, total)) total = 0;
  /* Handed over in pieces as it goes: a large column is not held whole. */
  DbBytes &out = w.job.out;
  wr_reserve(w, total);
  for (size_t r = 0; r < held && total;) {
    size_t at = out.size(), n = 0, e = r;
    while (e < held && n < WR_CHUNK) n += (size_t)len[e++];
    out.resize(at + n);
    uint8_t *q = out.data() + at;
    for (; r < e; r++) {
      if (!len[r]) continue;
      memcpy(q, c.s[r].data(), (size_t)len[r] - text);
      q += len[r] - text;
      if (text) *q++ = 0;
    }
    wr_spill(w);
  }
  p.size = p.live = (uint32_t)total;
  if (total) {
    DbPlace sizes = wr_ints(w, len.data(), held, rows);
    wr_ref(p.rest, sizes.size, sizes.pos);
    p.live += sizes.size;
  }
  p.rest.push_back((char)0x80);
  return p;
}

uint64_t wr_catalog(Wr &w, DbBytes &cat, DbTable *t);

/* A table without rows is stored as an empty catalog: none of its columns
** is in the file. */
void wr_forget(DbTable *t) {
  for (DbColumn &c : dbtab_cols(t)) {
    c.at = DbPlace();
    c.whole = true;
    c.ch.reset();
  }
  t->dirty = false;
}

/* Each row's catalog, concatenated; w.depth is the level of t. */
DbPlace wr_views(Wr &w, DbTable *t, size_t k) {
  DbBytes subs;
  uint64_t live = 0;
  for (size_t r = 0; r < t->rows; r++) {
    DbColumn &c = dbtab_cols(t)[k];
    DbTable *sub = r < c.v.size() ? c.v[r].get() : nullptr;
    if (!sub || !sub->rows || w.depth >= DB_MAXDEPTH) {
      w.deep |= sub && sub->rows;
      if (sub && !sub->rows && w.job.record) wr_forget(sub);
      subs.push_back(0x80);
      subs.push_back(0x80);
      continue;
    }
    w.depth++;
    live += wr_catalog(w, subs, sub);
    w.depth--;
  }
  DbPlace p;
  p.pos = wr_pos(w);
  if (wr_room(w, subs.size())) {
    w.job.out.insert(w.job.out.end(), subs.begin(), subs.end());
    p.size = (uint32_t)subs.size();
  }
  p.live = (uint32_t)std::min<uint64_t>(p.size + live, WR_MAXPOS);
  return p;
}

bool wr_changed(DbTable *t, int depth);

/* The column is in the file as it is: no row of it, nor of a table nested
** in it, changed. */
bool wr_clean(DbColumn &c, size_t rows, int depth) {
  if (!c.at.placed || c.whole || (c.ch && !c.ch->rows.empty())) return false;
  if (c.type != 'V') return true;
  for (size_t r = 0; r < c.v.size() && r < rows; r++)
    if (c.v[r] && wr_changed(c.v[r].get(), depth + 1)) return false;
  return true;
}

bool wr_changed(DbTable *t, int depth) {
  std::vector<DbColumn> &cols = dbtab_cols(t);
  if (t->dirty || depth > DB_MAXDEPTH) return true;
  if (t->rows == 0) return false;
  for (DbColumn &c : cols)
    if (!wr_clean(c, t->rows, depth)) return true;
  return false;
}

bool wr_patchable(char type) {
  return type == 'I' || type == 'F' || type == 'D' || type == 'L' || type == 'S';
}

/* Runs of changed rows: [first, last] pairs of rows close together. */
std::vector<std::pair<size_t, size_t>> wr_runs(const std::vector<uint32_t> &rs) {
  std::vector<std::pair<size_t, size_t>> runs;
  for (size_t a = 0; a < rs.size();) {
    size_t b = a + 1;
    while (b < rs.size() && rs[b] - rs[b - 1] <= WR_GAP) b++;
    runs.emplace_back(rs[a], rs[b - 1]);
    a = b;
  }
  return runs;
}

/* The bytes of rows rs of a fixed-width column of size bytes, in runs;
** false when a value needs more bits than the column has. */
bool wr_patch_fixed(const DbColumn &c, size_t rows, uint32_t size, const std::vector<uint32_t> &rs,
                    std::vector<DbPatch> &ps) {
  bool wide = c.type == 'D' || c.type == 'L';
  int wd = wide ? 64 : dbfmt_readwidth(size, rows);
  if (wd <= 0 || (wd == 64 && !wide) || (wide && size != 8 * rows)) return false;
  size_t per = wd < 8 ? (size_t)(8 / wd) : 1;
  for (auto &run : wr_runs(rs)) {
    size_t ra = run.first / per * per, rb = std::min(rows, (run.second / per + 1) * per);
    DbPatch p;
    p.pos = (uint32_t)(ra * (size_t)wd / 8);
    p.bytes.assign(((rb - ra) * (size_t)wd + 7) / 8, 0);
    if (p.pos + p.bytes.size() > size) return false;
    uint8_t *q = p.bytes.data();
    for (size_t r = ra; r < rb; r++) {
      size_t k = r - ra;
      if (wide) {
        uint64_t x;
        if (c.type == 'D') {
          double d = dbcol_d(c, r);
          memcpy(&x, &d, 8);
        } else {
          x = (uint64_t)dbcol_l(c, r);
        }
        for (int b = 0; b < 8; b++) q[8 * k + (size_t)b] = (uint8_t)(x >> (8 * b));
        continue;
      }
      int32_t v = c.type == 'I' ? dbcol_i(c, r) : wr_bits(dbcol_f(c, r));
      if (!dbfmt_fits(v, wd)) return false;
      uint32_t u = (uint32_t)v;
      if (wd < 8)
        q[k * (size_t)wd / 8] |= (uint8_t)(u << (k * (size_t)wd % 8));
      else
        for (int b = 0; b < wd / 8; b++) q[k * (size_t)wd / 8 + (size_t)b] = (uint8_t)(u >> (8 * b));
    }
    ps.push_back(std::move(p));
  }
  return true;
}

/* The items of rows rs of a string column whose data has size bytes; every
** item keeps its length, which the pass over all rows checks. */
bool wr_patch_text(const DbColumn &c, size_t rows, uint32_t size, const std::vector<uint32_t> &rs,
                   std::vector<DbPatch> &ps) {
  std::vector<std::pair<size_t, size_t>> runs = wr_runs(rs);
  size_t held = std::min(c.s.size(), rows), next = 0;
  uint64_t at = 0;
  DbPatch p;
  for (size_t r = 0; r < held; r++) {
    const std::string &s = c.s[r];
    size_t n = s.size() ? s.size() + 1 : 0;
    if (next < runs.size() && r == runs[next].first) p.pos = (uint32_t)at;
    bool inside = next < runs.size() && r >= runs[next].first;
    if (inside && n) {
      p.bytes.insert(p.bytes.end(), s.begin(), s.end());
      p.bytes.push_back(0);
    }
    if (inside && r == runs[next].second) {
      if (!p.bytes.empty()) ps.push_back(std::move(p));
      p = DbPatch();
      next++;
    }
    at += n;
  }
  if (!p.bytes.empty()) ps.push_back(std::move(p));
  return at == size;
}

/* Brings the column's spare copy up to date by rewriting the rows in which
** it differs (changed since, or before, the last commit), and makes it the
** column; the committed copy becomes the spare. Only when the layout is
** the same and the rewrite is small. */
bool wr_patch(Wr &w, DbColumn &c, size_t rows) {
  DbPlace &at = c.at;
  if (!at.placed || !at.spare || !at.exact || c.whole || !c.ch || !wr_patchable(c.type)) return false;
  std::vector<uint32_t> rs = c.ch->rows;
  rs.insert(rs.end(), c.ch->behind.begin(), c.ch->behind.end());
  wr_unique(rs);
  if (rs.empty() || rs.back() >= rows) return false;
  std::vector<DbPatch> ps;
  bool ok = c.type == 'S' ? wr_patch_text(c, rows, at.size, rs, ps)
                          : wr_patch_fixed(c, rows, at.size, rs, ps);
  if (!ok || ps.size() * 4096 > std::max<size_t>(at.size, 65536)) return false;
  for (DbPatch &p : ps) {
    p.pos += at.spare;
    w.job.patches.push_back(std::move(p));
  }
  std::swap(at.pos, at.spare);
  wr_unique(c.ch->rows);
  c.ch->behind.swap(c.ch->rows);
  c.ch->rows.clear();
  return true;
}

/* The column was written whole at np. The copy it replaces becomes its
** spare when it has the same layout (only the rows noted differ). */
void wr_moved(Wr &w, DbColumn &c, DbPlace &&np) {
  DbPlace old = std::move(c.at);
  bool keep = !w.full && old.placed && old.exact && !c.whole && wr_patchable(c.type) && np.size &&
              old.size == np.size && old.pos != np.pos;
  c.at = std::move(np);
  c.at.placed = true;
  if (keep) {
    c.at.spare = old.pos;
    c.at.live += old.size;
    if (!c.ch) c.ch = std::make_unique<DbChanges>();
    wr_unique(c.ch->rows);
    c.ch->behind.swap(c.ch->rows);
    c.ch->rows.clear();
  } else {
    c.ch.reset();
  }
  c.whole = false;
}

/* Writes column k of t, or refers to it where it is; returns the bytes it
** keeps in use. */
uint64_t wr_column(Wr &w, DbBytes &cat, DbTable *t, size_t k) {
  DbColumn &c = dbtab_cols(t)[k];
  size_t rows = t->rows;
  if (!w.full) {
    bool clean = wr_clean(c, rows, w.depth);
    if (clean || wr_patch(w, c, rows)) {
      w.written += !clean;
      wr_putref(cat, c.at);
      return c.at.live;
    }
  }
  DbPlace p;
  switch (c.type) {
    case 'I': p = wr_ints(w, c.i.data(), std::min(c.i.size(), rows), rows); break;
    case 'F': {
      std::vector<int32_t> bits(std::min(c.f.size(), rows));
      if (!bits.empty()) memcpy(bits.data(), c.f.data(), bits.size() * 4);
      p = wr_ints(w, bits.data(), bits.size(), rows);
      break;
    }
    case 'D':
    case 'L': p = wr_wide(w, c, rows); break;
    case 'V': p = wr_views(w, t, k); break;
    default: p = wr_bytes(w, c, rows); break;
  }
  w.written++;
  wr_spill(w);
  if (w.job.record) {
    wr_moved(w, c, std::move(p));
    wr_putref(cat, c.at);
    return c.at.live;
  }
  wr_putref(cat, p);
  return p.live;
}

uint64_t wr_catalog(Wr &w, DbBytes &cat, DbTable *t) {
  dbtab_cols(t);
  dbfmt_put_varint(cat, 0);
  dbfmt_put_varint(cat, (int32_t)t->rows);
  if (w.job.record) t->dirty = false;
  uint64_t live = 0;
  for (size_t k = 0; t->rows && k < t->cols.size(); k++) live += wr_column(w, cat, t, k);
  return live;
}

void wr_be32(uint8_t *p, uint32_t v) {
  for (int b = 0; b < 4; b++) p[b] = (uint8_t)(v >> (24 - 8 * b));
}

}  // namespace

bool dbwrite_run(DbTable *root, DbWriteJob &job, std::string &err) {
  job.out.clear();
  job.patches.clear();
  job.spilled = 0;
  job.changed = true;
  job.end = job.live = 0;
  bool full = job.base == 0;
  if (dbtab_cols(root).empty()) return true;
  std::string desc = dbdesc_format(root->schema.get());
  DbSchemaP check;
  if (!dbdesc_parse(desc.data(), desc.size(), check, err)) {
    err = "the structure of the views cannot be stored: " + err;
    return false;
  }
  if (root->rows != 1) dbtab_resize(root, 1);
  Wr w{job, full};
  if (full) job.out = {'J', 'L', 0x1A, 0, 0, 0, 0, 0};
  DbBytes walk;
  dbfmt_put_varint(walk, 0);
  dbfmt_put_varint(walk, (int32_t)desc.size());
  walk.insert(walk.end(), desc.begin(), desc.end());
  dbfmt_put_varint(walk, 1);
  uint64_t live = 0;
  for (size_t k = 0; k < root->cols.size(); k++) live += wr_column(w, walk, root, k);
  if (job.record) root->dirty = false;
  if (w.deep) {
    err = DB_TOODEEP;
    return false;
  }
  if (!full && w.written == 0 && job.patches.empty() && desc == job.desc) {
    job.changed = false;
    return true;
  }
  uint32_t rootpos = wr_pos(w);
  if (w.toobig || walk.size() >= (1u << 24) || !wr_room(w, walk.size() + 16)) {
    err = "the storage is too large for the file format";
    return false;
  }
  job.out.insert(job.out.end(), walk.begin(), walk.end());
  uint32_t tail = wr_pos(w);
  wr_be32(job.tails, 0x80000000u);
  wr_be32(job.tails + 4, tail);
  wr_be32(job.tails + 8, 0x80000000u | (uint32_t)walk.size());
  wr_be32(job.tails + 12, rootpos);
  job.end = tail + 16;
  job.live = (uint32_t)std::min<uint64_t>(8 + live + walk.size() + 16, job.end);
  if (full) {
    job.out.insert(job.out.end(), job.tails, job.tails + 16);
    if (job.spilled == 0) wr_be32(job.out.data() + 4, job.end);
  }
  if (w.failed) {
    err = "cannot write the file";
    return false;
  }
  return true;
}

bool dbwrite_storage(DbTable *root, DbBytes &out, std::string &err) {
  DbWriteJob job;
  bool ok = dbwrite_run(root, job, err);
  out.swap(job.out);
  if (!ok) out.clear();
  return ok;
}
