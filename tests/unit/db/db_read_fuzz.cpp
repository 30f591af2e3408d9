// libFuzzer target: the storage reader on arbitrary bytes.
#include <cstdio>
#include <cstdlib>

#include "data/db/dbops.h"
#include "data/db/dbread.h"
#include "data/db/dbwrite.h"
#include "tests/unit/db/db_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  DbTableP root;
  std::string err;
  if (!dbread_storage(data, size, root, err)) {
    if (err.empty()) abort();
    return 0;
  }
  // Defaults take no memory, so a small file may hold many rows: leave out
  // what would only make the dump itself large.
  if (dbt_cells(root.get(), 1000000) > 1000000) return 0;
  std::string before = dbt_dump(root.get());
  // Sorting exercises the comparisons on whatever values the file holds.
  std::vector<DbColumn> &cols = dbtab_cols(root.get());
  for (size_t k = 0; k < cols.size() && root->rows; k++) {
    DbTable *t = cols[k].type == 'V' ? dbcol_v(cols[k], 0) : nullptr;
    if (!t || t->rows > 100000) continue;
    std::vector<int> keys;
    for (size_t c = 0; c < dbtab_cols(t).size(); c++) keys.push_back((int)c);
    std::vector<uint32_t> rows(t->rows);
    for (size_t r = 0; r < rows.size(); r++) rows[r] = (uint32_t)r;
    dbops_sort(t, keys, rows);
  }
  DbBytes out;
  if (!dbwrite_storage(root.get(), out, err)) return 0;
  DbTableP again;
  if (!dbread_storage(out.data(), out.size(), again, err)) {
    fprintf(stderr, "written storage does not read back: %s\n", err.c_str());
    abort();
  }
  if (dbt_dump(again.get()) != before) {
    fprintf(stderr, "round trip changed the content\n%s\n%s\n", before.c_str(),
            dbt_dump(again.get()).c_str());
    abort();
  }
  return 0;
}
