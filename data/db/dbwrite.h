/* Writes tables as a complete storage file: header, column data, nested
** catalogs, the root walk and the tails. */
#ifndef DBWRITE_H
#define DBWRITE_H

#include <string>

#include "dbfmt.h"
#include "dbtab.h"

/* A root without fields gives no bytes at all. */
bool dbwrite_storage(DbTable *root, DbBytes &out, std::string &err);

#endif
