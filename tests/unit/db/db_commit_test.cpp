// Commit: atomic replacement under injected failures, in-memory storages,
// and a round trip at scale.
#include <gtest/gtest.h>

#include "data/db/dbio.h"
#include "tests/unit/db/db_util.h"

namespace {

void fill(DbStorage *st, const char *desc, int from, int n) {
  char err[200];
  DbView *v = dbapi_table(st, desc, err, sizeof err);
  ASSERT_NE(v, nullptr) << err;
  for (int k = 0; k < n; k++) {
    DbRow *r = dbapi_row(v, (size_t)k);
    char s[32];
    snprintf(s, sizeof s, "row%d", from + k);
    dbapi_set_str(r, 0, s, strlen(s));
    dbapi_set_num(r, 1, from + k);
    dbapi_row_free(r);
  }
  dbapi_view_free(v);
}

std::string content(const std::string &name) { return dbt_content(name); }

// A commit asked to rewrite the file whole; commits that add to it are
// tested in db_change_test.cpp.
TEST(DbCommit, EveryFailingStepOfARewriteLeavesOldOrNewContent) {
  std::string name = dbt_tmpname("crash");
  char err[200];
  DbStorage *st = dbapi_open(name.c_str(), err, sizeof err);
  fill(st, "t[s,n:I]", 0, 50);
  ASSERT_TRUE(dbapi_commit(st, 0, err, sizeof err));
  std::string old = content(name);
  fill(st, "t[s,n:I]", 1000, 80);
  fill(st, "u[s,n:I]", 5, 3);
  int steps = 0;
  for (int step = 1;; step++) {
    dbio_fail_at(step);
    int ok = dbapi_commit(st, 1, err, sizeof err);
    steps = dbio_steps();
    dbio_fail_at(0);
    std::string now = content(name);
    if (ok) {
      EXPECT_NE(now, old);
      break;
    }
    EXPECT_EQ(now, old) << "step " << step << ": " << err;
    EXPECT_EQ(fopen((name + ".tmp").c_str(), "rb"), nullptr);
  }
  EXPECT_GE(steps, 5);  // create, write, flush, close, rename
  std::string fresh = content(name);
  EXPECT_NE(fresh.find("'row1079',1079"), std::string::npos);
  dbapi_close(st);
}

TEST(DbCommit, FailedFirstCommitLeavesNoFile) {
  std::string name = dbt_tmpname("first");
  char err[200];
  DbStorage *st = dbapi_open(name.c_str(), err, sizeof err);
  fill(st, "t[s,n:I]", 0, 120000);  // more than one write
  for (int step = 1;; step++) {
    dbio_fail_at(step);
    int ok = dbapi_commit(st, 0, err, sizeof err);
    dbio_fail_at(0);
    FILE *f = fopen(name.c_str(), "rb");
    if (f) fclose(f);
    if (ok) {
      EXPECT_GE(step, 7);  // create, two writes, flush, close, rename
      EXPECT_NE(f, nullptr);
      break;
    }
    EXPECT_EQ(f, nullptr) << "step " << step;
    EXPECT_EQ(content(name), "");
  }
  EXPECT_NE(content(name).find("('row119999',119999);"), std::string::npos);
  dbapi_close(st);
}

// Nests views n levels deep below the top-level view "t" of a new storage,
// with a row at every level.
std::string nest(int levels) {
  std::string name = dbt_tmpname("deep");
  char err[200];
  DbStorage *st = dbapi_open(name.c_str(), err, sizeof err);
  DbView *v = dbapi_table(st, "t[x:I,kids[^]]", err, sizeof err);
  for (int k = 0; k <= levels; k++) {
    DbRow *r = dbapi_row(v, 0);
    dbapi_set_num(r, 0, k);
    DbView *sub = k < levels ? dbapi_get_view(r, 1, err, sizeof err) : nullptr;
    dbapi_row_free(r);
    dbapi_view_free(v);
    v = sub;
    if (k < levels && !v) {
      dbapi_close(st);
      return std::string("!") + err;
    }
  }
  int ok = dbapi_commit(st, 0, err, sizeof err);
  dbapi_close(st);
  return ok ? content(name) : std::string("!") + err;
}

TEST(DbCommit, NestingDepthIsBoundedAlike) {
  std::string ok = nest(199);  // with the top level, 200 levels of views
  EXPECT_EQ(ok.substr(0, 6), "(0,[(1");
  EXPECT_NE(ok.find("(199,[!])"), std::string::npos);
  EXPECT_EQ(nest(200), "!views are nested more than 200 levels deep");
}

TEST(DbCommit, MemoryStorageWritesNothing) {
  DbStorage *st = dbapi_open(nullptr, nullptr, 0);
  fill(st, "t[s,n:I]", 0, 3);
  dbio_fail_at(1);  // any file operation would fail
  char err[200];
  EXPECT_TRUE(dbapi_commit(st, 0, err, sizeof err));
  EXPECT_EQ(dbio_steps(), 0);
  dbio_fail_at(0);
  dbapi_close(st);
}

TEST(DbCommit, UnwritablePathGivesAMessage) {
  char err[300];
  DbStorage *st = dbapi_open("no/such/dir/x.mk", err, sizeof err);
  ASSERT_NE(st, nullptr);  // a new storage until its first commit
  fill(st, "t[s,n:I]", 0, 1);
  EXPECT_FALSE(dbapi_commit(st, 0, err, sizeof err));
  EXPECT_EQ(std::string(err).rfind("cannot write no/such/dir/x.mk: cannot create", 0), 0u) << err;
  dbapi_close(st);
}

TEST(DbCommit, MillionRowsRoundTrip) {
#ifdef _WIN32
  const int n = 200000;
#else
  const int n = 1000000;
#endif
  std::string name = dbt_tmpname("big");
  char err[200];
  DbStorage *st = dbapi_open(name.c_str(), err, sizeof err);
  DbView *v = dbapi_table(st, "big[s:S,i:I,d:D]", err, sizeof err);
  for (int k = 0; k < n; k++) {
    DbRow *r = dbapi_row(v, (size_t)k);
    char s[32];
    int len = snprintf(s, sizeof s, "name%d", (int)((k * 7919LL) % n));
    dbapi_set_str(r, 0, s, (size_t)len);
    dbapi_set_num(r, 1, k % 1000 - 500);
    dbapi_set_num(r, 2, k * 0.5);
    dbapi_row_free(r);
  }
  ASSERT_TRUE(dbapi_commit(st, 0, err, sizeof err)) << err;
  dbapi_view_free(v);
  dbapi_close(st);
  st = dbapi_open(name.c_str(), err, sizeof err);
  ASSERT_NE(st, nullptr) << err;
  v = dbapi_view_at(st, 1);
  ASSERT_EQ(dbapi_size(v), (size_t)n);
  int key = 1;
  DbView *s = dbapi_sort(v, &key, 1);
  DbValue a, b;
  bool ordered = true;
  DbRow *prev = dbapi_row(s, 0);
  for (size_t k = 1; k < (size_t)n && ordered; k += 997) {
    DbRow *r = dbapi_row(s, k);
    dbapi_get(prev, 0, &a);
    dbapi_get(r, 0, &b);
    ordered = a.num <= b.num;
    dbapi_row_free(prev);
    prev = r;
  }
  dbapi_row_free(prev);
  EXPECT_TRUE(ordered);
  DbRow *c = dbapi_crit(v);
  dbapi_set_num(c, 1, 17);
  DbView *sel = dbapi_select(v, c);
  EXPECT_EQ(dbapi_size(sel), (size_t)n / 1000);
  dbapi_set_str(c, 0, "NAME7919", 8);
  EXPECT_EQ(dbapi_find(v, c), -1);  // row 1 has i = -499
  dbapi_row_free(c);
  c = dbapi_crit(v);
  dbapi_set_str(c, 0, "NAME7919", 8);
  EXPECT_EQ(dbapi_find(v, c), 1);
  DbRow *last = dbapi_row(v, (size_t)n - 1);
  dbapi_get(last, 2, &a);
  EXPECT_EQ(a.num, (n - 1) * 0.5);
  dbapi_row_free(last);
  dbapi_row_free(c);
  dbapi_view_free(sel);
  dbapi_view_free(s);
  dbapi_view_free(v);
  dbapi_close(st);
  remove(name.c_str());
}

}  // namespace
