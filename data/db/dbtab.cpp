#include "data/db/dbtab.h"

#include <algorithm>
#include <cassert>

const std::string dbcol_empty;

DbTableP dbtab_new(const DbSchemaP &schema) {
  DbTableP t = std::make_shared<DbTable>();
  t->schema = schema;
  return t;
}

size_t dbcol_held(const DbColumn &c) {
  switch (c.type) {
    case 'I': return c.i.size();
    case 'F': return c.f.size();
    case 'D': return c.d.size();
    case 'L': return c.l.size();
    case 'V': return c.v.size();
    default: return c.s.size();
  }
}

template <class V>
static void tab_hold(V &vec, size_t n) {
  if (vec.size() < n) vec.resize(n);
}

void dbcol_hold(DbColumn &c, size_t r) {
  switch (c.type) {
    case 'I': tab_hold(c.i, r + 1); break;
    case 'F': tab_hold(c.f, r + 1); break;
    case 'D': tab_hold(c.d, r + 1); break;
    case 'L': tab_hold(c.l, r + 1); break;
    case 'V': tab_hold(c.v, r + 1); break;
    default: tab_hold(c.s, r + 1); break;
  }
}

/* A column written whole needs no list; a long list costs more to patch
** than writing the column. */
void dbcol_touch(DbColumn &c, size_t r) {
  dbcol_hold(c, r);
  if (c.whole) return;
  if (!c.ch) c.ch = std::make_unique<DbChanges>();
  if (c.ch->rows.size() >= DB_MAXTOUCH) {
    c.whole = true;
    c.ch.reset();
    return;
  }
  c.ch->rows.push_back((uint32_t)r);
}

void dbcol_put_s(DbColumn &c, size_t r, const char *p, size_t n) {
  if (n != dbcol_s(c, r).size()) c.whole = true;
  dbcol_touch(c, r);
  c.s[r].assign(p, n);
}

/* Keeps columns whose field still exists (by identity), in field order;
** new fields start with default values. */
static void tab_sync(DbTable *t) {
  const std::vector<DbField> &fs = t->schema->fields;
  std::vector<DbColumn> out(fs.size());
  for (size_t k = 0; k < fs.size(); k++) {
    for (DbColumn &c : t->cols)
      if (c.id == fs[k].id && c.id) {
        out[k] = std::move(c);
        c.id = 0;
        break;
      }
    if (!out[k].id) {
      out[k].id = fs[k].id;
      out[k].type = fs[k].type;
    }
  }
  t->cols = std::move(out);
  t->version = t->schema->version;
  if (t->rows) t->dirty = true; /* an empty table's catalog names no fields */
}

std::vector<DbColumn> &dbtab_cols(DbTable *t) {
  if (t->version != t->schema->version) tab_sync(t);
  if (t->pending) dbtab_settle(t);
  return t->cols;
}

void dbtab_reshaped(DbTable *t) {
  t->dirty = true;
  for (DbColumn &c : t->cols) {
    c.whole = true;
    c.ch.reset();
  }
}

void dbtab_watch(DbTable *t, const std::shared_ptr<DbRowMap> &map) {
  std::vector<std::weak_ptr<DbRowMap>> &m = t->maps;
  m.erase(std::remove_if(m.begin(), m.end(), [](const std::weak_ptr<DbRowMap> &w) { return w.expired(); }),
          m.end());
  m.push_back(map);
}

void dbtab_resize(DbTable *t, size_t rows) {
  if (rows < t->rows) dbtab_erase(t, rows, t->rows - rows);
  dbtab_cols(t);
  if (rows != t->rows) dbtab_reshaped(t);
  t->rows = rows;
}

DbTableP dbtab_subp(DbTable *t, size_t col, size_t row) {
  assert(col < dbtab_cols(t).size());
  DbColumn &c = dbtab_cols(t)[col];
  assert(c.type == 'V');
  dbcol_hold(c, row);
  if (!c.v[row]) c.v[row] = dbtab_new(dbdesc_sub(t->schema.get(), col));
  return c.v[row];
}

DbTable *dbtab_sub(DbTable *t, size_t col, size_t row) { return dbtab_subp(t, col, row).get(); }

int dbtab_depth(DbTable *t, int limit) {
  if (!t || t->rows == 0) return 0;
  if (limit <= 0) return 1;
  int deepest = 0;
  for (DbColumn &c : dbtab_cols(t)) {
    if (c.type != 'V') continue;
    for (size_t r = 0; r < c.v.size() && deepest < limit; r++) {
      int d = dbtab_depth(dbcol_v(c, r), limit - 1);
      if (d > deepest) deepest = d;
    }
  }
  return 1 + deepest;
}

static void tab_copy_cell(DbTable *dst, size_t dc, size_t dr, DbTable *src, size_t sc,
                          size_t sr);

/* Copies rows; the caller has checked that src nests no deeper than a
** table may. */
static void tab_copy_rows(DbTable *dst, DbTable *src, const std::vector<uint32_t> *rows) {
  size_t n = rows ? rows->size() : src->rows;
  dbtab_resize(dst, 0);
  dbtab_resize(dst, n);
  std::vector<DbField> &df = dst->schema->fields;
  std::vector<DbField> &sf = src->schema->fields;
  dbtab_cols(src);
  for (size_t k = 0; k < df.size(); k++) {
    int j = dbdesc_find(src->schema.get(), df[k].name.data(), df[k].name.size());
    if (j < 0 || sf[j].type != df[k].type) continue;
    for (size_t r = 0; r < n; r++) {
      size_t sr = rows ? (*rows)[r] : r;
      if (sr < src->rows) tab_copy_cell(dst, k, r, src, (size_t)j, sr);
    }
  }
}

static void tab_copy_cell(DbTable *dst, size_t dc, size_t dr, DbTable *src, size_t sc,
                          size_t sr) {
  DbColumn &d = dbtab_cols(dst)[dc];
  DbColumn &s = dbtab_cols(src)[sc];
  if (sr >= dbcol_held(s)) return;  /* a default: dst's new row has it */
  dbcol_touch(d, dr);
  switch (d.type) {
    case 'I': d.i[dr] = s.i[sr]; break;
    case 'F': d.f[dr] = s.f[sr]; break;
    case 'D': d.d[dr] = s.d[sr]; break;
    case 'L': d.l[dr] = s.l[sr]; break;
    case 'V':
      if (dbcol_v(s, sr)) tab_copy_rows(dbtab_sub(dst, dc, dr), s.v[sr].get(), nullptr);
      break;
    default: dbcol_put_s(d, dr, s.s[sr].data(), s.s[sr].size()); break;
  }
}

void dbtab_assign(DbTable *dst, DbTable *src, const std::vector<uint32_t> *rows) {
  /* Copy through a snapshot: src may be dst itself or nested inside it. */
  DbTableP tmp = dbtab_new(dst->schema);
  tab_copy_rows(tmp.get(), src, rows);
  tab_copy_rows(dst, tmp.get(), nullptr);
}
