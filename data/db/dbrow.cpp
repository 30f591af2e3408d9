/* Rows: growing a view to reach them, and reading and writing their fields
** by the fields' types. Criteria records are rows of a one-row table. */
#include <cfloat>
#include <cmath>
#include <cstring>
#include <new>

#include "data/db/dbapi_int.h"

const size_t API_MAXROWS = DB_MAXROWS;

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

static DbRow *api_crit_(DbView *v) {
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
    case 'I': out->num = dbcol_i(*c, br); break;
    case 'F': out->num = dbcol_f(*c, br); break;
    case 'D': out->num = dbcol_d(*c, br); break;
    case 'L': out->num = (double)dbcol_l(*c, br); break;
    case 'S':
    case 'B':
      out->str = dbcol_s(*c, br).c_str();
      out->len = dbcol_s(*c, br).size();
      break;
    default: break;
  }
  return 1;
}

static DbView *api_get_view_(DbRow *r, int k, char *err, size_t errlen) {
  size_t br;
  int col;
  DbColumn *c = api_cell(r, k, br, col);
  if (!c || c->type != 'V') return nullptr;
  if (r->view.level >= DB_MAXDEPTH) {
    api_msg(err, errlen, DB_TOODEEP);
    return nullptr;
  }
  DbView *v = new DbView;
  v->base = dbtab_subp(r->view.base.get(), (size_t)col, br);
  v->level = r->view.level + 1;
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

/* Rounded to nearest as the hardware does, without converting a value out
** of float's range (undefined): past FLT_MAX but below the halfway point to
** the next power of two, a number still rounds to FLT_MAX ("3.4028235e38",
** FLT_MAX written with 8 digits, is such a number). */
static float api_float(double x) {
  const double inf_from = 0x1.ffffffp127; /* FLT_MAX + half its last unit */
  if (x >= inf_from) return INFINITY;
  if (x <= -inf_from) return -INFINITY;
  if (x > FLT_MAX) return FLT_MAX;
  if (x < -FLT_MAX) return -FLT_MAX;
  return (float)x;
}

static int api_set_num_(DbRow *r, int k, double x) {
  size_t br;
  int col;
  DbColumn *c = api_cell(r, k, br, col);
  if (!c || (c->type != 'I' && c->type != 'F' && c->type != 'D')) return 0;
  dbcol_touch(*c, br);
  switch (c->type) {
    case 'I': c->i[br] = api_int(x); break;
    case 'F': c->f[br] = api_float(x); break;
    case 'D': c->d[br] = x; break;
    default: return 0;
  }
  api_used(r, col);
  return 1;
}

static int api_set_str_(DbRow *r, int k, const char *s, size_t len) {
  size_t br;
  int col;
  DbColumn *c = api_cell(r, k, br, col);
  if (!c || c->type != 'S') return 0;
  const void *z = memchr(s, 0, len);
  if (z) len = (size_t)((const char *)z - s);
  dbcol_put_s(*c, br, s, len);
  api_used(r, col);
  return 1;
}

int dbapi_set_view(DbRow *r, int k, DbView *src, char *err, size_t errlen) {
  try {
    size_t br;
    int col;
    DbColumn *c = api_cell(r, k, br, col);
    if (!c || c->type != 'V') return 0;
    /* The copy's deepest table must stay within the limit, counted from
       the level the copy lands at. */
    int room = DB_MAXDEPTH - r->view.level;
    if (dbtab_depth(src->base.get(), room) > room) {
      api_msg(err, errlen, DB_TOODEEP);
      return 0;
    }
    DbTable *dst = dbtab_sub(r->view.base.get(), (size_t)col, br);
    dbtab_assign(dst, src->base.get(), src->map.get());
    api_used(r, col);
    return 1;
  } catch (const std::bad_alloc &) {
    return 0;
  }
}

DbRow *dbapi_crit(DbView *v) {
  try {
    return api_crit_(v);
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

int dbapi_set_num(DbRow *r, int k, double x) {
  try {
    return api_set_num_(r, k, x);
  } catch (const std::bad_alloc &) {
    return 0;
  }
}

DbView *dbapi_get_view(DbRow *r, int k, char *err, size_t errlen) {
  try {
    return api_get_view_(r, k, err, errlen);
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

int dbapi_set_str(DbRow *r, int k, const char *s, size_t len) {
  try {
    return api_set_str_(r, k, s, len);
  } catch (const std::bad_alloc &) {
    return 0;
  }
}
