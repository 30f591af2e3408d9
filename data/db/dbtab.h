/* Tables: the rows of one view, kept column by column. A table follows its
** structure (DbSchema) lazily: dbtab_sync adjusts the columns to the
** structure's current fields before any use. */
#ifndef dbtab_h
#define dbtab_h

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/db/dbdesc.h"

struct DbTable;
using DbTableP = std::shared_ptr<DbTable>;
typedef std::vector<uint32_t> DbRowMap;

/* Most rows a view may have, whether grown by writes or read from a file. */
const size_t DB_MAXROWS = (size_t)1 << 27;

/* Where a committed column lies in the storage file (positions from the
** header), so that a commit can refer to it instead of writing it again.
** spare is an older copy of the same size that nothing in the file uses
** any more: a later commit may bring it up to date by rewriting only the
** rows that differ, and refer to it instead. */
struct DbPlace {
  uint32_t pos = 0, size = 0; /* the column; of S and B columns, their data */
  uint32_t spare = 0;         /* 0: none (the header is at 0) */
  uint32_t live = 0;          /* bytes it keeps in use: the spare, sizes, memos
                                 and nested columns included */
  std::string rest;           /* S, B: the references after the data's */
  bool placed = false;
  bool exact = true;          /* its bytes follow from the values (no memos,
                                 no bytes after a string's end) */
};

/* Rows written since the last commit, and rows in which the spare differs
** from the committed column. */
struct DbChanges {
  std::vector<uint32_t> rows, behind;
};

/* Rows listed as changed before a column is written whole instead. */
const size_t DB_MAXTOUCH = 4096;

/* One field's values; only the vector of the column's type is used. A
** column may hold fewer values than its table has rows: the rows past them
** hold the default (0, 0.0, "", an empty nested view), so rows that were
** only grown or read as defaults take no memory. A null entry of v is an
** empty nested view too. Read cells with dbcol_*, make one writable with
** dbcol_touch, which also notes the row as changed. whole: the column's
** layout may differ from its place (rows added or removed, a string of
** another length): it must be written whole. */
struct DbColumn {
  unsigned id = 0;
  char type = 'S';
  bool whole = true;
  std::vector<int32_t> i;
  std::vector<float> f;
  std::vector<double> d;
  std::vector<int64_t> l;
  std::vector<std::string> s;
  std::vector<DbTableP> v;
  DbPlace at;
  std::unique_ptr<DbChanges> ch;
};

struct DbPending;

/* The rows of derived views (row numbers of this table) are listed in maps
** that the table keeps up to date: deleted rows leave them and the others
** are renumbered. Rows deleted a few at a time are first only noted
** (pending) and taken out of the columns in one pass when the table is next
** used; rows counts them out already. dirty: its row count or fields
** changed since the last commit. */
struct DbTable {
  DbSchemaP schema;
  unsigned version = 0;
  size_t rows = 0;
  bool dirty = false;
  std::vector<DbColumn> cols;
  std::vector<std::weak_ptr<DbRowMap>> maps;
  std::unique_ptr<DbPending> pending;
  DbTable();
  ~DbTable();
};

extern const std::string dbcol_empty;
inline int32_t dbcol_i(const DbColumn &c, size_t r) { return r < c.i.size() ? c.i[r] : 0; }
inline float dbcol_f(const DbColumn &c, size_t r) { return r < c.f.size() ? c.f[r] : 0.0f; }
inline double dbcol_d(const DbColumn &c, size_t r) { return r < c.d.size() ? c.d[r] : 0.0; }
inline int64_t dbcol_l(const DbColumn &c, size_t r) { return r < c.l.size() ? c.l[r] : 0; }
inline const std::string &dbcol_s(const DbColumn &c, size_t r) {
  return r < c.s.size() ? c.s[r] : dbcol_empty;
}
/* The nested table of a V cell; null when it is empty. */
inline DbTable *dbcol_v(const DbColumn &c, size_t r) {
  return r < c.v.size() && c.v[r] && c.v[r]->rows ? c.v[r].get() : nullptr;
}
/* Values the column holds (the rest are defaults). */
size_t dbcol_held(const DbColumn &c);
/* Makes row r of the column hold a value of its own: hold for reading,
** touch for writing (the row is noted as changed). */
void dbcol_hold(DbColumn &c, size_t r);
void dbcol_touch(DbColumn &c, size_t r);
/* Writes an S or B cell; a new length changes the column's layout. */
void dbcol_put_s(DbColumn &c, size_t r, const char *p, size_t n);

DbTableP dbtab_new(const DbSchemaP &schema);
/* Columns in the order of the structure's fields, after adjusting them and
** taking out pending deletions. */
std::vector<DbColumn> &dbtab_cols(DbTable *t);
void dbtab_settle(DbTable *t);
/* Marks every column to be written whole: the row count changed. */
void dbtab_reshaped(DbTable *t);
void dbtab_resize(DbTable *t, size_t rows);
/* Removes count rows from at; a few rows are only noted, and go with the
** next use of the table. */
void dbtab_erase(DbTable *t, size_t at, size_t count);
/* Removes the rows listed (ascending, no repeats) in one pass. */
void dbtab_erase_rows(DbTable *t, const std::vector<uint32_t> &rows);
/* The nested table of a V cell, made on first use. */
DbTable *dbtab_sub(DbTable *t, size_t col, size_t row);
DbTableP dbtab_subp(DbTable *t, size_t col, size_t row);
/* Replaces dst's rows by copies of src's (fields matched by name and type). */
void dbtab_assign(DbTable *dst, DbTable *src, const std::vector<uint32_t> *rows);
/* Levels of tables with rows from t down (t itself 1, 0 when it has no
** rows), counted up to limit + 1. */
int dbtab_depth(DbTable *t, int limit);
/* Lists map among t's derived-view maps. */
void dbtab_watch(DbTable *t, const std::shared_ptr<DbRowMap> &map);

#endif
