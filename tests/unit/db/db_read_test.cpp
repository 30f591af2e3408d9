// Reading storage files: the reference files, the other byte order, and
// damaged files, which must give a message and never read out of bounds.
#include <gtest/gtest.h>

#include "data/db/dbread.h"
#include "tests/unit/db/db_util.h"

namespace {

std::string fixture(const char *name) { return dbt_dump_bytes(dbt_load(dbt_fixture(name))); }

TEST(DbRead, ReferenceFiles) {
  EXPECT_EQ(fixture("people.mk"), "people[name:S,age:I] [('Alice',30)('Bob',4)('carol',-7)]");
  EXPECT_EQ(fixture("emptyview.mk"), "people[name:S,age:I] []");
  EXPECT_EQ(fixture("noviews.mk"), "");
  EXPECT_EQ(fixture("nested.mk"),
            "dirs[name:S,sub[name:S,i:I]] "
            "[('a',[('x',1)('y',2)])('b',[('z',300)])]");
  EXPECT_EQ(fixture("ints.mk"),
            "w[b1:I,b2:I,b4:I,b8:I,b16:I,b32:I,z:I] "
            "[(1,3,15,-1,1000,100000,0)(0,2,9,127,-300,-100000,0)"
            "(1,1,0,-128,32767,2147483647,0)]");
}

TEST(DbRead, BigEndianFile) {
  DbBytes b = dbt_load(dbt_fixture("ints.mk"));
  ASSERT_EQ(b.size(), 110u);
  b[0] = 'L';
  b[1] = 'J';
  // b16 holds three 16-bit values at 0x12, b32 three 32-bit values at 0x18.
  for (size_t k = 0; k < 3; k++) std::swap(b[0x12 + 2 * k], b[0x13 + 2 * k]);
  for (size_t k = 0; k < 3; k++) {
    std::swap(b[0x18 + 4 * k], b[0x1B + 4 * k]);
    std::swap(b[0x19 + 4 * k], b[0x1A + 4 * k]);
  }
  EXPECT_EQ(dbt_dump_bytes(b), fixture("ints.mk"));
}

TEST(DbRead, EveryTruncationFails) {
  for (const char *name : {"people.mk", "nested.mk", "ints.mk", "emptyview.mk"}) {
    DbBytes b = dbt_load(dbt_fixture(name));
    for (size_t n = 1; n < b.size(); n++) {
      DbBytes cut(b.begin(), b.begin() + (ptrdiff_t)n);
      std::string r = dbt_dump_bytes(cut);
      EXPECT_EQ(r[0], '!') << name << " cut to " << n;
    }
  }
}

TEST(DbRead, EveryByteChangeIsSafe) {
  // Each single-byte change either still reads or gives a message; the
  // sanitizers catch any read outside the buffer.
  for (const char *name : {"people.mk", "nested.mk", "ints.mk"}) {
    DbBytes b = dbt_load(dbt_fixture(name));
    for (size_t at = 0; at < b.size(); at++)
      for (int v : {0x00, 0x7F, 0x80, 0xFF, b[at] ^ 0x01, b[at] ^ 0x40}) {
        DbBytes c = b;
        c[at] = (uint8_t)v;
        std::string r = dbt_dump_bytes(c);
        if (r[0] == '!') {
          EXPECT_GT(r.size(), 1u);
        }
      }
  }
}

TEST(DbRead, DamageGivesClearMessages) {
  DbBytes b = dbt_load(dbt_fixture("people.mk"));
  DbBytes t = b;
  t[b.size() - 8] = 0x12;  // commit tail marker
  t[7] = 0;                // and the header's length
  EXPECT_EQ(dbt_dump_bytes(t), "!the file is damaged: its tail is missing or wrong");
  t = b;
  t[0x20] = 0xFF;  // name data position moved past the end: 90 FF
  t[0x1F] = 0x10;
  EXPECT_EQ(dbt_dump_bytes(t), "!a column lies outside the file");
  t = b;
  t[0x1E] = 0x85;  // 5 rows where the columns hold 3
  EXPECT_EQ(dbt_dump_bytes(t), "!string sizes do not match their data");
  EXPECT_EQ(dbt_dump_bytes(DbBytes{'h', 'e', 'l', 'l', 'o'}), "!not a storage file");
}

TEST(DbRead, AbsurdRowCountIsRefused) {
  // A view with no fields and 2^31 - 1 rows costs no column bytes.
  DbBytes f = {'J', 'L', 0x1A, 0, 0, 0, 0, 0};
  size_t cat = f.size();
  for (int x : {0x80, 0x07, 0x7F, 0x7F, 0x7F, 0xFF}) f.push_back((uint8_t)x);
  size_t catlen = f.size() - cat, root = f.size();
  for (int x : {0x80, 0x83, (int)'v', (int)'[', (int)']', 0x81}) f.push_back((uint8_t)x);
  dbfmt_put_varint(f, (int32_t)catlen);
  dbfmt_put_varint(f, (int32_t)cat);
  size_t rootlen = f.size() - root, tail = f.size();
  dbfmt_put_be32(f, 0x80000000u);
  dbfmt_put_be32(f, (uint32_t)tail);
  dbfmt_put_be32(f, 0x80000000u | (uint32_t)rootlen);
  dbfmt_put_be32(f, (uint32_t)root);
  EXPECT_EQ(dbt_dump_bytes(f), "!a view has more rows than a view may hold");
  f[cat + 1] = 0x81;  // one row; the bytes after it are left unread
  EXPECT_EQ(dbt_dump_bytes(f), "v[] [()]");
}

// Rows whose columns are all empty cost nothing to read, however many there
// are; columns with data cost in proportion to the file.
TEST(DbRead, DefaultRowsAreReadWithoutHoldingThem) {
  DbBytes f = {'J', 'L', 0x1A, 0, 0, 0, 0, 0};
  size_t cat = f.size();
  DbBytes c;
  dbfmt_put_varint(c, 0);
  dbfmt_put_varint(c, 1 << 27);  // rows
  for (int k = 0; k < 4; k++) dbfmt_put_varint(c, 0);  // a:I, b:D, s:S data and memo
  f.insert(f.end(), c.begin(), c.end());
  size_t root = f.size();
  std::string desc = "v[a:I,b:D,s:S]";
  dbfmt_put_varint(f, 0);
  dbfmt_put_varint(f, (int32_t)desc.size());
  f.insert(f.end(), desc.begin(), desc.end());
  dbfmt_put_varint(f, 1);
  dbfmt_put_varint(f, (int32_t)c.size());
  dbfmt_put_varint(f, (int32_t)cat);
  size_t rootlen = f.size() - root, tail = f.size();
  dbfmt_put_be32(f, 0x80000000u);
  dbfmt_put_be32(f, (uint32_t)tail);
  dbfmt_put_be32(f, 0x80000000u | (uint32_t)rootlen);
  dbfmt_put_be32(f, (uint32_t)root);
  DbTableP t;
  std::string err;
  ASSERT_TRUE(dbread_storage(f.data(), f.size(), t, err)) << err;
  DbTable *v = dbcol_v(dbtab_cols(t.get())[0], 0);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->rows, (size_t)1 << 27);
  for (DbColumn &col : dbtab_cols(v)) EXPECT_EQ(dbcol_held(col), 0u);
}

// A storage "t[x:I,k[^]]" of views nested levels deep, one row each (x the
// level), the deepest with an empty nested view.
DbBytes chain(int levels) {
  DbBytes f = {'J', 'L', 0x1A, 0, 0, 0, 0, 0}, inner = {0x80, 0x80};
  for (int level = levels; level >= 1; level--) {
    size_t at = f.size();
    f.insert(f.end(), inner.begin(), inner.end());
    DbBytes c;
    dbfmt_put_varint(c, 0);
    dbfmt_put_varint(c, 1);
    dbfmt_put_varint(c, level < 128 ? 1 : 2);  // x: one 8- or 16-bit value
    size_t xat = f.size();
    f.push_back((uint8_t)level);
    if (level >= 128) f.push_back(0);
    dbfmt_put_varint(c, (int32_t)xat);
    dbfmt_put_varint(c, (int32_t)inner.size());
    dbfmt_put_varint(c, (int32_t)at);
    inner = c;
  }
  size_t cat = f.size();
  f.insert(f.end(), inner.begin(), inner.end());
  size_t root = f.size();
  std::string desc = "t[x:I,k[^]]";
  dbfmt_put_varint(f, 0);
  dbfmt_put_varint(f, (int32_t)desc.size());
  f.insert(f.end(), desc.begin(), desc.end());
  dbfmt_put_varint(f, 1);
  dbfmt_put_varint(f, (int32_t)inner.size());
  dbfmt_put_varint(f, (int32_t)cat);
  size_t rootlen = f.size() - root, tail = f.size();
  dbfmt_put_be32(f, 0x80000000u);
  dbfmt_put_be32(f, (uint32_t)tail);
  dbfmt_put_be32(f, 0x80000000u | (uint32_t)rootlen);
  dbfmt_put_be32(f, (uint32_t)root);
  return f;
}

TEST(DbRead, NestingIsReadTo200Levels) {
  std::string two = dbt_dump_bytes(chain(2));
  EXPECT_EQ(two, "t[x:I,k[^]] [(1,[(2,[])])]");
  std::string ok = dbt_dump_bytes(chain(200));
  EXPECT_NE(ok.find("(200,[])"), std::string::npos) << ok.substr(0, 80);
  EXPECT_EQ(dbt_dump_bytes(chain(201)), "!views are nested more than 200 levels deep");
}

TEST(DbRead, LostTailsAreRecoveredFromTheHeaderLength) {
  // A growing commit that stopped after writing data past the old end.
  DbBytes b = dbt_load(dbt_fixture("people.mk"));
  DbBytes grown = b;
  for (int k = 0; k < 100; k++) grown.push_back((uint8_t)(k * 37));
  EXPECT_EQ(dbt_dump_bytes(grown), fixture("people.mk"));
}

TEST(DbRead, TailsAtTheEndWinOverTheHeaderLength) {
  // Two complete storages one after the other: the header at the start
  // claims the first, the tail at the end the second, which is in effect.
  DbBytes f = dbt_load(dbt_fixture("people.mk")), n = dbt_load(dbt_fixture("nested.mk"));
  f.insert(f.end(), n.begin(), n.end());
  EXPECT_EQ(dbt_dump_bytes(f), fixture("nested.mk"));
  f.resize(f.size() - 3);  // the second one's tail cut: the first is found
  EXPECT_EQ(dbt_dump_bytes(f), fixture("people.mk"));
}

TEST(DbRead, StorageAtTheEndOfAnotherFile) {
  DbBytes b = dbt_load(dbt_fixture("nested.mk"));
  DbBytes f = {'M', 'Z', 1, 2, 3, 4, 5, 6, 7, 8, 9};
  f.insert(f.end(), b.begin(), b.end());
  EXPECT_EQ(dbt_dump_bytes(f), fixture("nested.mk"));
}

// Builds a storage "t[s:S]" of two rows whose second string is a memo.
TEST(DbRead, MemoItems) {
  DbBytes f = {'J', 'L', 0x1A, 0, 0, 0, 0, 0};
  size_t data = f.size();
  for (char c : std::string("ab")) f.push_back((uint8_t)c);
  f.push_back(0);
  size_t sizes = f.size();
  f.push_back(0x03);  // sizes 3, 0: 2-bit, two rows padded to 5 bytes
  for (int k = 0; k < 4; k++) f.push_back(0);
  size_t memo = f.size();
  std::string big(300, 'x');
  f.insert(f.end(), big.begin(), big.end());
  f.push_back(0);
  DbBytes memocol;
  dbfmt_put_varint(memocol, 1);  // row 1
  dbfmt_put_varint(memocol, (int32_t)big.size() + 1);
  dbfmt_put_varint(memocol, (int32_t)memo);
  size_t memopos = f.size();
  f.insert(f.end(), memocol.begin(), memocol.end());
  DbBytes cat;
  dbfmt_put_varint(cat, 0);
  dbfmt_put_varint(cat, 2);
  dbfmt_put_varint(cat, 3);
  dbfmt_put_varint(cat, (int32_t)data);
  dbfmt_put_varint(cat, 5);
  dbfmt_put_varint(cat, (int32_t)sizes);
  dbfmt_put_varint(cat, (int32_t)memocol.size());
  dbfmt_put_varint(cat, (int32_t)memopos);
  size_t catpos = f.size();
  f.insert(f.end(), cat.begin(), cat.end());
  size_t root = f.size();
  std::string desc = "t[s:S]";
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
  EXPECT_EQ(dbt_dump_bytes(f), "t[s:S] [('ab')('" + big + "')]");
  f[memopos] = 0x82;  // a memo for row 2 of 2
  EXPECT_EQ(dbt_dump_bytes(f), "!a memo names a row that does not exist");
}

}  // namespace
