/* Ordering and matching of rows: I and L signed, F and D numeric, S without
** regard to ASCII letter case, B byte-wise then by length, V row by row
** then by size. */
#ifndef dbops_h
#define dbops_h

#include "data/db/dbtab.h"

int dbops_cmp_text(const std::string &a, const std::string &b);
int dbops_cmp_cell(DbTable *a, size_t ca, size_t ra, DbTable *b, size_t cb, size_t rb);
int dbops_cmp_table(DbTable *a, DbTable *b);
/* Stable sort of rows (indexes into t) on the columns cols, in that order. */
void dbops_sort(DbTable *t, const std::vector<int> &cols, std::vector<uint32_t> &rows);
/* Rows of t (from rows, or all when null) whose columns cols equal those of
** row 0 of crit, in their order; find stops at the first. */
void dbops_select(DbTable *t, const std::vector<uint32_t> *rows, DbTable *crit,
                  const std::vector<int> &cols, std::vector<uint32_t> &out, bool first);

#endif
