#include "tests/unit/db/db_util.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "data/db/dbread.h"
#include "tests/support/ts_tmp.h"

DbBytes dbt_load(const std::string &path) {
  DbBytes b;
  FILE *f = fopen(path.c_str(), "rb");
  if (!f) return b;
  int c;
  while ((c = fgetc(f)) != EOF) b.push_back((uint8_t)c);
  fclose(f);
  return b;
}

void dbt_save(const std::string &path, const DbBytes &b) {
  FILE *f = fopen(path.c_str(), "wb");
  if (!f) return;
  if (!b.empty()) fwrite(b.data(), 1, b.size(), f);
  fclose(f);
}

static void dump_table(DbTable *t, std::string &o);

static void dump_cell(DbTable *t, size_t k, size_t r, std::string &o) {
  DbColumn &c = dbtab_cols(t)[k];
  char buf[64];
  switch (c.type) {
    case 'I': snprintf(buf, sizeof buf, "%d", dbcol_i(c, r)); o += buf; break;
    case 'F': snprintf(buf, sizeof buf, "%g", dbcol_f(c, r)); o += buf; break;
    case 'D': snprintf(buf, sizeof buf, "%.17g", dbcol_d(c, r)); o += buf; break;
    case 'L': snprintf(buf, sizeof buf, "%lld", (long long)dbcol_l(c, r)); o += buf; break;
    case 'V':
      o += "[";
      if (dbcol_v(c, r)) dump_table(dbcol_v(c, r), o);
      o += "]";
      break;
    default: o += "'" + dbcol_s(c, r) + "'"; break;
  }
}

size_t dbt_cells(DbTable *t, size_t limit) {
  size_t n = 0;
  std::vector<DbColumn> &cols = dbtab_cols(t);
  n += t->rows * (cols.size() + 1);
  for (DbColumn &c : cols)
    for (size_t r = 0; c.type == 'V' && r < c.v.size() && n <= limit; r++)
      if (dbcol_v(c, r)) n += dbt_cells(dbcol_v(c, r), limit - n);
  return n;
}

static void dump_table(DbTable *t, std::string &o) {
  size_t nf = dbtab_cols(t).size();
  for (size_t r = 0; r < t->rows; r++) {
    o += "(";
    for (size_t k = 0; k < nf; k++) {
      if (k) o += ",";
      dump_cell(t, k, r, o);
    }
    o += ")";
  }
}

std::string dbt_dump(DbTable *root) {
  std::string o;
  std::vector<DbField> &fs = root->schema->fields;
  dbtab_cols(root);
  for (size_t k = 0; k < fs.size(); k++) {
    if (k) o += " ";
    DbSchema one;
    one.fields.push_back(fs[k]);
    o += dbdesc_format(&one) + " ";
    if (root->rows) dump_cell(root, k, 0, o);
  }
  return o;
}

std::string dbt_dump_bytes(const DbBytes &b) {
  DbTableP root;
  std::string err;
  if (!dbread_storage(b.data(), b.size(), root, err)) return "!" + err;
  return dbt_dump(root.get());
}

std::string dbt_dump_view(DbView *v) {
  std::string o;
  size_t n = dbapi_size(v);
  int nf = dbapi_nfields(v);
  for (size_t r = 0; r < n; r++) {
    DbRow *row = dbapi_row(v, r);
    o += "(";
    for (int k = 0; k < nf; k++) {
      DbValue val;
      if (k) o += ",";
      if (!dbapi_get(row, k, &val)) {
        o += "?";
        continue;
      }
      char buf[64];
      if (val.type == 'S' || val.type == 'B') {
        o += "'" + std::string(val.str, val.len) + "'";
      } else if (val.type == 'V') {
        DbView *sub = dbapi_get_view(row, k, nullptr, 0);
        o += sub ? "[" + dbt_dump_view(sub) + "]" : "[!]";  // past the nesting limit
        dbapi_view_free(sub);
      } else {
        snprintf(buf, sizeof buf, "%.17g", val.num);
        o += buf;
      }
    }
    o += ")";
    dbapi_row_free(row);
  }
  return o;
}

std::string dbt_views(DbStorage *st) {
  std::string out;
  for (long i = 1;; i++) {
    DbView *v = dbapi_view_at(st, i);
    if (!v) break;
    out += dbt_dump_view(v) + ";";
    dbapi_view_free(v);
  }
  return out;
}

std::string dbt_content(const std::string &path) {
  char err[300];
  DbStorage *st = dbapi_open(path.c_str(), err, sizeof err);
  if (!st) return std::string("!") + err;
  std::string out = dbt_views(st);
  dbapi_close(st);
  return out;
}

std::string dbt_tmpname(const char *tag) {
  static int n = 0;
  return ts_tmpfile(std::string(tag) + "_" + std::to_string(++n) + ".mk");
}

std::string dbt_fixture(const std::string &name) { return ts_here("metakit/" + name); }
