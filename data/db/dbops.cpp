#include "data/db/dbops.h"

#include <algorithm>
#include <cmath>
#include <cstring>

template <class T>
static int ops_cmp(T a, T b) {
  return a < b ? -1 : b < a ? 1 : 0;
}

/* NaN sorts after every number and equals itself, keeping the order total. */
static int ops_cmp_real(double a, double b) {
  bool na = std::isnan(a), nb = std::isnan(b);
  if (na || nb) return na == nb ? 0 : na ? 1 : -1;
  return ops_cmp(a, b);
}

static inline int ops_lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

int dbops_cmp_text(const std::string &a, const std::string &b) {
  size_t n = std::min(a.size(), b.size());
  const unsigned char *p = (const unsigned char *)a.data(), *q = (const unsigned char *)b.data();
  for (size_t k = 0; k < n; k++) {
    int d = ops_lower(p[k]) - ops_lower(q[k]);
    if (d) return d < 0 ? -1 : 1;
  }
  return ops_cmp(a.size(), b.size());
}

static int ops_cmp_bytes(const std::string &a, const std::string &b) {
  size_t n = std::min(a.size(), b.size());
  int d = n ? memcmp(a.data(), b.data(), n) : 0;
  if (d) return d < 0 ? -1 : 1;
  return ops_cmp(a.size(), b.size());
}

static int ops_depth;

int dbops_cmp_cell(DbTable *a, size_t ca, size_t ra, DbTable *b, size_t cb, size_t rb) {
  DbColumn &x = dbtab_cols(a)[ca];
  DbColumn &y = dbtab_cols(b)[cb];
  switch (x.type) {
    case 'I': return ops_cmp(dbcol_i(x, ra), dbcol_i(y, rb));
    case 'F': return ops_cmp_real(dbcol_f(x, ra), dbcol_f(y, rb));
    case 'D': return ops_cmp_real(dbcol_d(x, ra), dbcol_d(y, rb));
    case 'L': return ops_cmp(dbcol_l(x, ra), dbcol_l(y, rb));
    case 'S': return dbops_cmp_text(dbcol_s(x, ra), dbcol_s(y, rb));
    case 'B': return ops_cmp_bytes(dbcol_s(x, ra), dbcol_s(y, rb));
    default: {
      DbTable *s = dbcol_v(x, ra), *t = dbcol_v(y, rb);
      size_t sn = s ? s->rows : 0, tn = t ? t->rows : 0;
      if (!sn || !tn || ops_depth >= DB_MAXDEPTH) return ops_cmp(sn, tn);
      ops_depth++;
      int d = dbops_cmp_table(s, t);
      ops_depth--;
      return d;
    }
  }
}

/* Tables of one structure compare column by column on each row; tables of
** different structures compare on the fields they share by name and type. */
int dbops_cmp_table(DbTable *a, DbTable *b) {
  std::vector<std::pair<int, int>> pairs;
  std::vector<DbField> &fa = a->schema->fields;
  dbtab_cols(a);
  dbtab_cols(b);
  for (size_t k = 0; k < fa.size(); k++) {
    int j = dbdesc_find(b->schema.get(), fa[k].name.data(), fa[k].name.size());
    if (j >= 0 && b->schema->fields[j].type == fa[k].type) pairs.emplace_back((int)k, j);
  }
  size_t n = std::min(a->rows, b->rows);
  for (size_t r = 0; r < n; r++)
    for (auto &p : pairs) {
      int d = dbops_cmp_cell(a, (size_t)p.first, r, b, (size_t)p.second, r);
      if (d) return d;
    }
  return ops_cmp(a->rows, b->rows);
}

void dbops_sort(DbTable *t, const std::vector<int> &cols, std::vector<uint32_t> &rows) {
  dbtab_cols(t);
  std::stable_sort(rows.begin(), rows.end(), [&](uint32_t x, uint32_t y) {
    for (int c : cols) {
      int d = dbops_cmp_cell(t, (size_t)c, x, t, (size_t)c, y);
      if (d) return d < 0;
    }
    return false;
  });
}

/* Texts match without regard to case, as they sort. */
void dbops_select(DbTable *t, const std::vector<uint32_t> *rows, DbTable *crit,
                  const std::vector<int> &cols, std::vector<uint32_t> &out, bool first) {
  size_t n = rows ? rows->size() : t->rows;
  dbtab_cols(t);
  dbtab_cols(crit);
  for (size_t i = 0; i < n; i++) {
    size_t r = rows ? (*rows)[i] : i;
    if (r >= t->rows) continue;
    bool ok = true;
    for (size_t k = 0; ok && k < cols.size(); k++)
      ok = dbops_cmp_cell(t, (size_t)cols[k], r, crit, (size_t)cols[k], 0) == 0;
    if (!ok) continue;
    out.push_back((uint32_t)i);
    if (first) return;
  }
}
