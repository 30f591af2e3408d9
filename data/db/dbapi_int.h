/* Handles of the engine's script-facing interface (dbapi.h), shared by its
** files for storages, views and rows. */
#ifndef dbapi_int_h
#define dbapi_int_h

#include <memory>
#include <string>
#include <vector>

#include "data/db/dbapi.h"
#include "data/db/dbfmt.h"
#include "data/db/dbtab.h"

/* A view as scripts see it: a table, or some of its rows (map, in order,
** kept up to date by the table) with some fields listed first (front, after
** a sort on them). level is its nesting: 1 for a top-level view. */
struct DbView {
  DbTableP base;
  std::shared_ptr<DbRowMap> map;
  std::vector<std::string> front;
  int level = 1;
};

struct DbRow {
  DbView view;
  size_t row = 0;
  bool crit = false;
  std::vector<int> used; /* criteria: the base columns given */
};

/* prefix: the bytes of the file before the storage's header. The rest
** describes the file as the last commit (or the opening) left it: placed,
** the columns' places are right for it, so a commit may add to it; end, the
** storage's length; hdrlen, the length in its header (synced: known to be
** on disk); live, the bytes in use; filesize and tails, to see that nobody
** else changed it; desc, its structure text. */
struct DbStorage {
  DbTableP root;
  std::string path;
  bool memory = false;
  DbBytes prefix;
  bool placed = false, bigend = false, synced = false;
  uint32_t end = 0, hdrlen = 0, live = 0;
  size_t filesize = 0;
  uint8_t tails[16] = {0};
  std::string desc;
};

/* Largest row count a view may be grown to by writing past its end. */
extern const size_t API_MAXROWS;

void api_msg(char *err, size_t errlen, const std::string &m);
/* Names and descriptions in messages: quoted and cut, so that the reason
** around them always fits. Paths keep their end. */
std::string api_cut(const std::string &text);
std::string api_quote(const std::string &text);
std::string api_path(const std::string &path);
/* Base columns in the view's order; the base column of field k, or -1. */
std::vector<int> api_order(DbView *v);
int api_col(DbView *v, int k);
/* Base row of row i of the view; false when it does not exist (any more). */
bool api_baserow(DbView *v, size_t i, size_t &br);

#endif
