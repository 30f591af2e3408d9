/* Tables: the rows of one view, kept column by column. A table follows its
** structure (DbSchema) lazily: dbtab_sync adjusts the columns to the
** structure's current fields before any use. */
#ifndef DBTAB_H
#define DBTAB_H

#include <cstdint>
#include <string>
#include <vector>

#include "dbdesc.h"

/* Deepest nesting of views that is read, written, copied or compared; it
** keeps the recursion within any thread's stack. */
enum { DB_MAXDEPTH = 200 };

struct DbTable;
using DbTableP = std::shared_ptr<DbTable>;

/* One field's values; only the vector of the column's type is used. A null
** entry of v stands for an empty nested view. */
struct DbColumn {
  unsigned id = 0;
  char type = 'S';
  std::vector<int32_t> i;
  std::vector<float> f;
  std::vector<double> d;
  std::vector<int64_t> l;
  std::vector<std::string> s;
  std::vector<DbTableP> v;
};

struct DbTable {
  DbSchemaP schema;
  unsigned version = 0;
  size_t rows = 0;
  std::vector<DbColumn> cols;
};

DbTableP dbtab_new(const DbSchemaP &schema);
/* Columns in the order of the structure's fields, after adjusting. */
std::vector<DbColumn> &dbtab_cols(DbTable *t);
void dbtab_resize(DbTable *t, size_t rows);
void dbtab_erase(DbTable *t, size_t at, size_t count);
/* Removes the rows listed (ascending, no repeats) in one pass. */
void dbtab_erase_rows(DbTable *t, const std::vector<uint32_t> &rows);
/* The nested table of a V cell, made on first use. */
DbTable *dbtab_sub(DbTable *t, size_t col, size_t row);
DbTableP dbtab_subp(DbTable *t, size_t col, size_t row);
/* Replaces dst's rows by copies of src's (fields matched by name and type). */
void dbtab_assign(DbTable *dst, DbTable *src, const std::vector<uint32_t> *rows);

#endif
