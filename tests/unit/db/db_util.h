// Helpers of the table-database tests: files, and rows as text.
#ifndef db_util_h
#define db_util_h

#include <string>

#include "data/db/dbapi.h"
#include "data/db/dbfmt.h"
#include "data/db/dbtab.h"

DbBytes dbt_load(const std::string &path);
void dbt_save(const std::string &path, const DbBytes &b);
/* Reads bytes as a storage; "!message" on failure. */
std::string dbt_dump_bytes(const DbBytes &b);
/* Every top-level view: "name[desc] {row} {row}", rows as "(v,v,...)",
** nested views as "[(...)...]". */
std::string dbt_dump(DbTable *root);
/* Rows as "(v,v,...)"; a nested view past the nesting limit as "[!]". */
std::string dbt_dump_view(DbView *v);
/* Every top-level view of the storage, as dbt_dump_view gives it, each
** followed by ";". dbt_content reads the file anew; "!message" when it
** cannot be opened. */
std::string dbt_views(DbStorage *st);
std::string dbt_content(const std::string &path);
/* Cells of a table and its nested tables, counted until past limit. */
size_t dbt_cells(DbTable *t, size_t limit);
/* A new file name in the test program's temporary folder, which goes with
** everything in it when the program ends. */
std::string dbt_tmpname(const char *tag);
/* A reference storage file, copied beside the test program by the build. */
std::string dbt_fixture(const std::string &name);

#endif
