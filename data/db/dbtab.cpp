#include "dbtab.h"

DbTableP dbtab_new(const DbSchemaP &schema) {
  DbTableP t = std::make_shared<DbTable>();
  t->schema = schema;
  return t;
}

static void tab_size_col(DbColumn &c, size_t rows) {
  switch (c.type) {
    case 'I': c.i.resize(rows); break;
    case 'F': c.f.resize(rows); break;
    case 'D': c.d.resize(rows); break;
    case 'L': c.l.resize(rows); break;
    case 'V': c.v.resize(rows); break;
    default: c.s.resize(rows); break;
  }
}

/* Keeps columns whose field still exists (by identity), in field order;
** new fields get default values. */
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
      tab_size_col(out[k], t->rows);
    }
  }
  t->cols = std::move(out);
  t->version = t->schema->version;
}

std::vector<DbColumn> &dbtab_cols(DbTable *t) {
  if (t->version != t->schema->version) tab_sync(t);
  return t->cols;
}

void dbtab_resize(DbTable *t, size_t rows) {
  for (DbColumn &c : dbtab_cols(t)) tab_size_col(c, rows);
  t->rows = rows;
}

template <class V>
static void tab_cut(V &vec, size_t at, size_t count) {
  vec.erase(vec.begin() + (ptrdiff_t)at, vec.begin() + (ptrdiff_t)(at + count));
}

void dbtab_erase(DbTable *t, size_t at, size_t count) {
  if (at >= t->rows) return;
  if (count > t->rows - at) count = t->rows - at;
  for (DbColumn &c : dbtab_cols(t)) {
    switch (c.type) {
      case 'I': tab_cut(c.i, at, count); break;
      case 'F': tab_cut(c.f, at, count); break;
      case 'D': tab_cut(c.d, at, count); break;
      case 'L': tab_cut(c.l, at, count); break;
      case 'V': tab_cut(c.v, at, count); break;
      default: tab_cut(c.s, at, count); break;
    }
  }
  t->rows -= count;
}

template <class V>
static void tab_keep(V &vec, const std::vector<uint32_t> &gone) {
  size_t out = 0, g = 0;
  for (size_t r = 0; r < vec.size(); r++) {
    if (g < gone.size() && gone[g] == r) {
      g++;
      continue;
    }
    if (out != r) vec[out] = std::move(vec[r]);
    out++;
  }
  vec.resize(out);
}

void dbtab_erase_rows(DbTable *t, const std::vector<uint32_t> &rows) {
  size_t n = 0;
  while (n < rows.size() && rows[n] < t->rows) n++;
  if (n == 0) return;
  std::vector<uint32_t> gone(rows.begin(), rows.begin() + (ptrdiff_t)n);
  for (DbColumn &c : dbtab_cols(t)) {
    switch (c.type) {
      case 'I': tab_keep(c.i, gone); break;
      case 'F': tab_keep(c.f, gone); break;
      case 'D': tab_keep(c.d, gone); break;
      case 'L': tab_keep(c.l, gone); break;
      case 'V': tab_keep(c.v, gone); break;
      default: tab_keep(c.s, gone); break;
    }
  }
  t->rows -= n;
}

DbTableP dbtab_subp(DbTable *t, size_t col, size_t row) {
  DbColumn &c = dbtab_cols(t)[col];
  if (!c.v[row]) c.v[row] = dbtab_new(dbdesc_sub(t->schema.get(), col));
  return c.v[row];
}

DbTable *dbtab_sub(DbTable *t, size_t col, size_t row) { return dbtab_subp(t, col, row).get(); }

static void tab_copy_cell(DbTable *dst, size_t dc, size_t dr, DbTable *src, size_t sc,
                          size_t sr);

static int tab_depth;

static void tab_copy_rows(DbTable *dst, DbTable *src, const std::vector<uint32_t> *rows) {
  size_t n = rows ? rows->size() : src->rows;
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
  switch (d.type) {
    case 'I': d.i[dr] = s.i[sr]; break;
    case 'F': d.f[dr] = s.f[sr]; break;
    case 'D': d.d[dr] = s.d[sr]; break;
    case 'L': d.l[dr] = s.l[sr]; break;
    case 'V':
      if (!s.v[sr] || s.v[sr]->rows == 0 || tab_depth >= DB_MAXDEPTH) {
        d.v[dr].reset();
      } else {
        tab_depth++;
        tab_copy_rows(dbtab_sub(dst, dc, dr), s.v[sr].get(), nullptr);
        tab_depth--;
      }
      break;
    default: d.s[dr] = s.s[sr]; break;
  }
}

void dbtab_assign(DbTable *dst, DbTable *src, const std::vector<uint32_t> *rows) {
  /* Copy through a snapshot: src may be dst itself or nested inside it. */
  DbTableP tmp = dbtab_new(dst->schema);
  tab_copy_rows(tmp.get(), src, rows);
  dbtab_resize(dst, 0);
  tab_copy_rows(dst, tmp.get(), nullptr);
}
