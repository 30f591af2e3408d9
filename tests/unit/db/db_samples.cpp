// Writes sample storages into a folder, each NAME.mk with NAME.txt beside it
// holding what an independent reader must find in it (the canonical form of
// mkread.py). The expected text comes from a plain model of what was put in,
// not from reading the file back. Random content from a fixed seed.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "data/db/dbapi.h"
#include "tests/unit/db/db_cells.h"

namespace {

typedef std::vector<std::string> Row;
typedef std::vector<Row> Rows;

std::string dir;
int failures;

std::string rows_text(const Rows &rows) {
  std::string o = "[";
  for (size_t r = 0; r < rows.size(); r++) {
    if (r) o += ";";
    for (size_t k = 0; k < rows[r].size(); k++) o += (k ? "," : "") + rows[r][k];
  }
  return o + "]";
}

struct Sample {
  std::string name, expect;
  DbStorage *st = nullptr;
  explicit Sample(const std::string &n) : name(n) {
    char err[300];
    remove(path().c_str());
    st = dbapi_open(path().c_str(), err, sizeof err);
    if (!st) fail(err);
  }
  std::string path() const { return dir + "/" + name + ".mk"; }
  void fail(const char *what) {
    fprintf(stderr, "%s: %s\n", name.c_str(), what);
    failures++;
  }
  DbView *table(const char *desc) {
    char err[300];
    DbView *v = dbapi_table(st, desc, err, sizeof err);
    if (!v) fail(err);
    return v;
  }
  void view(const std::string &desc, const Rows &rows) {
    expect += desc + "=" + (rows.size() > 10000 ? "#" + std::to_string(rows.size()) : rows_text(rows)) + "\n";
  }
  void finish() {
    char err[300];
    if (!dbapi_commit(st, 0, err, sizeof err)) fail(err);
    dbapi_close(st);
    FILE *f = fopen((dir + "/" + name + ".txt").c_str(), "wb");
    if (!f) return fail("cannot write the expected text");
    fwrite(expect.data(), 1, expect.size(), f);
    fclose(f);
  }
};

void put_num(DbView *v, size_t r, int k, double x) {
  DbRow *row = dbapi_row(v, r);
  dbapi_set_num(row, k, x);
  dbapi_row_free(row);
}

void put_str(DbView *v, size_t r, int k, const std::string &s) {
  DbRow *row = dbapi_row(v, r);
  dbapi_set_str(row, k, s.data(), s.size());
  dbapi_row_free(row);
}

DbView *sub_view(DbView *v, size_t r, int k) {
  DbRow *row = dbapi_row(v, r);
  DbView *s = dbapi_get_view(row, k, nullptr, 0);
  dbapi_row_free(row);
  return s;
}

std::mt19937 rng(4242);

int32_t random_int() {
  switch (rng() % 6) {
    case 0: return (int32_t)(rng() % 2);
    case 1: return (int32_t)(rng() % 16);
    case 2: return (int32_t)(rng() % 256) - 128;
    case 3: return (int32_t)(rng() % 65536) - 32768;
    case 4: return (int32_t)rng();
    default: return 0;
  }
}

std::string random_text() {
  std::string s(rng() % 12, ' ');
  for (char &c : s) c = (char)(1 + rng() % 255);
  return s;
}

void people() {
  Sample s("people");
  DbView *v = s.table("people[name:S,age:I]");
  const char *names[] = {"Alice", "Bob", "carol"};
  int ages[] = {30, 4, -7};
  Rows m;
  for (int r = 0; r < 3; r++) {
    put_str(v, (size_t)r, 0, names[r]);
    put_num(v, (size_t)r, 1, ages[r]);
    m.push_back({dbc_hex(names[r]), std::to_string(ages[r])});
  }
  s.view("people[name:S,age:I]", m);
  dbapi_view_free(v);
  s.finish();
}

// Every integer width at 1 to 9 rows (the short sizes pad), one view each.
void widths() {
  Sample s("widths");
  const int32_t top[] = {1, 3, 15, 127, 32767, 2147483647};
  for (int w = 0; w < 6; w++)
    for (int rows = 1; rows <= 9; rows++) {
      std::string desc = "w" + std::to_string(w) + "_" + std::to_string(rows) + "[a:I,f:F]";
      DbView *v = s.table(desc.c_str());
      Rows m;
      for (int r = 0; r < rows; r++) {
        int32_t x = (int32_t)(rng() % ((uint32_t)top[w] + 1));
        if (w >= 3 && rng() % 2) x = -x - 1;
        float f = r % 3 ? (float)x / 8 : 0.0f;
        put_num(v, (size_t)r, 0, x);
        put_num(v, (size_t)r, 1, f);
        m.push_back({std::to_string(x), dbc_float(f)});
      }
      s.view(desc, m);
      dbapi_view_free(v);
    }
  s.finish();
}

// Random rows of every writable type with nested views, then deletions
// through the view and through a derived view.
void mixed() {
  Sample s("mixed");
  const char *desc = "r[i:I,f:F,d:D,s:S,b:B,sub[x:I,t:S]]";
  DbView *v = s.table(desc);
  Rows m;
  for (size_t r = 0; r < 300; r++) {
    int32_t i = random_int();
    float f = (float)random_int() / 3;
    double d = std::ldexp((double)(int32_t)rng(), (int)(rng() % 80) - 40);
    std::string t = random_text();
    if (r == 7) t = std::string(20000, 'q');
    put_num(v, r, 0, i);
    put_num(v, r, 1, f);
    put_num(v, r, 2, d);
    put_str(v, r, 3, t);
    DbView *sv = sub_view(v, r, 5);
    Rows sm;
    size_t subrows = rng() % 5;
    for (size_t q = 0; q < subrows; q++) {
      int32_t x = random_int();
      std::string u = random_text();
      put_num(sv, q, 0, x);
      put_str(sv, q, 1, u);
      sm.push_back({std::to_string(x), dbc_hex(u)});
    }
    dbapi_view_free(sv);
    m.push_back({std::to_string(i), dbc_float(f), dbc_double(d), dbc_hex(t), "s", rows_text(sm)});
  }
  for (int k = 0; k < 20; k++) {
    size_t at = rng() % m.size(), n = 1 + rng() % 3;
    dbapi_del(v, at, n);
    m.erase(m.begin() + (ptrdiff_t)at, m.begin() + (ptrdiff_t)std::min(m.size(), at + n));
  }
  DbRow *crit = dbapi_crit(v);
  dbapi_set_num(crit, 0, 0);
  DbView *zeros = dbapi_select(v, crit);
  dbapi_del(zeros, 0, dbapi_size(zeros));
  for (size_t r = m.size(); r-- > 0;)
    if (m[r][0] == "0") m.erase(m.begin() + (ptrdiff_t)r);
  dbapi_view_free(zeros);
  dbapi_row_free(crit);
  s.view(desc, m);
  dbapi_view_free(v);
  s.finish();
}

// A tree 200 levels deep, a row at every level.
void tree() {
  Sample s("tree");
  DbView *v = s.table("t[x:I,kids[^]]");
  for (int k = 1; k <= 200; k++) {
    put_num(v, 0, 0, k);
    DbView *sub = k < 200 ? sub_view(v, 0, 1) : nullptr;
    dbapi_view_free(v);
    v = sub;
  }
  std::string rows = "[200,[]]";
  for (int k = 199; k >= 1; k--) rows = "[" + std::to_string(k) + "," + rows + "]";
  s.expect = "t[x:I,kids[^]]=" + rows + "\n";
  s.finish();
}

void zeros() {
  Sample s("zeros");
  DbView *v = s.table("z[a:I,b:I,c:S]");
  dbapi_row_free(dbapi_row(v, 1999999));
  s.view("z[a:I,b:I,c:S]", Rows(2000000));
  dbapi_view_free(v);
  s.finish();
}

// Restructured after rows were written, several views, one without fields.
void shapes() {
  Sample s("shapes");
  DbView *p = s.table("p[a:I,b:S,c:D]");
  Rows m;
  for (size_t r = 0; r < 5; r++) {
    put_num(p, r, 0, (double)r * 3);
    put_str(p, r, 1, "b" + std::to_string(r));
    put_num(p, r, 2, r * 0.5);
    m.push_back({dbc_double(r * 0.5), std::to_string(r * 3), dbc_float(0)});
  }
  dbapi_view_free(p);
  p = s.table("p[c:D,a:I,n:F]");
  dbapi_view_free(p);
  s.view("p[c:D,a:I,n:F]", m);
  DbView *e = s.table("e[]");
  dbapi_row_free(dbapi_row(e, 2));
  s.view("e[]", Rows(3));
  dbapi_view_free(e);
  DbView *n = s.table("none[x:S]");
  s.view("none[x:S]", Rows());
  dbapi_view_free(n);
  s.finish();
}

// Commits that add to the file rather than rewrite it: a view that does not
// change keeps the file large, the other one gets a value changed per
// commit (the later ones patch spare copies), strings of the same and of
// another length, rows deleted one at a time, a nested value, a field and
// a view added. Each stage is written out as it stands (NAME.mk is the
// last); changes_cut.mk is the last commit cut off halfway through the
// bytes it added, the header still giving the length before it, which must
// read as the stage before.
void changes() {
  Sample s("changes");
  DbView *big = s.table("big[z:S]");
  Rows bm;
  for (size_t r = 0; r < 2000; r++) {
    std::string z = "unchanged text " + std::to_string(r);
    put_str(big, r, 0, z);
    bm.push_back({dbc_hex(z)});
  }
  dbapi_view_free(big);
  const char *desc = "c[s:S,n:I,d:D,sub[x:I]]";
  DbView *v = s.table(desc);
  struct M {
    std::string s;
    int32_t n;
    double d;
    std::vector<int32_t> sub;
  };
  std::vector<M> m;
  for (size_t r = 0; r < 200; r++) {
    M x{"w" + std::to_string(1000 + r), (int32_t)(r % 50), r * 0.25, {}};
    put_str(v, r, 0, x.s);
    put_num(v, r, 1, x.n);
    put_num(v, r, 2, x.d);
    if (r % 3 == 0) {
      DbView *sv = sub_view(v, r, 3);
      x.sub = {(int32_t)r, 7};
      for (size_t q = 0; q < x.sub.size(); q++) put_num(sv, q, 0, x.sub[q]);
      dbapi_view_free(sv);
    }
    m.push_back(x);
  }
  bool e = false;
  auto text = [&]() {
    Rows rows;
    for (const M &x : m) {
      Rows sm;
      for (int32_t q : x.sub) sm.push_back({std::to_string(q)});
      rows.push_back({dbc_hex(x.s), std::to_string(x.n), dbc_double(x.d), rows_text(sm)});
      if (e) rows.back().push_back(std::to_string(x.n == 49 ? 1 : 0));
    }
    std::string t = "big[z:S]=" + rows_text(bm) + "\n" + (e ? "c[s:S,n:I,d:D,sub[x:I],e:I]=" : "c[s:S,n:I,d:D,sub[x:I]]=") + rows_text(rows) + "\n";
    if (e) t += "u[k:I]=[0;0;12]\n";
    return t;
  };
  char err[300];
  std::string before, last, prevtext;
  auto stage = [&](int k) {
    before = last;
    prevtext = s.expect;
    s.expect = text();
    if (!dbapi_commit(s.st, 0, err, sizeof err)) s.fail(err);
    FILE *f = fopen(s.path().c_str(), "rb");
    last.clear();
    int c;
    while (f && (c = fgetc(f)) != EOF) last += (char)c;
    if (f) fclose(f);
    std::string name = dir + "/changes_" + std::to_string(k);
    f = fopen((name + ".mk").c_str(), "wb");
    if (f) fwrite(last.data(), 1, last.size(), f), fclose(f);
    f = fopen((name + ".txt").c_str(), "wb");
    if (f) fwrite(s.expect.data(), 1, s.expect.size(), f), fclose(f);
  };
  stage(0);
  for (int k = 1; k <= 3; k++) {
    size_t r = (size_t)(k * 37);
    m[r].n = 40 + k;
    put_num(v, r, 1, m[r].n);
    m[r + 1].d = -k * 1.5;
    put_num(v, r + 1, 2, m[r + 1].d);
    m[r + 2].s = "x" + std::to_string(2000 + k);
    put_str(v, r + 2, 0, m[r + 2].s);
    stage(k);
  }
  m[5].s = "a longer string";
  put_str(v, 5, 0, m[5].s);
  for (size_t r = 0; r < 60; r++) {
    m.erase(m.begin() + (ptrdiff_t)r);
    dbapi_del(v, r, 1);
  }
  stage(4);
  for (size_t r = 0; r < m.size(); r++)
    if (!m[r].sub.empty()) {
      m[r].sub[1] = 99;
      DbView *sv = sub_view(v, r, 3);
      put_num(sv, 1, 0, 99);
      dbapi_view_free(sv);
      break;
    }
  stage(5);
  dbapi_addfield(v, "e", 'I', err, sizeof err);
  e = true;
  for (size_t r = 0; r < m.size(); r++)
    if (m[r].n == 49) put_num(v, r, 4, 1);
  DbView *u = s.table("u[k:I]");
  put_num(u, 2, 0, 12);
  dbapi_view_free(u);
  stage(6);
  if (last.size() <= before.size() + 2) return s.fail("the last commit added nothing");
  std::string cut = last.substr(0, before.size() + (last.size() - before.size()) / 2);
  memcpy(&cut[4], &before[4], 4);
  FILE *f = fopen((dir + "/changes_cut.mk").c_str(), "wb");
  if (f) fwrite(cut.data(), 1, cut.size(), f), fclose(f);
  f = fopen((dir + "/changes_cut.txt").c_str(), "wb");
  if (f) fwrite(prevtext.data(), 1, prevtext.size(), f), fclose(f);
  dbapi_view_free(v);
  s.finish();
}

// A storage behind 1000 bytes of another file, changed and committed.
void appended() {
  std::string path = dir + "/appended.mk";
  {
    Sample s("appended");
    DbView *v = s.table("a[k:S,n:I]");
    put_str(v, 0, 0, "one");
    put_num(v, 0, 1, 1);
    dbapi_view_free(v);
    s.finish();
  }
  FILE *f = fopen(path.c_str(), "rb");
  std::string body;
  int c;
  while (f && (c = fgetc(f)) != EOF) body += (char)c;
  if (f) fclose(f);
  std::string before(1000, 'x');
  for (size_t k = 0; k < before.size(); k++) before[k] = (char)(k * 13 + 5);
  f = fopen(path.c_str(), "wb");
  if (f) {
    fwrite(before.data(), 1, before.size(), f);
    fwrite(body.data(), 1, body.size(), f);
    fclose(f);
  }
  char err[300];
  DbStorage *st = dbapi_open(path.c_str(), err, sizeof err);
  if (!st) {
    fprintf(stderr, "appended: %s\n", err);
    failures++;
    return;
  }
  DbView *v = dbapi_view_at(st, 1);
  put_str(v, 1, 0, "two");
  put_num(v, 1, 1, 2);
  dbapi_view_free(v);
  if (!dbapi_commit(st, 0, err, sizeof err)) failures++;
  dbapi_close(st);
  std::string rows = rows_text({{dbc_hex("one"), "1"}, {dbc_hex("two"), "2"}});
  f = fopen((dir + "/appended.txt").c_str(), "wb");
  if (f) {
    std::string t = "a[k:S,n:I]=" + rows + "\n";
    fwrite(t.data(), 1, t.size(), f);
    fclose(f);
  }
  f = fopen(path.c_str(), "rb");
  std::string now;
  while (f && (c = fgetc(f)) != EOF) now += (char)c;
  if (f) fclose(f);
  if (now.compare(0, before.size(), before) != 0) {
    fprintf(stderr, "appended: the bytes before the storage changed\n");
    failures++;
  }
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: db_samples FOLDER\n");
    return 2;
  }
  dir = argv[1];
  people();
  widths();
  mixed();
  tree();
  zeros();
  shapes();
  changes();
  appended();
  return failures ? 1 : 0;
}
