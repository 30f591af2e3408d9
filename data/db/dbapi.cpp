#include "dbapi.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <algorithm>
#include <new>

#include "dbio.h"
#include "dbops.h"
#include "dbread.h"
#include "dbwrite.h"

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
static const size_t API_MAXROWS = (size_t)1 << 27;

static void api_msg(char *err, size_t errlen, const std::string &m) {
  if (!err || !errlen) return;
  size_t n = m.size() < errlen - 1 ? m.size() : errlen - 1;
  memcpy(err, m.data(), n);
  err[n] = 0;
}

/* ---- storages ---- */

DbStorage *dbapi_open(const char *path, char *err, size_t errlen) {
  try {
    DbStorage *st = new DbStorage;
    st->memory = path == nullptr;
    if (path) st->path = path;
    std::string e;
    DbBytes data;
    bool missing = false;
    if (path && !dbio_read(path, data, missing, e)) {
      api_msg(err, errlen, "cannot read " + st->path + ": " + e);
      delete st;
      return nullptr;
    }
    if (!dbread_storage(data.data(), data.size(), st->root, e)) {
      api_msg(err, errlen, "cannot open " + st->path + ": " + e);
      delete st;
      return nullptr;
    }
    dbtab_resize(st->root.get(), 1);
    return st;
  } catch (const std::bad_alloc &) {
    api_msg(err, errlen, "out of memory");
    return nullptr;
  }
}

void dbapi_close(DbStorage *st) { delete st; }

int dbapi_commit(DbStorage *st, char *err, size_t errlen) {
  if (st->memory) return 1;
  try {
    DbBytes out;
    std::string e;
    if (!dbwrite_storage(st->root.get(), out, e) ||
        !dbio_replace(st->path.c_str(), out.data(), out.size(), e)) {
      api_msg(err, errlen, "cannot write " + st->path + ": " + e);
      return 0;
    }
    return 1;
  } catch (const std::bad_alloc &) {
    api_msg(err, errlen, "out of memory");
    return 0;
  }
}

static DbView *api_top(DbStorage *st, size_t k) {
  DbView *v = new DbView;
  v->base = dbtab_subp(st->root.get(), k, 0);
  return v;
}

static DbView *api_named(DbStorage *st, const std::string &name, char *err, size_t errlen) {
  DbTable *root = st->root.get();
  DbSchema *s = root->schema.get();
  if (name.empty() || name.find_first_of(":[],^") != std::string::npos) {
    api_msg(err, errlen, name.empty() ? "a view needs a name" : "bad view name \"" + name + "\"");
    return nullptr;
  }
  int k = dbdesc_find(s, name.data(), name.size());
  if (k < 0) {
    DbField f;
    f.name = name;
    f.type = 'V';
    f.id = dbdesc_newid();
    f.sub = dbdesc_new();
    s->fields.push_back(f);
    s->version++;
    k = (int)s->fields.size() - 1;
  } else if (s->fields[k].type != 'V') {
    api_msg(err, errlen, name + " is not a view");
    return nullptr;
  }
  return api_top(st, (size_t)k);
}

static DbView *api_getas(DbStorage *st, const char *desc, char *err, size_t errlen) {
  std::string name, e;
  DbSchemaP want;
  if (!dbdesc_parse_view(desc, strlen(desc), name, want, e)) {
    api_msg(err, errlen, std::string("bad description \"") + desc + "\": " + e);
    return nullptr;
  }
  DbSchema *s = st->root->schema.get();
  int k = dbdesc_find(s, name.data(), name.size());
  if (k < 0) {
    DbField f;
    f.name = name;
    f.type = 'V';
    f.id = dbdesc_newid();
    f.sub = want;
    s->fields.push_back(f);
    s->version++;
    return api_top(st, s->fields.size() - 1);
  }
  DbField &f = s->fields[k];
  if (f.type != 'V' || f.self) {
    api_msg(err, errlen, f.name + " is not a view");
    return nullptr;
  }
  if (!dbdesc_restructure(dbdesc_sub(s, (size_t)k).get(), want.get(), "", e)) {
    api_msg(err, errlen, "cannot restructure " + f.name + ": " + e);
    return nullptr;
  }
  return api_top(st, (size_t)k);
}

DbView *dbapi_table(DbStorage *st, const char *desc, char *err, size_t errlen) {
  try {
    const char *lb = strchr(desc, '['), *rb = strchr(desc, ']');
    if (lb && (!rb || lb < rb)) return api_getas(st, desc, err, errlen);
    std::string name(desc, lb ? (size_t)(lb - desc) : strlen(desc));
    size_t b = name.find_first_not_of(" \t\r\n"), e = name.find_last_not_of(" \t\r\n");
    name = b == std::string::npos ? "" : name.substr(b, e - b + 1);
    return api_named(st, name, err, errlen);
  } catch (const std::bad_alloc &) {
    api_msg(err, errlen, "out of memory");
    return nullptr;
  }
}

/* Walks the description: tokens up to "[", "," or "]"; a token followed by
** "[" is a view. Only views at the top level are counted. */
DbView *dbapi_view_at(DbStorage *st, long i) {
  std::string desc = dbdesc_format(st->root->schema.get());
  const char *p = desc.c_str();
  long count = 0;
  int depth = 0;
  for (;;) {
    while (*p == ' ' || *p == '\t' || *p == ',' || *p == ']') {
      if (*p == ']' && depth > 0) depth--;
      p++;
    }
    if (!*p) return nullptr;
    const char *tok = p;
    while (*p && *p != '[' && *p != ',' && *p != ']') p++;
    if (*p != '[') continue;
    if (depth == 0 && ++count == i) {
      size_t n = strcspn(tok, " \t:[,]");
      return api_named(st, std::string(tok, n), nullptr, 0);
    }
    p++;
    depth++;
    if (*p == ']') {
      p++;
      depth--;
    }
  }
}

void dbapi_describe(DbStorage *st, char *buf, size_t buflen) {
  api_msg(buf, buflen, dbdesc_format(st->root->schema.get()));
}

/* ---- views ---- */

void dbapi_view_free(DbView *v) { delete v; }

size_t dbapi_size(DbView *v) { return v->map ? v->map->size() : v->base->rows; }

/* Base columns in the view's order. */
static std::vector<int> api_order(DbView *v) {
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

/* Base column of field k, or -1. */
static int api_col(DbView *v, int k) {
  int nf = (int)v->base->schema->fields.size();
  if (k < 0 || k >= nf) return -1;
  if (v->front.empty()) return k;
  return api_order(v)[k];
}

static bool api_baserow(DbView *v, size_t i, size_t &br) {
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

long dbapi_addfield(DbView *v, const char *name, char type, char *err, size_t errlen) {
  DbSchema *s = v->base->schema.get();
  size_t len = strlen(name);
  if (len == 0 || strcspn(name, ":[],") != len) {
    api_msg(err, errlen, std::string("bad field name \"") + name + "\"");
    return -1;
  }
  int k = dbdesc_find(s, name, len);
  if (k >= 0 && s->fields[k].type != type) {
    api_msg(err, errlen, "field " + s->fields[k].name + " is of type " +
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
  d->map = std::make_shared<RowMap>(std::move(rows));
  d->front = std::move(front);
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

long dbapi_find(DbView *v, DbRow *crit) {
  std::vector<uint32_t> pos;
  api_match(v, crit, pos, true);
  return pos.empty() ? -1 : (long)pos[0];
}

/* Deleting through a derived view deletes the base rows, and renumbers the
** rows this view still lists. */
void dbapi_del(DbView *v, size_t at, size_t count) {
  size_t n = dbapi_size(v);
  if (at >= n || count == 0) return;
  if (count > n - at) count = n - at;
  if (!v->map) {
    dbtab_erase(v->base.get(), at, count);
    return;
  }
  RowMap &m = *v->map;
  std::vector<uint32_t> gone(m.begin() + (ptrdiff_t)at, m.begin() + (ptrdiff_t)(at + count));
  m.erase(m.begin() + (ptrdiff_t)at, m.begin() + (ptrdiff_t)(at + count));
  std::sort(gone.begin(), gone.end(), std::greater<uint32_t>());
  for (uint32_t r : gone) dbtab_erase(v->base.get(), r, 1);
  std::sort(gone.begin(), gone.end());
  for (uint32_t &r : m) {
    size_t below = (size_t)(std::lower_bound(gone.begin(), gone.end(), r) - gone.begin());
    r -= (uint32_t)below;
  }
}

/* ---- rows ---- */

static bool api_grow(DbView *v, size_t rows) {
  size_t n = dbapi_size(v);
  if (rows <= n) return true;
  if (rows > API_MAXROWS) return false;
  size_t b = v->base->rows, add = rows - n;
  if (b + add > API_MAXROWS) return false;
  dbtab_resize(v->base.get(), b + add);
  if (v->map)
    for (size_t k = 0; k < add; k++) v->map->push_back((uint32_t)(b + k));
  return true;
}

DbRow *dbapi_row(DbView *v, size_t i) {
  try {
    if (i >= API_MAXROWS || !api_grow(v, i + 1)) return nullptr;
    DbRow *r = new DbRow;
    r->view = *v;
    r->row = i;
    return r;
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

DbRow *dbapi_crit(DbView *v) {
  DbRow *r = new DbRow;
  r->view.base = dbtab_new(v->base->schema);
  r->view.front = v->front;
  r->crit = true;
  dbtab_resize(r->view.base.get(), 1);
  return r;
}

void dbapi_row_free(DbRow *r) { delete r; }

DbView *dbapi_row_of(DbRow *r) { return &r->view; }

/* Cell of field k of the row: its base column and row. */
static DbColumn *api_cell(DbRow *r, int k, size_t &br, int &col) {
  col = api_col(&r->view, k);
  if (col < 0 || !api_baserow(&r->view, r->row, br)) return nullptr;
  return &dbtab_cols(r->view.base.get())[col];
}

int dbapi_get(DbRow *r, int k, DbValue *out) {
  size_t br;
  int col;
  DbColumn *c = api_cell(r, k, br, col);
  if (!c) return 0;
  out->type = c->type;
  out->num = 0;
  out->str = nullptr;
  out->len = 0;
  switch (c->type) {
    case 'I': out->num = c->i[br]; break;
    case 'F': out->num = c->f[br]; break;
    case 'D': out->num = c->d[br]; break;
    case 'L': out->num = (double)c->l[br]; break;
    case 'S':
    case 'B':
      out->str = c->s[br].c_str();
      out->len = c->s[br].size();
      break;
    default: break;
  }
  return 1;
}

DbView *dbapi_get_view(DbRow *r, int k) {
  size_t br;
  int col;
  DbColumn *c = api_cell(r, k, br, col);
  if (!c || c->type != 'V') return nullptr;
  DbView *v = new DbView;
  v->base = dbtab_subp(r->view.base.get(), (size_t)col, br);
  return v;
}

static void api_used(DbRow *r, int col) {
  if (!r->crit) return;
  for (int u : r->used)
    if (u == col) return;
  r->used.push_back(col);
}

/* Number to a 32-bit integer: truncated toward zero, wrapping modulo 2^32
** when out of range; NaN gives 0. */
static int32_t api_int(double x) {
  if (std::isnan(x)) return 0;
  x = std::trunc(x);
  if (x >= -2147483648.0 && x <= 2147483647.0) return (int32_t)x;
  if (std::isinf(x)) return 0;
  double m = std::fmod(x, 4294967296.0);
  if (m < 0) m += 4294967296.0;
  return (int32_t)(uint32_t)m;
}

static float api_float(double x) {
  if (x > FLT_MAX) return INFINITY;
  if (x < -FLT_MAX) return -INFINITY;
  return (float)x;
}

int dbapi_set_num(DbRow *r, int k, double x) {
  size_t br;
  int col;
  DbColumn *c = api_cell(r, k, br, col);
  if (!c) return 0;
  switch (c->type) {
    case 'I': c->i[br] = api_int(x); break;
    case 'F': c->f[br] = api_float(x); break;
    case 'D': c->d[br] = x; break;
    default: return 0;
  }
  api_used(r, col);
  return 1;
}

int dbapi_set_str(DbRow *r, int k, const char *s, size_t len) {
  size_t br;
  int col;
  DbColumn *c = api_cell(r, k, br, col);
  if (!c || c->type != 'S') return 0;
  const void *z = memchr(s, 0, len);
  if (z) len = (size_t)((const char *)z - s);
  c->s[br].assign(s, len);
  api_used(r, col);
  return 1;
}

int dbapi_set_view(DbRow *r, int k, DbView *src) {
  try {
    size_t br;
    int col;
    DbColumn *c = api_cell(r, k, br, col);
    if (!c || c->type != 'V') return 0;
    DbTable *dst = dbtab_sub(r->view.base.get(), (size_t)col, br);
    dbtab_assign(dst, src->base.get(), src->map.get());
    api_used(r, col);
    return 1;
  } catch (const std::bad_alloc &) {
    return 0;
  }
}
