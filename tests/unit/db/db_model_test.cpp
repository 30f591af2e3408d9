// Random operations on a view, checked against a plain vector of rows, with
// commits and reopening along the way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "data/db/dbops.h"
#include "tests/unit/db/db_util.h"

namespace {

struct Rec {
  std::string s;
  int n;
};

std::string model_dump(const std::vector<Rec> &rows) {
  std::string o;
  for (const Rec &r : rows) o += "('" + r.s + "'," + std::to_string(r.n) + ")";
  return o;
}

bool model_less(const Rec &a, const Rec &b) {
  int d = dbops_cmp_text(a.s, b.s);
  return d ? d < 0 : a.n < b.n;
}

TEST(DbModel, RandomOperationsMatchAPlainVector) {
  std::mt19937 rng(2024);
  std::string name = dbt_tmpname("model");
  char err[300];
  DbStorage *st = dbapi_open(name.c_str(), err, sizeof err);
  DbView *v = dbapi_table(st, "t[s:S,n:I]", err, sizeof err);
  std::vector<Rec> model;
  const char *words[] = {"", "a", "B", "b", "_", "abc", "ABD", "zz"};
  for (int step = 0; step < 3000; step++) {
    int op = (int)(rng() % 10);
    if (op < 5) {
      size_t i = rng() % (model.size() + 3);
      Rec rec{words[rng() % 8], (int)(rng() % 7) - 3};
      if (i >= model.size()) model.resize(i + 1, Rec{"", 0});
      model[i] = rec;
      DbRow *r = dbapi_row(v, i);
      dbapi_set_str(r, 0, rec.s.data(), rec.s.size());
      dbapi_set_num(r, 1, rec.n);
      dbapi_row_free(r);
    } else if (op < 7 && !model.empty()) {
      size_t at = rng() % model.size(), count = 1 + rng() % 3;
      size_t end = std::min(model.size(), at + count);
      model.erase(model.begin() + (ptrdiff_t)at, model.begin() + (ptrdiff_t)end);
      dbapi_del(v, at, count);
    } else if (op == 7) {
      std::vector<Rec> sorted = model;
      std::stable_sort(sorted.begin(), sorted.end(), model_less);
      DbView *s = dbapi_sort(v, nullptr, 0);
      ASSERT_EQ(dbt_dump_view(s), model_dump(sorted)) << "step " << step;
      dbapi_view_free(s);
    } else if (op == 8) {
      int n = (int)(rng() % 7) - 3;
      std::vector<Rec> sel;
      for (const Rec &r : model)
        if (r.n == n) sel.push_back(r);
      DbRow *c = dbapi_crit(v);
      dbapi_set_num(c, 1, n);
      DbView *s = dbapi_select(v, c);
      ASSERT_EQ(dbt_dump_view(s), model_dump(sel)) << "step " << step;
      dbapi_view_free(s);
      dbapi_row_free(c);
    } else if (op == 9 && step % 3 == 0) {
      ASSERT_TRUE(dbapi_commit(st, 0, err, sizeof err)) << err;
      dbapi_view_free(v);
      dbapi_close(st);
      st = dbapi_open(name.c_str(), err, sizeof err);
      ASSERT_NE(st, nullptr) << err;
      v = dbapi_view_at(st, 1);
      ASSERT_EQ(dbt_dump_view(v), model_dump(model)) << "step " << step;
    }
    ASSERT_EQ(dbapi_size(v), model.size());
  }
  ASSERT_EQ(dbt_dump_view(v), model_dump(model));
  dbapi_view_free(v);
  dbapi_close(st);
}

// Every kind of value, changed in every way (same-length and other-length
// strings, values wider than their column so far, nested rows, rows
// deleted one at a time and in runs, a field added), committed often (so
// that values go into spare copies) and now and then in full or after
// reopening; the file read anew after each commit, and the view between
// them, must equal a plain model.
struct Sub {
  int32_t x;
  std::string y;
};

struct Typed {
  std::string s;
  int32_t n = 0;
  float f = 0;
  double d = 0;
  std::vector<Sub> sub;
  int32_t e = 0;
};

std::string num(double x) {
  char b[40];
  snprintf(b, sizeof b, "%.17g", x);
  return b;
}

std::string typed_dump(const std::vector<Typed> &rows, bool e) {
  std::string o;
  for (const Typed &r : rows) {
    o += "('" + r.s + "'," + num(r.n) + "," + num(r.f) + "," + num(r.d) + ",[";
    for (const Sub &q : r.sub) o += "(" + num(q.x) + ",'" + q.y + "')";
    o += "]";
    if (e) o += "," + num(r.e);
    o += ")";
  }
  return o;
}

std::string word(std::mt19937 &rng, size_t n) {
  std::string w(n, 'a');
  for (char &c : w) c = (char)('a' + rng() % 26);
  return w;
}

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

void typed_run(unsigned seed) {
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  std::string name = dbt_tmpname("typed");
  char err[300];
  DbStorage *st = dbapi_open(name.c_str(), err, sizeof err);
  DbView *v = dbapi_table(st, "m[s:S,n:I,f:F,d:D,sub[x:I,y:S]]", err, sizeof err);
  std::vector<Typed> model, saved;
  bool e = false, saved_e = false;
  int commits = 0, small = 0;
  for (int step = 0; step < 2500; step++) {
    int op = (int)(rng() % 40);
    if (op < 26) {
      size_t r = rng() % (model.size() + 2);
      if (r >= model.size()) model.resize(r + 1);
      Typed &t = model[r];
      switch (rng() % (e ? 6 : 5)) {
        case 0:
          t.s = rng() % 3 ? word(rng, t.s.size()) : word(rng, rng() % 9);
          put_str(v, r, 0, t.s);
          break;
        case 1:
          t.n = rng() % 20 ? (int32_t)(rng() % 101) - 50 : (int32_t)(rng() % 2000001) - 1000000;
          put_num(v, r, 1, t.n);
          break;
        case 2:
          t.f = (float)((int)(rng() % 41) - 20) * 0.5f;
          put_num(v, r, 2, t.f);
          break;
        case 3:
          t.d = std::ldexp((double)(int32_t)rng(), (int)(rng() % 40) - 20);
          put_num(v, r, 3, t.d);
          break;
        case 4: {
          DbRow *row = dbapi_row(v, r);
          DbView *sub = dbapi_get_view(row, 4, nullptr, 0);
          dbapi_row_free(row);
          size_t q = rng() % (t.sub.size() + 1);
          if (q == t.sub.size()) t.sub.push_back(Sub{0, ""});
          if (rng() % 2) {
            t.sub[q].x = (int32_t)(rng() % 1000);
            put_num(sub, q, 0, t.sub[q].x);
          } else {
            t.sub[q].y = word(rng, rng() % 2 ? t.sub[q].y.size() : rng() % 6);
            put_str(sub, q, 1, t.sub[q].y);
          }
          dbapi_view_free(sub);
          break;
        }
        default:
          t.e = (int32_t)(rng() % 7);
          put_num(v, r, 5, t.e);
      }
    } else if (op < 32 && !model.empty()) {
      size_t at = rng() % model.size(), count = rng() % 4 ? 1 : 1 + rng() % 30;
      size_t end = std::min(model.size(), at + count);
      model.erase(model.begin() + (ptrdiff_t)at, model.begin() + (ptrdiff_t)end);
      dbapi_del(v, at, count);
    } else if (op < 38) {
      size_t before = dbt_load(name).size();
      int full = rng() % 15 == 0;
      ASSERT_TRUE(dbapi_commit(st, full, err, sizeof err)) << err;
      size_t after = dbt_load(name).size();
      small += !full && after > before && after - before < 150;
      commits++;
      ASSERT_EQ(dbt_content(name), typed_dump(model, e) + ";") << "step " << step;
      saved = model;
      saved_e = e;
    } else if (op == 38 && rng() % 8 == 0) {
      dbapi_view_free(v);
      dbapi_close(st);
      st = dbapi_open(name.c_str(), err, sizeof err);
      ASSERT_NE(st, nullptr) << err;
      v = dbapi_view_at(st, 1);
      if (!v) v = dbapi_table(st, "m[s:S,n:I,f:F,d:D,sub[x:I,y:S]]", err, sizeof err);
      model = saved;  // what was not committed is gone
      e = saved_e;
    } else if (op == 39 && !e && step > 1000) {
      EXPECT_EQ(dbapi_addfield(v, "e", "I"[0], err, sizeof err), (long)model.size());
      e = true;
    }
    if (step % 10 == 0) {
      ASSERT_EQ(dbt_dump_view(v), typed_dump(model, e)) << "step " << step;
    }
  }
  EXPECT_GT(commits, 200);
  EXPECT_GT(small, commits / 20);  // some commits only patched spare copies
  dbapi_view_free(v);
  dbapi_close(st);
}

TEST(DbModel, TypedChangesCommittedAndReadBack) {
  for (unsigned seed = 1; seed <= 6; seed++) typed_run(seed);
}

}  // namespace

