// Commits that add to the file. One cut short at any of its file
// operations, or anywhere in the bytes it adds, leaves the old content and
// a storage that commits again; changed values go into spare copies of
// their columns; a file that would be mostly free space is rewritten whole;
// a file changed by another program, or ending in bytes a cut commit left,
// is handled.
#include <gtest/gtest.h>

#include <cstring>

#include "data/db/dbapi_int.h"
#include "data/db/dbio.h"
#include "data/db/dbwrite.h"
#include "tests/unit/db/db_util.h"

namespace {

// These tests commit thousands of times; flushing to disk would make them
// wait on a busy disk without checking anything (the flushes still count
// as steps). One test below flushes for real.
class SkipSync : public ::testing::Environment {
 public:
  void SetUp() override { dbio_skip_sync(1); }
  void TearDown() override { dbio_skip_sync(0); }
};
::testing::Environment *const skip_sync = ::testing::AddGlobalTestEnvironment(new SkipSync);

const char *DESC = "t[s:S,n:I,f:F,d:D,sub[x:I,y:S]]";

void set_num(DbView *v, size_t r, int k, double x) {
  DbRow *row = dbapi_row(v, r);
  dbapi_set_num(row, k, x);
  dbapi_row_free(row);
}

void set_str(DbView *v, size_t r, int k, const std::string &s) {
  DbRow *row = dbapi_row(v, r);
  dbapi_set_str(row, k, s.data(), s.size());
  dbapi_row_free(row);
}

DbView *sub_of(DbView *v, size_t r, int k) {
  DbRow *row = dbapi_row(v, r);
  DbView *s = dbapi_get_view(row, k, nullptr, 0);
  dbapi_row_free(row);
  return s;
}

void commit(DbStorage *st) {
  char err[300];
  ASSERT_TRUE(dbapi_commit(st, 0, err, sizeof err)) << err;
}

size_t file_size(const std::string &name) { return dbt_load(name).size(); }

// ---- storages and changes of the scenarios

typedef DbStorage *(*Setup)(const std::string &name);
typedef void (*Change)(DbStorage *st);

// Forty rows of every kind, some with nested rows, committed (written whole).
DbStorage *small(const std::string &name) {
  char err[300];
  DbStorage *st = dbapi_open(name.c_str(), err, sizeof err);
  DbView *v = dbapi_table(st, DESC, err, sizeof err);
  for (size_t r = 0; r < 40; r++) {
    set_str(v, r, 0, "row" + std::to_string(r));
    set_num(v, r, 1, (double)r * 3);
    set_num(v, r, 2, r * 0.5);
    set_num(v, r, 3, r * 1.25);
    if (r % 4) continue;
    DbView *sub = sub_of(v, r, 4);
    for (size_t q = 0; q < r / 8 + 1; q++) {
      set_num(sub, q, 0, (double)(r + q));
      set_str(sub, q, 1, "y" + std::to_string(q));
    }
    dbapi_view_free(sub);
  }
  dbapi_view_free(v);
  commit(st);
  return st;
}

// The small storage beside a view that does not change and takes most of
// the file, so that rewriting all of the first view is a small part of it.
DbStorage *base(const std::string &name) {
  DbStorage *st = small(name);
  char err[300];
  DbView *v = dbapi_table(st, "big[z:S]", err, sizeof err);
  for (size_t r = 0; r < 300; r++) set_str(v, r, 0, "text of row " + std::to_string(r));
  dbapi_view_free(v);
  commit(st);
  return st;
}

// The base after commits that leave spare copies of n, d and s (the
// storage stays open: spares are not known to a storage opened anew).
DbStorage *spared(const std::string &name) {
  DbStorage *st = base(name);
  DbView *v = dbapi_view_at(st, 1);
  set_num(v, 3, 1, 5);
  commit(st);
  set_num(v, 7, 3, 2.5);
  set_str(v, 2, 0, "wor2");
  commit(st);
  dbapi_view_free(v);
  return st;
}

// The base closed, then the file grown by bytes a cut commit left.
DbStorage *leftover(const std::string &name) {
  dbapi_close(base(name));
  DbBytes b = dbt_load(name);
  for (int k = 0; k < 300; k++) b.push_back((uint8_t)(k * 7));
  dbt_save(name, b);
  char err[300];
  return dbapi_open(name.c_str(), err, sizeof err);
}

void one_value(DbStorage *st) {
  DbView *v = dbapi_view_at(st, 1);
  set_num(v, 5, 1, 77);
  dbapi_view_free(v);
}

// n, d and s patched; f written whole for the first time.
void patches(DbStorage *st) {
  DbView *v = dbapi_view_at(st, 1);
  set_num(v, 9, 1, 6);
  set_num(v, 1, 3, 3.5);
  set_str(v, 4, 0, "wor4");
  set_num(v, 2, 2, 9);
  dbapi_view_free(v);
}

// A nested value, a field added, a new view.
void shapes(DbStorage *st) {
  char err[300];
  DbView *v = dbapi_view_at(st, 1);
  DbView *sub = sub_of(v, 4, 4);
  set_str(sub, 1, 1, "deep");
  dbapi_view_free(sub);
  dbapi_addfield(v, "e", 'I', err, sizeof err);
  set_num(v, 0, 5, 1);
  dbapi_view_free(v);
  DbView *u = dbapi_table(st, "u[k:I]", err, sizeof err);
  set_num(u, 2, 0, 12);
  dbapi_view_free(u);
}

// Rows deleted one at a time, and a string of another length.
void deletes(DbStorage *st) {
  DbView *v = dbapi_view_at(st, 1);
  dbapi_del(v, 3, 1);
  dbapi_del(v, 10, 2);
  set_str(v, 6, 0, "a longer string");
  dbapi_view_free(v);
}

// Every value: the whole storage changes, so the file is rewritten.
void everything(DbStorage *st) {
  DbView *v = dbapi_view_at(st, 1);
  for (size_t r = 0; r < 40; r++) {
    set_str(v, r, 0, "other" + std::to_string(r * 7));
    set_num(v, r, 1, (double)r * 11);
    set_num(v, r, 2, r * 0.25);
    set_num(v, r, 3, r * 2.5);
  }
  dbapi_view_free(v);
}

// A later change, committed after whatever the last commit left.
void later(DbStorage *st) {
  DbView *v = dbapi_view_at(st, 1);
  set_num(v, 0, 1, 1234);
  dbapi_view_free(v);
}

struct Scenario {
  const char *name;
  Setup setup;
  Change change;
  int minsteps;  // file operations of the commit at least
};

const Scenario SCENARIOS[] = {
    // open, check the tails, flush the header, add, flush, tails, flush,
    // header, close
    {"one", base, one_value, 8},
    {"patches", spared, patches, 12},
    {"shapes", spared, shapes, 8},
    {"deletes", spared, deletes, 8},
    // a temporary file: create, write, flush, close, rename
    {"everything", small, everything, 5},
    // open, check, cut short, flush, then as "one"
    {"leftover", leftover, one_value, 10},
};

// ---- the tests

// Makes the scenario's storage afresh: old, the content of its file before
// the change; want, the content in memory after it.
DbStorage *prepare(const std::string &name, const Scenario &sc, std::string &old, std::string &want) {
  remove(name.c_str());
  remove((name + ".tmp").c_str());
  DbStorage *st = sc.setup(name);
  old = dbt_content(name);
  sc.change(st);
  want = dbt_views(st);
  return st;
}

TEST(DbChange, EveryFailingStepLeavesOldOrNewContent) {
  for (const Scenario &sc : SCENARIOS) {
    std::string name = dbt_tmpname(sc.name), old, want;
    char err[300];
    DbStorage *st = prepare(name, sc, old, want);
    ASSERT_NE(old, want) << sc.name;
    dbio_fail_at(0);
    ASSERT_TRUE(dbapi_commit(st, 0, err, sizeof err)) << err;
    int steps = dbio_steps();
    dbapi_close(st);
    EXPECT_GE(steps, sc.minsteps) << sc.name;
    for (int step = 1; step <= steps; step++) {
      SCOPED_TRACE(std::string(sc.name) + " step " + std::to_string(step));
      st = prepare(name, sc, old, want);
      dbio_fail_at(step);
      int ok = dbapi_commit(st, 0, err, sizeof err);
      dbio_fail_at(0);
      EXPECT_EQ(dbt_content(name), ok ? want : old) << err;
      EXPECT_EQ(fopen((name + ".tmp").c_str(), "rb"), nullptr);
      // The storage commits again, and then once more after a later change.
      EXPECT_TRUE(dbapi_commit(st, 0, err, sizeof err)) << err;
      EXPECT_EQ(dbt_content(name), want);
      later(st);
      want = dbt_views(st);
      EXPECT_TRUE(dbapi_commit(st, 0, err, sizeof err)) << err;
      EXPECT_EQ(dbt_content(name), want);
      dbapi_close(st);
    }
  }
}

// A commit killed anywhere while adding its bytes: the file ends somewhere
// in them, and its header still gives the old length (written last).
TEST(DbChange, ACutAnywhereInTheAddedBytesLeavesTheOldContent) {
  for (const Scenario &sc : SCENARIOS) {
    if (sc.change == everything) continue;  // a rewrite: covered by the rename
    SCOPED_TRACE(sc.name);
    std::string name = dbt_tmpname(sc.name), old, want;
    DbStorage *st = prepare(name, sc, old, want);
    DbBytes before = dbt_load(name);
    commit(st);
    dbapi_close(st);
    DbBytes after = dbt_load(name);
    if (sc.setup == leftover) before.resize(before.size() - 300);  // cut off at the commit's start
    ASSERT_GT(after.size(), before.size());
    std::string olddump = dbt_dump_bytes(before), newdump = dbt_dump_bytes(after);
    ASSERT_NE(olddump, newdump);
    ASSERT_EQ(olddump[0], 't');
    for (size_t n = before.size(); n <= after.size(); n++) {
      DbBytes cut(after.begin(), after.begin() + (ptrdiff_t)n);
      memcpy(&cut[4], &before[4], 4);
      ASSERT_EQ(dbt_dump_bytes(cut), n < after.size() ? olddump : newdump) << "cut at " << n;
    }
    EXPECT_EQ(dbt_content(name), want);
  }
}

// Rows of (n:I, d:D, s:S) large enough that a column costs far more than
// the bytes of a catalog and a root walk.
DbStorage *wide(const std::string &name, DbView *&v) {
  char err[300];
  DbStorage *st = dbapi_open(name.c_str(), err, sizeof err);
  v = dbapi_table(st, "w[n:I,d:D,s:S]", err, sizeof err);
  for (size_t r = 0; r < 20000; r++) {
    set_num(v, r, 0, (double)(r % 100));
    set_num(v, r, 1, r * 0.5);
    set_str(v, r, 2, "s" + std::to_string(r % 1000 + 1000));
  }
  commit(st);
  return st;
}

TEST(DbChange, ChangedValuesArePatchedIntoSpareCopies) {
  dbio_skip_sync(0);
  std::string name = dbt_tmpname("patch");
  DbView *v;
  DbStorage *st = wide(name, v);
  size_t size = file_size(name);
  // The first change of a column adds it whole; the one it replaces
  // becomes its spare.
  set_num(v, 10, 0, 7);
  set_num(v, 11, 1, 7.5);
  set_str(v, 12, 2, "t1234");
  commit(st);
  size_t grown = file_size(name) - size;
  EXPECT_GT(grown, 20000u + 160000u + 100000u);
  // Later changes rewrite a few bytes of the spares: only a catalog, a root
  // walk and tails are added.
  for (int k = 0; k < 5; k++) {
    size = file_size(name);
    set_num(v, 100 + 1000 * (size_t)k, 0, k);
    set_num(v, 200 + 3000 * (size_t)k, 1, -k * 0.75);
    set_str(v, 300 + 2000 * (size_t)k, 2, "u" + std::to_string(1000 + k));
    if (k == 3) set_num(v, 19999, 0, 99);
    commit(st);
    EXPECT_LT(file_size(name) - size, 100u) << k;
    EXPECT_EQ(dbt_content(name), dbt_views(st)) << k;
  }
  // A value wider than the column's values so far, and a string of another
  // length, make their columns be written whole again.
  size = file_size(name);
  set_num(v, 5, 0, 1e9);
  set_str(v, 6, 2, "longer");
  commit(st);
  EXPECT_GT(file_size(name) - size, 80000u + 100000u);
  EXPECT_EQ(dbt_content(name), dbt_views(st));
  // Nothing changed: nothing is written.
  size = file_size(name);
  commit(st);
  EXPECT_EQ(file_size(name), size);
  dbapi_view_free(v);
  dbapi_close(st);
  dbio_skip_sync(1);
}

TEST(DbChange, MostlyFreeFilesAreRewrittenAndFullFlushesCompact) {
  std::string name = dbt_tmpname("compact");
  DbView *v;
  DbStorage *st = wide(name, v);
  size_t whole = file_size(name), biggest = 0, smallest = whole * 10;
  // Each round moves every row (a row deleted, one added), so every column
  // is written whole and the copies before become free space.
  for (int k = 0; k < 12; k++) {
    dbapi_del(v, 0, 1);
    set_num(v, 19999, 0, k);
    commit(st);
    size_t n = file_size(name);
    biggest = std::max(biggest, n);
    if (k > 0) smallest = std::min(smallest, n);
  }
  EXPECT_LT(biggest, whole * 5 / 2);
  EXPECT_LT(smallest, whole * 3 / 2);  // it was rewritten along the way
  EXPECT_EQ(dbt_content(name), dbt_views(st));
  char err[300];
  ASSERT_TRUE(dbapi_commit(st, 1, err, sizeof err)) << err;
  DbBytes compact;
  std::string e;
  ASSERT_TRUE(dbwrite_storage(st->root.get(), compact, e)) << e;
  EXPECT_EQ(dbt_load(name), compact);
  dbapi_view_free(v);
  dbapi_close(st);
}

TEST(DbChange, AFileChangedByAnotherProgramIsRewrittenWhole) {
  std::string name = dbt_tmpname("other");
  DbStorage *st = base(name);
  one_value(st);
  std::string want = dbt_views(st);
  // Another writer commits its own change in the meantime.
  char err[300];
  DbStorage *other = dbapi_open(name.c_str(), err, sizeof err);
  DbView *ov = dbapi_view_at(other, 1);
  for (int k = 0; k < 50; k++) set_num(ov, 50 + (size_t)k, 1, k);
  dbapi_view_free(ov);
  commit(other);
  dbapi_close(other);
  commit(st);
  EXPECT_EQ(dbt_content(name), want);
  DbBytes compact;
  std::string e;
  ASSERT_TRUE(dbwrite_storage(st->root.get(), compact, e)) << e;
  EXPECT_EQ(dbt_load(name), compact);
  dbapi_close(st);
}

// Places read from a file whose columns share bytes cannot be trusted for
// patching: the first commit rewrites it.
TEST(DbChange, AFileWithOverlappingColumnsIsRewrittenWhole) {
  // The view's two integer columns refer to the same bytes.
  DbBytes f = {'J', 'L', 0x1A, 0, 0, 0, 0, 0, 1, 2, 3};
  DbBytes cat;
  for (int v : {0, 3, 3, 8, 3, 8}) dbfmt_put_varint(cat, v);
  size_t catpos = f.size();
  f.insert(f.end(), cat.begin(), cat.end());
  std::string desc = "t[a:I,b:I]";
  size_t root = f.size();
  dbfmt_put_varint(f, 0);
  dbfmt_put_varint(f, (int32_t)desc.size());
  f.insert(f.end(), desc.begin(), desc.end());
  dbfmt_put_varint(f, 1);
  dbfmt_put_varint(f, (int32_t)cat.size());
  dbfmt_put_varint(f, (int32_t)catpos);
  size_t rootlen = f.size() - root, tail = f.size();
  dbfmt_put_be32(f, 0x80000000u);
  dbfmt_put_be32(f, (uint32_t)tail);
  dbfmt_put_be32(f, 0x80000000u | (uint32_t)rootlen);
  dbfmt_put_be32(f, (uint32_t)root);
  std::string name = dbt_tmpname("overlap");
  dbt_save(name, f);
  EXPECT_EQ(dbt_content(name), "(1,1)(2,2)(3,3);");
  char err[300];
  DbStorage *st = dbapi_open(name.c_str(), err, sizeof err);
  ASSERT_NE(st, nullptr) << err;
  EXPECT_FALSE(st->placed);
  DbView *v = dbapi_view_at(st, 1);
  for (int k = 0; k < 3; k++) {
    set_num(v, 1, 0, 9 + k);  // the spare would be b's bytes
    commit(st);
    EXPECT_EQ(dbt_content(name), "(1,1)(" + std::to_string(9 + k) + ",2)(3,3);");
  }
  dbapi_view_free(v);
  dbapi_close(st);
}

}  // namespace
