/* Views: their fields, and sort, select, find and delete over their rows. */
#include <algorithm>
#include <cstring>
#include <new>

#include "data/db/dbapi_int.h"
#include "data/db/dbops.h"

void dbapi_view_free(DbView *v) { delete v; }

size_t dbapi_size(DbView *v) { return v->map ? v->map->size() : v->base->rows; }

std::vector<int> api_order(DbView *v) {
  std::vector<DbField> &fs = v->base->schema->fields;
  std::vector<int> out;
  std::vector<char> taken(fs.size());
  for (const std::string &n : v->front) {
    int j = dbdesc_find(v->base->schema.get(), n.data(), n.size());
    if (j >= 0 && !taken[j]) {
      out.push_back(j);
      taken[j] = 1;
    }
  }
  for (size_t k = 0; k < fs.size(); k++)
    if (!taken[k]) out.push_back((int)k);
  return out;
}

int api_col(DbView *v, int k) {
  int nf = (int)v->base->schema->fields.size();
  if (k < 0 || k >= nf) return -1;
  if (v->front.empty()) return k;
  return api_order(v)[k];
}

bool api_baserow(DbView *v, size_t i, size_t &br) {
  if (v->map) {
    if (i >= v->map->size()) return false;
    br = (*v->map)[i];
  } else {
    br = i;
  }
  return br < v->base->rows;
}

int dbapi_nfields(DbView *v) { return (int)v->base->schema->fields.size(); }

int dbapi_field(DbView *v, int k, const char **name, char *type) {
  int c = api_col(v, k);
  if (c < 0) return 0;
  DbField &f = v->base->schema->fields[c];
  *name = f.name.c_str();
  *type = f.type;
  return 1;
}

int dbapi_field_named(DbView *v, const char *name, size_t len) {
  int c = dbdesc_find(v->base->schema.get(), name, len);
  if (c < 0 || v->front.empty()) return c;
  std::vector<int> order = api_order(v);
  for (size_t k = 0; k < order.size(); k++)
    if (order[k] == c) return (int)k;
  return -1;
}

static long api_addfield_(DbView *v, const char *name, char type, char *err, size_t errlen) {
  DbSchema *s = v->base->schema.get();
  size_t len = strlen(name);
  if (len == 0 || strcspn(name, ":[],") != len) {
    api_msg(err, errlen, "bad field name " + api_quote(name));
    return -1;
  }
  int k = dbdesc_find(s, name, len);
  if (k < 0 && type == 'V' && v->level >= DB_MAXDEPTH) {
    api_msg(err, errlen, DB_TOODEEP);
    return -1;
  }
  if (k >= 0 && s->fields[k].type != type) {
    api_msg(err, errlen, "field " + api_cut(s->fields[k].name) + " is of type " +
                             std::string(1, s->fields[k].type) + " and cannot become " +
                             std::string(1, type));
    return -1;
  }
  if (k < 0) {
    DbField f;
    f.name = name;
    f.type = type;
    f.id = dbdesc_newid();
    if (type == 'V') f.sub = dbdesc_new();
    s->fields.push_back(f);
    s->version++;
  }
  return (long)dbapi_size(v);
}

static std::vector<uint32_t> api_rows(DbView *v) {
  if (v->map) return *v->map;
  std::vector<uint32_t> rows(v->base->rows);
  for (size_t r = 0; r < rows.size(); r++) rows[r] = (uint32_t)r;
  return rows;
}

static DbView *api_derived(DbView *v, std::vector<uint32_t> &&rows,
                           std::vector<std::string> &&front) {
  DbView *d = new DbView;
  d->base = v->base;
  d->map = std::make_shared<DbRowMap>(std::move(rows));
  d->front = std::move(front);
  d->level = v->level;
  dbtab_watch(d->base.get(), d->map);
  return d;
}

DbView *dbapi_sort(DbView *v, const int *keys, int nkeys) {
  try {
    std::vector<int> order = api_order(v), cols;
    std::vector<char> taken(order.size());
    std::vector<std::string> front;
    for (int n = 0; n < nkeys; n++) {
      if (keys[n] < 0 || keys[n] >= (int)order.size() || taken[keys[n]]) continue;
      taken[keys[n]] = 1;
      cols.push_back(order[keys[n]]);
      front.push_back(v->base->schema->fields[order[keys[n]]].name);
    }
    if (!front.empty())
      for (const std::string &n : v->front) front.push_back(n);
    for (size_t k = 0; k < order.size(); k++)
      if (!taken[k]) cols.push_back(order[k]);
    std::vector<uint32_t> rows = api_rows(v);
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [&](uint32_t r) { return r >= v->base->rows; }),
               rows.end());
    dbops_sort(v->base.get(), cols, rows);
    return api_derived(v, std::move(rows), front.empty() ? std::vector<std::string>(v->front)
                                                         : std::move(front));
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

static void api_match(DbView *v, DbRow *crit, std::vector<uint32_t> &pos, bool first) {
  dbops_select(v->base.get(), v->map.get(), crit->view.base.get(), crit->used, pos, first);
}

DbView *dbapi_select(DbView *v, DbRow *crit) {
  try {
    std::vector<uint32_t> pos;
    api_match(v, crit, pos, false);
    if (v->map)
      for (uint32_t &p : pos) p = (*v->map)[p];
    return api_derived(v, std::move(pos), std::vector<std::string>(v->front));
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

static long api_find_(DbView *v, DbRow *crit) {
  std::vector<uint32_t> pos;
  api_match(v, crit, pos, true);
  return pos.empty() ? -1 : (long)pos[0];
}

/* Deleting through a derived view deletes the base rows; the table takes
** them out of every derived view, this one included. */
static void api_del_(DbView *v, size_t at, size_t count) {
  size_t n = dbapi_size(v);
  if (at >= n || count == 0) return;
  if (count > n - at) count = n - at;
  if (!v->map) {
    dbtab_erase(v->base.get(), at, count);
    return;
  }
  DbRowMap &m = *v->map;
  std::vector<uint32_t> gone(m.begin() + (ptrdiff_t)at, m.begin() + (ptrdiff_t)(at + count));
  std::sort(gone.begin(), gone.end());
  gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
  dbtab_erase_rows(v->base.get(), gone);
}

long dbapi_addfield(DbView *v, const char *name, char type, char *err, size_t errlen) {
  try {
    return api_addfield_(v, name, type, err, errlen);
  } catch (const std::bad_alloc &) {
    return -1;
  }
}

long dbapi_find(DbView *v, DbRow *crit) {
  try {
    return api_find_(v, crit);
  } catch (const std::bad_alloc &) {
    return -1;
  }
}

void dbapi_del(DbView *v, size_t at, size_t count) {
  try {
    api_del_(v, at, count);
  } catch (const std::bad_alloc &) {
  }
}
