#include "db_util.h"

#include <cstdio>
#include <cstring>

#include "data/db/dbread.h"

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
    case 'I': snprintf(buf, sizeof buf, "%d", c.i[r]); o += buf; break;
    case 'F': snprintf(buf, sizeof buf, "%g", c.f[r]); o += buf; break;
    case 'D': snprintf(buf, sizeof buf, "%.17g", c.d[r]); o += buf; break;
    case 'L': snprintf(buf, sizeof buf, "%lld", (long long)c.l[r]); o += buf; break;
    case 'V':
      o += "[";
      if (c.v[r]) dump_table(c.v[r].get(), o);
      o += "]";
      break;
    default: o += "'" + c.s[r] + "'"; break;
  }
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
        DbView *sub = dbapi_get_view(row, k);
        o += "[" + dbt_dump_view(sub) + "]";
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

std::string dbt_tmpname(const char *tag) {
  static int n = 0;
  char buf[128];
  snprintf(buf, sizeof buf, "dbtest_%s_%d.mk", tag, ++n);
  remove(buf);
  return buf;
}
