// Writing storages: the same content as the reference files gives the same
// bytes, and a separate small decoder checks the layout of larger files.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "data/db/dbread.h"
#include "data/db/dbwrite.h"
#include "tests/unit/db/db_util.h"

namespace {

DbBytes commit_bytes(DbStorage *st, const std::string &name) {
  char err[200];
  EXPECT_TRUE(dbapi_commit(st, 0, err, sizeof err)) << err;
  return dbt_load(name);
}

void put(DbView *v, size_t row, int k, double x) {
  DbRow *r = dbapi_row(v, row);
  dbapi_set_num(r, k, x);
  dbapi_row_free(r);
}

void put_s(DbView *v, size_t row, int k, const char *s) {
  DbRow *r = dbapi_row(v, row);
  dbapi_set_str(r, k, s, strlen(s));
  dbapi_row_free(r);
}

struct Store {
  std::string name;
  DbStorage *st;
  explicit Store(const char *tag) : name(dbt_tmpname(tag)) {
    char err[200];
    st = dbapi_open(name.c_str(), err, sizeof err);
  }
  ~Store() { dbapi_close(st); }
  DbView *table(const char *desc) {
    char err[200];
    DbView *v = dbapi_table(st, desc, err, sizeof err);
    EXPECT_NE(v, nullptr) << err;
    return v;
  }
};

TEST(DbWrite, SameBytesAsTheReferenceFiles) {
  {
    Store s("people");
    DbView *v = s.table("people[name:S,age:I]");
    const char *names[] = {"Alice", "Bob", "carol"};
    int ages[] = {30, 4, -7};
    for (int r = 0; r < 3; r++) {
      put_s(v, (size_t)r, 0, names[r]);
      put(v, (size_t)r, 1, ages[r]);
    }
    EXPECT_EQ(commit_bytes(s.st, s.name), dbt_load(dbt_fixture("people.mk")));
    dbapi_view_free(v);
  }
  {
    Store s("empty");
    dbapi_view_free(s.table("people[name:S,age:I]"));
    EXPECT_EQ(commit_bytes(s.st, s.name), dbt_load(dbt_fixture("emptyview.mk")));
  }
  {
    Store s("none");
    DbBytes b = commit_bytes(s.st, s.name);
    EXPECT_TRUE(b.empty());
  }
  {
    Store s("ints");
    DbView *v = s.table("w[b1:I,b2:I,b4:I,b8:I,b16:I,b32:I,z:I]");
    int rows[3][7] = {{1, 3, 15, -1, 1000, 100000, 0},
                      {0, 2, 9, 127, -300, -100000, 0},
                      {1, 1, 0, -128, 32767, 2147483647, 0}};
    for (int r = 0; r < 3; r++)
      for (int k = 0; k < 7; k++) put(v, (size_t)r, k, rows[r][k]);
    EXPECT_EQ(commit_bytes(s.st, s.name), dbt_load(dbt_fixture("ints.mk")));
    dbapi_view_free(v);
  }
  {
    Store s("nested");
    DbView *v = s.table("dirs[name:S,sub[name:S,i:I]]");
    const char *sub[2][2] = {{"x", "y"}, {"z", nullptr}};
    int is[2][2] = {{1, 2}, {300, 0}};
    for (int r = 0; r < 2; r++) {
      put_s(v, (size_t)r, 0, r ? "b" : "a");
      DbRow *row = dbapi_row(v, (size_t)r);
      DbView *sv = dbapi_get_view(row, 1, nullptr, 0);
      for (int q = 0; q < 2 && sub[r][q]; q++) {
        put_s(sv, (size_t)q, 0, sub[r][q]);
        put(sv, (size_t)q, 1, is[r][q]);
      }
      dbapi_view_free(sv);
      dbapi_row_free(row);
    }
    EXPECT_EQ(commit_bytes(s.st, s.name), dbt_load(dbt_fixture("nested.mk")));
    dbapi_view_free(v);
  }
}

// An independent reading of the file's outline: header length, tails, the
// root walk, and one I column whose width must follow from its values.
struct Walk {
  const DbBytes &b;
  size_t at;
  int32_t varint() {
    int32_t v = 0;
    bool neg = b[at] == 0;
    if (neg) at++;
    while (!(b[at] & 0x80)) v = (v << 7) | b[at++];
    v = (v << 7) | (b[at++] & 0x7F);
    return neg ? ~v : v;
  }
};

uint32_t be32(const DbBytes &b, size_t at) {
  return (uint32_t)b[at] << 24 | (uint32_t)b[at + 1] << 16 | (uint32_t)b[at + 2] << 8 | b[at + 3];
}

TEST(DbWrite, LayoutOfALargerFile) {
  Store s("layout");
  DbView *v = s.table("t[n:I,s:S]");
  for (size_t r = 0; r < 1000; r++) {
    put(v, r, 0, (double)(r % 4));
    put_s(v, r, 1, r % 2 ? "" : "ab");
  }
  DbBytes b = commit_bytes(s.st, s.name);
  ASSERT_GT(b.size(), 24u);
  EXPECT_EQ(b[0], 'J');
  EXPECT_EQ(b[1], 'L');
  EXPECT_EQ(b[2], 0x1A);
  EXPECT_EQ(b[3], 0);
  EXPECT_EQ(be32(b, 4), b.size());
  size_t tail = b.size() - 16;
  EXPECT_EQ(be32(b, tail), 0x80000000u);
  EXPECT_EQ(be32(b, tail + 4), tail);
  EXPECT_EQ(b[tail + 8], 0x80);
  uint32_t rootlen = be32(b, tail + 8) & 0xFFFFFF, rootpos = be32(b, tail + 12);
  EXPECT_EQ(rootpos + rootlen, tail);
  Walk w{b, rootpos};
  EXPECT_EQ(w.varint(), 0);
  int32_t dl = w.varint();
  EXPECT_EQ(std::string(b.begin() + (ptrdiff_t)w.at, b.begin() + (ptrdiff_t)w.at + dl), "t[n:I,s:S]");
  w.at += (size_t)dl;
  EXPECT_EQ(w.varint(), 1);
  int32_t catsize = w.varint(), catpos = w.varint();
  EXPECT_EQ(w.at, tail);
  Walk c{b, (size_t)catpos};
  EXPECT_EQ(c.varint(), 0);
  EXPECT_EQ(c.varint(), 1000);
  EXPECT_EQ(c.varint(), 250);  // 2 bits a row
  int32_t npos = c.varint();
  for (size_t r = 0; r < 1000; r++) EXPECT_EQ((b[(size_t)npos + r / 4] >> (2 * (r % 4))) & 3, (int)(r % 4));
  EXPECT_EQ(c.varint(), 1500);  // "ab\0" every other row
  c.varint();
  EXPECT_EQ(c.varint(), 250);  // sizes 3 and 0: 2 bits
  c.varint();
  EXPECT_EQ(c.varint(), 0);  // no memos
  EXPECT_EQ(c.at, (size_t)catpos + (size_t)catsize);
  dbapi_view_free(v);
}

TEST(DbWrite, AllTypesRoundTrip) {
  std::string name;
  std::string before;
  {
    Store s("types");
    name = s.name;
    DbView *v = s.table("all[i:I,f:F,d:D,s:S,b:B,l:L,v[x:D,y[^]]]");
    std::mt19937 rng(11);
    for (size_t r = 0; r < 57; r++) {
      put(v, r, 0, (double)(int32_t)rng() / (r % 5 + 1));
      put(v, r, 1, r * 0.25);
      put(v, r, 2, std::ldexp((double)rng(), -(int)(r % 40)));
      put_s(v, r, 3, std::string(r % 13, (char)('a' + r % 26)).c_str());
      DbRow *row = dbapi_row(v, r);
      DbView *sv = dbapi_get_view(row, 6, nullptr, 0);
      for (size_t q = 0; q < r % 3; q++) put(sv, q, 0, (double)q / 3);
      if (r % 3 == 2) {
        DbRow *sr = dbapi_row(sv, 1);
        DbView *deep = dbapi_get_view(sr, 1, nullptr, 0);
        put(deep, 2, 0, 1.5);
        dbapi_view_free(deep);
        dbapi_row_free(sr);
      }
      dbapi_view_free(sv);
      dbapi_row_free(row);
    }
    before = dbt_dump_view(v);
    char err[200];
    ASSERT_TRUE(dbapi_commit(s.st, 0, err, sizeof err));
    dbapi_view_free(v);
  }
  char err[200];
  DbStorage *st = dbapi_open(name.c_str(), err, sizeof err);
  ASSERT_NE(st, nullptr) << err;
  char desc[200];
  dbapi_describe(st, desc, sizeof desc);
  EXPECT_STREQ(desc, "all[i:I,f:F,d:D,s:S,b:B,l:L,v[x:D,y[^]]]");
  DbView *v = dbapi_view_at(st, 1);
  EXPECT_EQ(dbt_dump_view(v), before);
  dbapi_view_free(v);
  dbapi_close(st);
}

}  // namespace
