// Files written by a separate writer (mkwrite.py, from the format notes)
// with what other writers may use: both byte orders, L and B fields, items
// stored apart, columns in any order with unused bytes between them, a
// storage after another file's bytes, trees. Each must read as the text the
// writer gave for it; then random changes, committed (added to the file
// where the file allows it) and read back, must match the same text with
// the same changes made to it.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "data/db/dbapi_int.h"
#include "data/db/dbread.h"
#include "tests/unit/db/db_cells.h"
#include "tests/unit/db/db_util.h"

namespace {

const int GEN_FILES = 16;

std::string cell_i(int32_t x) { return std::to_string(x); }

// The canonical form of the independent reader: "name[desc]=ROWS" lines.
std::string canon_desc(const DbSchema *s) {
  std::string o;
  for (size_t k = 0; k < s->fields.size(); k++) {
    const DbField &f = s->fields[k];
    if (k) o += ",";
    o += f.name;
    if (f.type == 'V')
      o += "[" + (f.self ? std::string("^") : canon_desc(f.sub.get())) + "]";
    else
      o += std::string(":") + f.type;
  }
  return o;
}

std::string canon_rows(DbTable *t);

std::string canon_cell(DbTable *t, size_t k, size_t r) {
  DbColumn &c = dbtab_cols(t)[k];
  switch (c.type) {
    case 'I': return cell_i(dbcol_i(c, r));
    case 'F': return dbc_float(dbcol_f(c, r));
    case 'D': return dbc_double(dbcol_d(c, r));
    case 'L': return std::to_string((long long)dbcol_l(c, r));
    case 'V': return dbcol_v(c, r) ? canon_rows(dbcol_v(c, r)) : "[]";
    default: return dbc_hex(dbcol_s(c, r));
  }
}

std::string canon_rows(DbTable *t) {
  std::string o = "[";
  size_t nf = dbtab_cols(t).size();
  for (size_t r = 0; r < t->rows; r++) {
    if (r) o += ";";
    for (size_t k = 0; k < nf; k++) o += (k ? "," : "") + canon_cell(t, k, r);
  }
  return o + "]";
}

// The rows of a derived view, fields in the view's order.
std::string canon_view(DbView *v) {
  std::vector<std::string> rows;
  for (size_t i = 0; i < dbapi_size(v); i++) {
    std::vector<std::string> cells;
    size_t br;
    EXPECT_TRUE(api_baserow(v, i, br));
    for (int k = 0; k < dbapi_nfields(v); k++) cells.push_back(canon_cell(v->base.get(), (size_t)api_col(v, k), br));
    std::string o;
    for (size_t k = 0; k < cells.size(); k++) o += (k ? "," : "") + cells[k];
    rows.push_back(o);
  }
  std::string o = "[";
  for (size_t k = 0; k < rows.size(); k++) o += (k ? ";" : "") + rows[k];
  return o + "]";
}

std::string canon(DbTable *root) {
  std::string o;
  std::vector<DbField> &fs = root->schema->fields;
  dbtab_cols(root);
  for (size_t k = 0; k < fs.size(); k++) {
    DbSchema *sub = fs[k].sub.get();
    o += fs[k].name + "[" + canon_desc(sub) + "]=";
    o += root->rows ? (dbcol_v(dbtab_cols(root)[k], 0) ? canon_rows(dbcol_v(dbtab_cols(root)[k], 0)) : "[]")
                    : "[]";
    o += "\n";
  }
  return o;
}

std::string canon_file(const std::string &path) {
  DbBytes b = dbt_load(path);
  DbTableP root;
  std::string err;
  if (!dbread_storage(b.data(), b.size(), root, err)) return "!" + err;
  return canon(root.get());
}

std::string text_of(const std::string &path) {
  DbBytes b = dbt_load(path);
  return std::string(b.begin(), b.end());
}

// ---- the expected text, changed as the storage is

// Items of a bracketed list ("[a;b]" by ';', or a row "x,y" by ','), split
// at the outer level.
std::vector<std::string> split(const std::string &s, char sep) {
  std::vector<std::string> out;
  int depth = 0;
  std::string cur;
  for (char c : s) {
    if (c == '[') depth++;
    if (c == ']') depth--;
    if (c == sep && depth == 0) {
      out.push_back(cur);
      cur.clear();
      continue;
    }
    cur += c;
  }
  out.push_back(cur);
  return out;
}

std::string join(const std::vector<std::string> &v, char sep) {
  std::string o;
  for (size_t k = 0; k < v.size(); k++) o += (k ? std::string(1, sep) : "") + v[k];
  return o;
}

// One view's line: its description and its rows' cells.
struct Line {
  std::string head;  // "name[desc]="
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> blank;  // a new row's cells
};

std::vector<Line> parse(const std::string &text, DbTable *root) {
  std::vector<Line> out;
  size_t at = 0, view = 0;
  while (at < text.size()) {
    size_t nl = text.find('\n', at);
    std::string l = text.substr(at, nl - at);
    at = nl + 1;
    size_t eq = l.find("]=");
    Line line;
    line.head = l.substr(0, eq + 2);
    std::string body = l.substr(eq + 2);
    body = body.substr(1, body.size() - 2);
    if (!body.empty())
      for (const std::string &r : split(body, ';')) line.rows.push_back(split(r, ','));
    for (const DbField &f : root->schema->fields[view].sub->fields)
      line.blank.push_back(f.type == 'V' ? "[]" : f.type == 'F' ? dbc_float(0) : f.type == 'D' ? dbc_double(0)
                           : f.type == 'S' || f.type == 'B' ? "s" : "0");
    out.push_back(line);
    view++;
  }
  return out;
}

std::string unparse(const std::vector<Line> &lines) {
  std::string o;
  for (const Line &l : lines) {
    std::vector<std::string> rows;
    for (const std::vector<std::string> &r : l.rows) rows.push_back(join(r, ','));
    o += l.head + "[" + join(rows, ';') + "]\n";
  }
  return o;
}

// ---- ordering, from the cells' text

std::string unhex(const std::string &c) {
  std::string o;
  for (size_t k = 1; k + 1 < c.size(); k += 2) o += (char)std::stoi(c.substr(k, 2), nullptr, 16);
  return o;
}

int cmp3(double a, double b) {
  bool na = a != a, nb = b != b;
  if (na || nb) return na == nb ? 0 : na ? 1 : -1;
  return a < b ? -1 : b < a ? 1 : 0;
}

int cmp_rows(const DbSchema *s, const std::vector<std::string> &a, const std::vector<std::string> &b);

// I and L signed, F and D numeric (NaN last), S without regard to ASCII
// case, B byte by byte then the shorter first, V row by row then by count.
int cmp_cell(const DbSchema *holder, const DbField &f, const std::string &a, const std::string &b) {
  switch (f.type) {
    case 'I':
    case 'L': {
      long long x = std::stoll(a), y = std::stoll(b);
      return x < y ? -1 : x > y ? 1 : 0;
    }
    case 'F': {
      uint32_t u = (uint32_t)std::stoul(a.substr(1), nullptr, 16), w = (uint32_t)std::stoul(b.substr(1), nullptr, 16);
      float x, y;
      memcpy(&x, &u, 4);
      memcpy(&y, &w, 4);
      return cmp3(x, y);
    }
    case 'D': {
      uint64_t u = std::stoull(a.substr(1), nullptr, 16), w = std::stoull(b.substr(1), nullptr, 16);
      double x, y;
      memcpy(&x, &u, 8);
      memcpy(&y, &w, 8);
      return cmp3(x, y);
    }
    case 'S':
    case 'B': {
      std::string x = unhex(a), y = unhex(b);
      if (f.type == 'S')
        for (std::string *z : {&x, &y})
          for (char &c : *z)
            if (c >= 'A' && c <= 'Z') c = (char)(c + 32);
      size_t n = std::min(x.size(), y.size());
      int d = n ? memcmp(x.data(), y.data(), n) : 0;
      if (d) return d < 0 ? -1 : 1;
      return x.size() < y.size() ? -1 : x.size() > y.size() ? 1 : 0;
    }
    default: {
      const DbSchema *sub = f.self ? holder : f.sub.get();
      std::string ia = a.substr(1, a.size() - 2), ib = b.substr(1, b.size() - 2);
      std::vector<std::string> ra, rb;
      if (!ia.empty()) ra = split(ia, ';');
      if (!ib.empty()) rb = split(ib, ';');
      for (size_t r = 0; r < ra.size() && r < rb.size(); r++) {
        int d = cmp_rows(sub, split(ra[r], ','), split(rb[r], ','));
        if (d) return d;
      }
      return ra.size() < rb.size() ? -1 : ra.size() > rb.size() ? 1 : 0;
    }
  }
}

int cmp_rows(const DbSchema *s, const std::vector<std::string> &a, const std::vector<std::string> &b) {
  for (size_t k = 0; k < s->fields.size(); k++) {
    int d = cmp_cell(s, s->fields[k], a[k], b[k]);
    if (d) return d;
  }
  return 0;
}

// A sort on all fields, or on one field first, against the text's rows.
void sort_check(std::mt19937 &rng, DbStorage *st, const std::vector<Line> &want) {
  long vi = 1 + (long)(rng() % want.size());
  DbView *v = dbapi_view_at(st, vi);
  const DbSchema *s = v->base->schema.get();
  const Line &l = want[(size_t)vi - 1];
  int nf = dbapi_nfields(v);
  int key = nf && rng() % 2 ? (int)(rng() % (unsigned)nf) : -1;
  std::vector<std::vector<std::string>> rows = l.rows;
  std::stable_sort(rows.begin(), rows.end(), [&](const std::vector<std::string> &a, const std::vector<std::string> &b) {
    if (key >= 0) {
      int d = cmp_cell(s, s->fields[(size_t)key], a[(size_t)key], b[(size_t)key]);
      if (d) return d < 0;
    }
    return cmp_rows(s, a, b) < 0;
  });
  std::vector<std::string> texts;
  for (std::vector<std::string> r : rows) {
    if (key >= 0) {  // the key is listed first
      std::string c = r[(size_t)key];
      r.erase(r.begin() + key);
      r.insert(r.begin(), c);
    }
    texts.push_back(join(r, ','));
  }
  DbView *d = dbapi_sort(v, key >= 0 ? &key : nullptr, key >= 0 ? 1 : 0);
  EXPECT_EQ(canon_view(d), "[" + join(texts, ';') + "]") << "view " << vi << " key " << key;
  dbapi_view_free(d);
  dbapi_view_free(v);
}

void change(std::mt19937 &rng, DbStorage *st, std::vector<Line> &want) {
  long nviews = (long)want.size();
  long vi = 1 + (long)(rng() % (unsigned long)nviews);
  DbView *v = dbapi_view_at(st, vi);
  ASSERT_NE(v, nullptr);
  Line &l = want[(size_t)vi - 1];
  int nf = dbapi_nfields(v);
  if (nf == 0) {
    dbapi_view_free(v);
    return;
  }
  unsigned op = rng() % 10;
  if (op < 3 && !l.rows.empty()) {  // rows deleted
    size_t at = rng() % l.rows.size(), count = 1 + rng() % 3;
    l.rows.erase(l.rows.begin() + (ptrdiff_t)at,
                 l.rows.begin() + (ptrdiff_t)std::min(l.rows.size(), at + count));
    dbapi_del(v, at, count);
  } else {  // a value, perhaps past the end
    size_t r = rng() % (l.rows.size() + 2);
    int k = (int)(rng() % (unsigned)nf);
    const char *name;
    char type;
    dbapi_field(v, k, &name, &type);
    while (l.rows.size() <= r) l.rows.push_back(l.blank);
    DbRow *row = dbapi_row(v, r);
    std::string &cell = l.rows[r][(size_t)k];
    switch (type) {
      case 'I': {
        int32_t x = rng() % 2 ? (int32_t)(rng() % 16) : (int32_t)rng();
        dbapi_set_num(row, k, x);
        cell = cell_i(x);
        break;
      }
      case 'F': {
        float x = (float)(rng() % 100) * 0.25f;
        dbapi_set_num(row, k, x);
        cell = dbc_float(x);
        break;
      }
      case 'D': {
        double x = (double)(int32_t)rng() / 8;
        dbapi_set_num(row, k, x);
        cell = dbc_double(x);
        break;
      }
      case 'S': {
        // the same length as now, or another
        size_t n = cell.size() > 1 && rng() % 2 ? (cell.size() - 1) / 2 : rng() % 5;
        std::string s(n, 'a');
        for (char &c : s) c = (char)('a' + rng() % 26);
        dbapi_set_str(row, k, s.data(), s.size());
        cell = dbc_hex(s);
        break;
      }
      default: break;  // B, L and nested views are not written by scripts
    }
    dbapi_row_free(row);
  }
  dbapi_view_free(v);
}

TEST(DbForeign, FilesOfASeparateWriterReadAndChange) {
  // DBFOREIGN_DIR=dir DBFOREIGN_FILES=n: other files of the writer
  const char *dir = getenv("DBFOREIGN_DIR"), *count = getenv("DBFOREIGN_FILES");
  int files = count ? atoi(count) : GEN_FILES;
  std::mt19937 rng(77);
  for (int g = 0; g < files; g++) {
    char base[32];
    snprintf(base, sizeof base, "gen%02d", g);
    SCOPED_TRACE(base);
    std::string path = dir ? std::string(dir) + "/" + base : dbt_fixture(std::string("gen/") + base);
    std::string text = text_of(path + ".txt");
    EXPECT_EQ(canon_file(path + ".mk"), text);
    // a copy, changed and committed again and again
    std::string name = dbt_tmpname("foreign");
    dbt_save(name, dbt_load(path + ".mk"));
    char err[300];
    DbStorage *st = dbapi_open(name.c_str(), err, sizeof err);
    ASSERT_NE(st, nullptr) << err;
    std::vector<Line> want = parse(text, st->root.get());
    ASSERT_EQ(unparse(want), text);
    for (int round = 0; round < 12; round++) {
      int n = 1 + (int)(rng() % 4);
      for (int k = 0; k < n; k++) change(rng, st, want);
      ASSERT_EQ(canon(st->root.get()), unparse(want)) << "round " << round;
      sort_check(rng, st, want);
      ASSERT_TRUE(dbapi_commit(st, rng() % 8 == 0, err, sizeof err)) << err;
      ASSERT_EQ(canon_file(name), unparse(want)) << "round " << round;
      if (rng() % 4 == 0) {
        dbapi_close(st);
        st = dbapi_open(name.c_str(), err, sizeof err);
        ASSERT_NE(st, nullptr) << err;
      }
    }
    dbapi_close(st);
  }
}

}  // namespace
