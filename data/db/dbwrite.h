/* Writes tables in the storage file format: a whole storage (header, column
** data, nested catalogs, the root walk and the tails), or what a commit adds
** to an existing one. */
#ifndef dbwrite_h
#define dbwrite_h

#include <string>

#include "data/db/dbfmt.h"
#include "data/db/dbtab.h"

/* Bytes that rewrite part of the file in place (pos from the header). */
struct DbPatch {
  uint32_t pos;
  DbBytes bytes;
};

/* Hands written bytes over (to a file) as they are made; false on failure. */
typedef bool (*DbSpill)(void *io, const uint8_t *p, size_t n);

/* base 0: a whole storage, header first and tails last. Bytes go to spill
** in pieces when it is given (the header's length is then the caller's to
** write at offset 4), else they stay in out.
** base > 0: the storage ends there and its columns' places are right; out
** receives the columns that changed and the new root walk, to be written
** at base, then tails; patches rewrite spare copies of columns (never a
** byte the storage uses). changed is false when there was nothing to write.
** record: every column's place is set to where it was written (the caller
** must not trust them any more when the commit then fails).
** end: the new storage's length; live: the bytes it keeps in use. */
struct DbWriteJob {
  uint32_t base = 0;
  bool record = false;
  DbSpill spill = nullptr;
  void *io = nullptr;
  std::string desc;  /* base > 0: the structure text the storage has */

  DbBytes out;
  size_t spilled = 0;
  std::vector<DbPatch> patches;
  uint8_t tails[16] = {0};
  uint32_t end = 0, live = 0;
  bool changed = false;
};

bool dbwrite_run(DbTable *root, DbWriteJob &job, std::string &err);

/* A whole storage in memory, places untouched. A root without fields gives
** no bytes at all. */
bool dbwrite_storage(DbTable *root, DbBytes &out, std::string &err);

#endif
