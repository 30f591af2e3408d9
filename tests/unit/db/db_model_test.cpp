// Random operations on a view, checked against a plain vector of rows, with
// commits and reopening along the way.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "data/db/dbops.h"
#include "db_util.h"

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

}  // namespace
