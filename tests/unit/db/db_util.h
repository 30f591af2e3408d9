// Helpers of the table-database tests: files, and rows as text.
#pragma once

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
std::string dbt_dump_view(DbView *v);
std::string dbt_tmpname(const char *tag);
