/* Handles of the engine's script-facing interface (dbapi.h), shared by its
** files for storages, views and rows. */
#ifndef DBAPI_INT_H
#define DBAPI_INT_H

#include <memory>
#include <string>
#include <vector>

#include "dbapi.h"
#include "dbtab.h"

typedef std::vector<uint32_t> RowMap;

/* A view as scripts see it: a table, or some of its rows (map, in order) with
** some fields listed first (front, after a sort on them). */
struct DbView {
  DbTableP base;
  std::shared_ptr<RowMap> map;
  std::vector<std::string> front;
};

struct DbRow {
  DbView view;
  size_t row = 0;
  bool crit = false;
  std::vector<int> used; /* criteria: the base columns given */
};

struct DbStorage {
  DbTableP root;
  std::string path;
  bool memory = false;
};

/* Largest row count a view may be grown to by writing past its end. */
extern const size_t API_MAXROWS;

void api_msg(char *err, size_t errlen, const std::string &m);
/* Base columns in the view's order; the base column of field k, or -1. */
std::vector<int> api_order(DbView *v);
int api_col(DbView *v, int k);
/* Base row of row i of the view; false when it does not exist (any more). */
bool api_baserow(DbView *v, size_t i, size_t &br);

#endif
