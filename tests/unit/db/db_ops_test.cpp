// Descriptions, restructuring, and the row operations: sort, select, find,
// delete, growth.
#include <gtest/gtest.h>

#include <cmath>

#include "data/db/dbdesc.h"
#include "data/db/dbops.h"
#include "tests/unit/db/db_util.h"

namespace {

std::string reformat(const char *text) {
  DbSchemaP s;
  std::string err;
  if (!dbdesc_parse(text, strlen(text), s, err)) return "!" + err;
  return dbdesc_format(s.get());
}

TEST(DbDesc, Syntax) {
  EXPECT_EQ(reformat("a[x:i,y,z:d],b[]"), "a[x:I,y:S,z:D],b[]");
  EXPECT_EQ(reformat("tree[name,kids[^]]"), "tree[name:S,kids[^]]");
  EXPECT_EQ(reformat("a[x:I,X:S,m:M]"), "a[x:I,m:B]");  // a repeated name is ignored, M is B
  EXPECT_EQ(reformat(" a [ x : I , y ] "), "a[x:I,y:S]");
  EXPECT_EQ(reformat(""), "");
  EXPECT_EQ(reformat("a[x:Q]"), "!unknown field type (use I, F, D, S, B, L or V)");
  EXPECT_EQ(reformat("a[x"), "!a \"[\" has no matching \"]\"");
  EXPECT_EQ(reformat("a[,x]"), "!a field has no name");
  EXPECT_EQ(reformat("a]"), "!unexpected \"]\" in the description");
  std::string deep(300, '[');
  EXPECT_EQ(reformat(("a" + deep).c_str()).substr(0, 2), "!a");
}

struct Mem {
  DbStorage *st;
  Mem() { st = dbapi_open(nullptr, nullptr, 0); }
  ~Mem() { dbapi_close(st); }
  DbView *table(const char *desc, std::string *msg = nullptr) {
    char err[300] = "";
    DbView *v = dbapi_table(st, desc, err, sizeof err);
    if (msg) *msg = err;
    return v;
  }
};

void row(DbView *v, size_t r, const char *s, double n) {
  DbRow *x = dbapi_row(v, r);
  dbapi_set_str(x, 0, s, strlen(s));
  dbapi_set_num(x, 1, n);
  dbapi_row_free(x);
}

TEST(DbView, RestructureKeepsReordersDefaultsAndDrops) {
  Mem m;
  DbView *v = m.table("p[name:S,age:I,gone:D]");
  row(v, 0, "ann", 41);
  row(v, 1, "bo", 7);
  DbView *w = m.table("P[AGE:I,name,extra:F,kids[x:I]]");
  ASSERT_NE(w, nullptr);
  char desc[200];
  dbapi_describe(m.st, desc, sizeof desc);
  EXPECT_STREQ(desc, "p[age:I,name:S,extra:F,kids[x:I]]");  // first spelling wins
  EXPECT_EQ(dbt_dump_view(w), "(41,'ann',0,[])(7,'bo',0,[])");
  EXPECT_EQ(dbt_dump_view(v), dbt_dump_view(w));  // the same table
  std::string msg;
  EXPECT_EQ(m.table("p[age:S]", &msg), nullptr);
  EXPECT_EQ(msg, "cannot restructure p: field age is of type I and cannot become S");
  EXPECT_EQ(m.table("p[kids[x:D]]", &msg), nullptr);
  EXPECT_EQ(msg, "cannot restructure p: field kids.x is of type I and cannot become D");
  dbapi_describe(m.st, desc, sizeof desc);
  EXPECT_STREQ(desc, "p[age:I,name:S,extra:F,kids[x:I]]");  // refused: unchanged
  DbView *bare = m.table("p");
  EXPECT_EQ(dbt_dump_view(bare), dbt_dump_view(w));
  dbapi_view_free(bare);
  dbapi_view_free(v);
  dbapi_view_free(w);
}

TEST(DbView, TopLevelViewsByNumber) {
  Mem m;
  dbapi_view_free(m.table("a[x:I]"));
  dbapi_view_free(m.table("b[y:S,c[z:I]]"));
  dbapi_view_free(m.table("d[]"));
  const char *want[] = {"x", "y", nullptr};
  for (long i = 1; i <= 3; i++) {
    DbView *v = dbapi_view_at(m.st, i);
    ASSERT_NE(v, nullptr);
    const char *name;
    char type;
    if (want[i - 1]) {
      ASSERT_TRUE(dbapi_field(v, 0, &name, &type));
      EXPECT_STREQ(name, want[i - 1]);
    } else {
      EXPECT_EQ(dbapi_nfields(v), 0);
    }
    dbapi_view_free(v);
  }
  EXPECT_EQ(dbapi_view_at(m.st, 4), nullptr);  // nested c is not counted
  EXPECT_EQ(dbapi_view_at(m.st, 0), nullptr);
}

TEST(DbOps, TextOrderIgnoresCaseAsInTheCLocale) {
  EXPECT_LT(dbops_cmp_text("_x", "alice"), 0);
  EXPECT_EQ(dbops_cmp_text("ALICE", "alice"), 0);
  EXPECT_LT(dbops_cmp_text("al", "alice"), 0);
  EXPECT_GT(dbops_cmp_text("\xE9", "z"), 0);
}

TEST(DbOps, SortAllFieldsIsStable) {
  Mem m;
  DbView *v = m.table("p[name,age:I,b:B]");
  row(v, 0, "bob", 3);
  row(v, 1, "Al", 9);
  row(v, 2, "al", 2);
  row(v, 3, "BOB", 3);
  row(v, 4, "_z", -5);
  DbView *s = dbapi_sort(v, nullptr, 0);
  EXPECT_EQ(dbt_dump_view(s), "('_z',-5,'')('al',2,'')('Al',9,'')('bob',3,'')('BOB',3,'')");
  int key = 1;
  DbView *k = dbapi_sort(v, &key, 1);
  EXPECT_EQ(dbt_dump_view(k), "(-5,'_z','')(2,'al','')(3,'bob','')(3,'BOB','')(9,'Al','')");
  const char *name;
  char type;
  ASSERT_TRUE(dbapi_field(k, 0, &name, &type));
  EXPECT_STREQ(name, "age");
  EXPECT_EQ(dbapi_field_named(k, "NAME", 4), 1);
  dbapi_view_free(s);
  dbapi_view_free(k);
  dbapi_view_free(v);
}

TEST(DbOps, SortComparesNumbersAndNestedViews) {
  Mem m;
  DbView *v = m.table("t[f:F,d:D,l:L,sub[x:I]]");
  double ds[] = {2.5, -1, NAN, -1e300};
  for (size_t r = 0; r < 4; r++) {
    DbRow *x = dbapi_row(v, r);
    dbapi_set_num(x, 0, 1);
    dbapi_set_num(x, 1, ds[r]);
    dbapi_row_free(x);
  }
  DbView *s = dbapi_sort(v, nullptr, 0);
  EXPECT_EQ(dbt_dump_view(s), "(1,-1.0000000000000001e+300,0,[])(1,-1,0,[])(1,2.5,0,[])(1,nan,0,[])");
  dbapi_view_free(s);
  Mem n;
  DbView *w = n.table("t[sub[x:I]]");
  int subs[3][3] = {{2, 1, -1}, {1, 5, -1}, {1, -1, 0}};
  for (size_t r = 0; r < 3; r++) {
    DbRow *x = dbapi_row(w, r);
    DbView *sv = dbapi_get_view(x, 0, nullptr, 0);
    for (size_t q = 0; q < 3 && subs[r][q] >= 0; q++) {
      DbRow *y = dbapi_row(sv, q);
      dbapi_set_num(y, 0, subs[r][q]);
      dbapi_row_free(y);
    }
    dbapi_view_free(sv);
    dbapi_row_free(x);
  }
  s = dbapi_sort(w, nullptr, 0);
  EXPECT_EQ(dbt_dump_view(s), "([(1)])([(1)(5)])([(2)(1)])");
  dbapi_view_free(s);
  dbapi_view_free(w);
  dbapi_view_free(v);
}

TEST(DbOps, SelectFindAndDeleteThroughDerivedViews) {
  Mem m;
  DbView *v = m.table("p[name,age:I]");
  row(v, 0, "ann", 30);
  row(v, 1, "bo", 7);
  row(v, 2, "Ann", 30);
  row(v, 3, "cy", 30);
  DbRow *c = dbapi_crit(v);
  dbapi_set_num(c, 1, 30);
  EXPECT_EQ(dbapi_find(v, c), 0);
  DbView *sel = dbapi_select(v, c);
  EXPECT_EQ(dbt_dump_view(sel), "('ann',30)('Ann',30)('cy',30)");
  dbapi_set_str(c, 0, "ANN", 3);
  DbView *both = dbapi_select(v, c);
  EXPECT_EQ(dbt_dump_view(both), "('ann',30)('Ann',30)");
  dbapi_set_num(c, 1, 31);
  EXPECT_EQ(dbapi_find(v, c), -1);
  dbapi_row_free(c);
  // A write through the selection reaches the table.
  DbRow *r = dbapi_row(sel, 2);
  dbapi_set_str(r, 0, "cyd", 3);
  dbapi_row_free(r);
  EXPECT_EQ(dbt_dump_view(v), "('ann',30)('bo',7)('Ann',30)('cyd',30)");
  // Deleting from the selection removes table rows and renumbers it.
  dbapi_del(sel, 1, 1);
  EXPECT_EQ(dbt_dump_view(v), "('ann',30)('bo',7)('cyd',30)");
  EXPECT_EQ(dbt_dump_view(sel), "('ann',30)('cyd',30)");
  // Rows deleted elsewhere leave every derived view.
  dbapi_del(v, 0, 3);
  EXPECT_EQ(dbt_dump_view(both), "");
  EXPECT_EQ(dbt_dump_view(sel), "");
  // Growing the selection adds rows to the table.
  DbRow *g = dbapi_row(sel, 3);
  dbapi_row_free(g);
  EXPECT_EQ(dbapi_size(sel), 4u);
  EXPECT_EQ(dbapi_size(v), 4u);
  EXPECT_EQ(dbapi_size(both), 0u);
  dbapi_view_free(sel);
  dbapi_view_free(both);
  dbapi_view_free(v);
}

TEST(DbOps, DeletingAWholeSelectionOfManyRows) {
  Mem m;
  DbView *v = m.table("p[name,n:I]");
  for (size_t r = 0; r < 200000; r++) {
    DbRow *x = dbapi_row(v, r);
    dbapi_set_num(x, 1, (double)(r % 2));
    dbapi_row_free(x);
  }
  DbRow *c = dbapi_crit(v);
  dbapi_set_num(c, 1, 1);
  DbView *odd = dbapi_select(v, c);
  DbView *sorted = dbapi_sort(odd, nullptr, 0);
  dbapi_del(sorted, 0, 200000);
  EXPECT_EQ(dbapi_size(sorted), 0u);
  EXPECT_EQ(dbapi_size(v), 100000u);
  EXPECT_EQ(dbapi_find(v, c), -1);
  dbapi_row_free(c);
  dbapi_view_free(sorted);
  dbapi_view_free(odd);
  dbapi_view_free(v);
}

TEST(DbView, GrowDeleteAndFieldWrites) {
  Mem m;
  DbView *v = m.table("t[i:I,f:F,s:S,b:B,l:L]");
  DbRow *r = dbapi_row(v, 4);
  EXPECT_EQ(dbapi_size(v), 5u);
  EXPECT_TRUE(dbapi_set_num(r, 0, 3.9));
  EXPECT_TRUE(dbapi_set_num(r, 1, 1e300));
  EXPECT_FALSE(dbapi_set_num(r, 3, 1));  // B and L take nothing
  EXPECT_FALSE(dbapi_set_num(r, 4, 1));
  EXPECT_FALSE(dbapi_set_num(r, 9, 1));
  EXPECT_TRUE(dbapi_set_str(r, 2, "a\0b", 3));
  DbValue x;
  ASSERT_TRUE(dbapi_get(r, 0, &x));
  EXPECT_EQ(x.num, 3);
  ASSERT_TRUE(dbapi_get(r, 1, &x));
  EXPECT_TRUE(std::isinf(x.num));
  ASSERT_TRUE(dbapi_get(r, 2, &x));
  EXPECT_EQ(std::string(x.str, x.len), "a");
  dbapi_set_num(r, 0, -2.9);
  dbapi_get(r, 0, &x);
  EXPECT_EQ(x.num, -2);
  dbapi_set_num(r, 0, 4294967296.0 + 5);
  dbapi_get(r, 0, &x);
  EXPECT_EQ(x.num, 5);
  dbapi_set_num(r, 0, NAN);
  dbapi_get(r, 0, &x);
  EXPECT_EQ(x.num, 0);
  dbapi_del(v, 0, 100);
  EXPECT_EQ(dbapi_size(v), 0u);
  EXPECT_FALSE(dbapi_get(r, 0, &x));  // row 5 is gone
  EXPECT_EQ(dbapi_row(v, (size_t)1 << 30), nullptr);
  EXPECT_EQ(dbapi_row(v, SIZE_MAX), nullptr);
  dbapi_row_free(r);
  char err[200];
  EXPECT_EQ(dbapi_addfield(v, "i", 'S', err, sizeof err), -1);
  EXPECT_STREQ(err, "field i is of type I and cannot become S");
  EXPECT_EQ(dbapi_addfield(v, "I", 'I', err, sizeof err), 0);
  EXPECT_EQ(dbapi_nfields(v), 5);
  EXPECT_EQ(dbapi_addfield(v, "a[b", 'I', err, sizeof err), -1);
  dbapi_view_free(v);
}

TEST(DbView, AssignAViewToANestedField) {
  Mem m;
  DbView *src = m.table("src[x:I,y:S]");
  DbRow *r = dbapi_row(src, 1);
  dbapi_set_num(r, 0, 5);
  dbapi_row_free(r);
  DbView *t = m.table("t[sub[y:S,x:I]]");
  DbRow *tr = dbapi_row(t, 0);
  EXPECT_TRUE(dbapi_set_view(tr, 0, src, nullptr, 0));
  EXPECT_EQ(dbt_dump_view(t), "([('',0)('',5)])");
  DbView *sub = dbapi_get_view(tr, 0, nullptr, 0);
  EXPECT_TRUE(dbapi_set_view(tr, 0, sub, nullptr, 0));  // itself: unchanged
  EXPECT_EQ(dbt_dump_view(t), "([('',0)('',5)])");
  dbapi_view_free(sub);
  dbapi_row_free(tr);
  dbapi_view_free(t);
  dbapi_view_free(src);
}

}  // namespace
