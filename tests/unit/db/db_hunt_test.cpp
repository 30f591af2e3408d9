// Long random runs of every operation a script has (writes of every type,
// growing, deletes of every shape, derived views, find, select, sort,
// copies of nested views, restructuring, commits that add to the file,
// full ones, reopening), checked after every step against a plain model
// that keeps rows by value and field values by name. The model follows the
// documented behaviour, not the engine's data structures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <random>

#include "data/db/dbio.h"
#include "tests/unit/db/db_util.h"

namespace {

// ---- the model

struct MSchema;
typedef std::shared_ptr<MSchema> MSchemaP;
struct MField {
  std::string name;  // first spelling
  char type;
  MSchemaP sub;  // a V field without one has the structure holding it ([^])
};
struct MSchema {
  std::vector<MField> f;
};

struct MRow;
struct MVal {
  double n = 0;
  std::string s;
  std::vector<MRow> v;
};
// Values by lower-case field name; a missing one is the default.
struct MRow {
  uint64_t id = 0;
  std::map<std::string, MVal> c;
};

std::string lower(std::string s) {
  for (char &c : s)
    if (c >= 'A' && c <= 'Z') c = (char)(c + 32);
  return s;
}

const MVal &mget(const MRow &r, const std::string &name) {
  static const MVal none;
  auto it = r.c.find(lower(name));
  return it == r.c.end() ? none : it->second;
}

std::string num(double x) {
  char b[40];
  snprintf(b, sizeof b, "%.17g", x);
  return b;
}

std::string mdump_rows(const MSchema &s, const std::vector<const MRow *> &rows,
                       const std::vector<int> &order);

std::vector<int> plain_order(const MSchema &s) {
  std::vector<int> o(s.f.size());
  for (size_t k = 0; k < o.size(); k++) o[k] = (int)k;
  return o;
}

const MSchema &sub_of(const MSchema &holder, const MField &f) { return f.sub ? *f.sub : holder; }

std::string mdump_cell(const MSchema &holder, const MField &f, const MVal &v) {
  if (f.type == 'S') return "'" + v.s + "'";
  if (f.type == 'V') {
    std::vector<const MRow *> rs;
    for (const MRow &r : v.v) rs.push_back(&r);
    const MSchema &sub = sub_of(holder, f);
    return "[" + mdump_rows(sub, rs, plain_order(sub)) + "]";
  }
  return num(v.n);
}

std::string mdump_rows(const MSchema &s, const std::vector<const MRow *> &rows,
                       const std::vector<int> &order) {
  std::string o;
  for (const MRow *r : rows) {
    o += "(";
    for (size_t k = 0; k < order.size(); k++) {
      if (k) o += ",";
      const MField &f = s.f[(size_t)order[k]];
      o += mdump_cell(s, f, mget(*r, f.name));
    }
    o += ")";
  }
  return o;
}

std::string mdump(const MSchema &s, const std::vector<MRow> &rows) {
  std::vector<const MRow *> rs;
  for (const MRow &r : rows) rs.push_back(&r);
  return mdump_rows(s, rs, plain_order(s));
}

int mcmp_rows(const MSchema &s, const MRow &a, const MRow &b);


int mcmp_real(double a, double b) {
  bool na = std::isnan(a), nb = std::isnan(b);
  if (na || nb) return na == nb ? 0 : na ? 1 : -1;
  return a < b ? -1 : b < a ? 1 : 0;
}

// ASCII letters fold; other bytes compare unsigned.
int mcmp_text(const std::string &a, const std::string &b) {
  std::string x = lower(a), y = lower(b);
  for (size_t k = 0; k < x.size() && k < y.size(); k++)
    if (x[k] != y[k]) return (unsigned char)x[k] < (unsigned char)y[k] ? -1 : 1;
  return x.size() < y.size() ? -1 : x.size() > y.size() ? 1 : 0;
}

int mcmp_val(const MSchema &holder, const MField &f, const MVal &a, const MVal &b) {
  switch (f.type) {
    case 'S': return mcmp_text(a.s, b.s);
    case 'V': {
      for (size_t r = 0; r < a.v.size() && r < b.v.size(); r++) {
        int d = mcmp_rows(sub_of(holder, f), a.v[r], b.v[r]);
        if (d) return d;
      }
      return a.v.size() < b.v.size() ? -1 : a.v.size() > b.v.size() ? 1 : 0;
    }
    default: return mcmp_real(a.n, b.n);
  }
}

int mcmp_rows(const MSchema &s, const MRow &a, const MRow &b) {
  for (const MField &f : s.f) {
    int d = mcmp_val(s, f, mget(a, f.name), mget(b, f.name));
    if (d) return d;
  }
  return 0;
}

// Drops values of fields the structure no longer has, all the way down.
void mprune(const MSchema &s, std::vector<MRow> &rows) {
  for (MRow &r : rows) {
    for (auto it = r.c.begin(); it != r.c.end();) {
      const MField *f = nullptr;
      for (const MField &g : s.f)
        if (lower(g.name) == it->first) f = &g;
      if (!f) {
        it = r.c.erase(it);
        continue;
      }
      if (f->type == 'V') mprune(sub_of(s, *f), it->second.v);
      ++it;
    }
  }
}

MSchemaP mcopy(const MSchema &s) {
  MSchemaP c = std::make_shared<MSchema>();
  for (const MField &f : s.f) c->f.push_back({f.name, f.type, f.sub ? mcopy(*f.sub) : nullptr});
  return c;
}

std::string mdesc(const MSchema &s) {
  std::string o;
  for (size_t k = 0; k < s.f.size(); k++) {
    if (k) o += ",";
    o += s.f[k].name;
    if (s.f[k].type == 'V')
      o += "[" + (s.f[k].sub ? mdesc(*s.f[k].sub) : std::string("^")) + "]";
    else
      o += std::string(":") + s.f[k].type;
  }
  return o;
}

// The model as the independent reader (mkread.py) prints a storage.
std::string mk_rows(const MSchema &s, const std::vector<MRow> &rows);

std::string mk_cell(const MSchema &holder, const MField &f, const MVal &v) {
  char b[40];
  switch (f.type) {
    case 'I': snprintf(b, sizeof b, "%d", (int)(int32_t)v.n); return b;
    case 'F': {
      float x = (float)v.n;
      uint32_t u;
      memcpy(&u, &x, 4);
      snprintf(b, sizeof b, "f%08x", (unsigned)u);
      return b;
    }
    case 'D': {
      uint64_t u;
      memcpy(&u, &v.n, 8);
      snprintf(b, sizeof b, "d%016llx", (unsigned long long)u);
      return b;
    }
    case 'S': {
      std::string o = "s";
      for (unsigned char c : v.s) {
        snprintf(b, sizeof b, "%02x", c);
        o += b;
      }
      return o;
    }
    default: return mk_rows(sub_of(holder, f), v.v);
  }
}

std::string mk_rows(const MSchema &s, const std::vector<MRow> &rows) {
  std::string o = "[";
  for (size_t r = 0; r < rows.size(); r++) {
    if (r) o += ";";
    for (size_t k = 0; k < s.f.size(); k++) o += (k ? "," : "") + mk_cell(s, s.f[k], mget(rows[r], s.f[k].name));
  }
  return o + "]";
}

// ---- engine helpers

// A derived view and the rows it shows, by identity; front: fields listed
// first (a sort on them).
struct Derived {
  DbView *v = nullptr;
  std::vector<uint64_t> ids;
  std::vector<std::string> front;
};

struct Run {
  std::mt19937 rng;
  std::string name;
  DbStorage *st = nullptr;
  DbView *top = nullptr;
  MSchemaP schema;
  std::vector<MRow> rows;
  uint64_t nextid = 1;
  std::vector<Derived> derived;
  // As committed.
  MSchemaP saved_schema;
  std::vector<MRow> saved_rows;
  int extra = 0;  // fields added so far
  int step = 0;
  size_t bigs = 0, commits = 0, reopens = 0;
  char err[300];

  unsigned seed;
  explicit Run(unsigned s) : rng(s), seed(s) {}
  ~Run() {
    for (Derived &d : derived) dbapi_view_free(d.v);
    dbapi_view_free(top);
    dbapi_close(st);
  }
  unsigned pick(unsigned n) { return n ? (unsigned)(rng() % n) : 0; }
  bool chance(unsigned n) { return pick(n) == 0; }
};

const char *BASE = "h[s:S,n:I,f:F,d:D,sub[x:I,y:S,deep[z:D,w:S]]]";

MSchemaP base_schema() {
  MSchemaP deep = std::make_shared<MSchema>();
  deep->f = {{"z", 'D', nullptr}, {"w", 'S', nullptr}};
  MSchemaP sub = std::make_shared<MSchema>();
  sub->f = {{"x", 'I', nullptr}, {"y", 'S', nullptr}, {"deep", 'V', deep}};
  MSchemaP top = std::make_shared<MSchema>();
  top->f = {{"s", 'S', nullptr}, {"n", 'I', nullptr}, {"f", 'F', nullptr},
            {"d", 'D', nullptr}, {"sub", 'V', sub}};
  return top;
}

int32_t rand_int(Run &R) {
  switch (R.pick(9)) {
    case 0: return 0;
    case 1: return (int32_t)R.pick(2);
    case 2: return (int32_t)R.pick(4);
    case 3: return (int32_t)R.pick(16);
    case 4: return -(int32_t)R.pick(16) - 1;
    case 5: return (int32_t)R.pick(256) - 128;
    case 6: return (int32_t)R.pick(65536) - 32768;
    case 7: return R.chance(2) ? INT32_MIN : INT32_MAX;
    default: return (int32_t)R.rng();
  }
}

double rand_real(Run &R) {
  switch (R.pick(6)) {
    case 0: return 0;
    case 1: return (double)((int)R.pick(41) - 20) * 0.5;
    case 2: return -0.0;
    case 3: return std::ldexp((double)(int32_t)R.rng(), (int)R.pick(80) - 40);
    case 4: return 1e30 * ((int)R.pick(3) - 1);
    default: return (double)R.pick(3);
  }
}

std::string rand_text(Run &R, const std::string &now) {
  static const char *words[] = {"", "a", "A", "b", "B", "_x", "alice", "Alice", "ALICE", "zz", "\xe9t\xe9", "a\x7f"};
  switch (R.pick(8)) {
    case 0:
    case 1: return words[R.pick(12)];
    case 2: {  // same length: may go into a spare copy
      std::string s = now;
      for (char &c : s) c = (char)('a' + R.pick(26));
      return s;
    }
    case 3: {  // a zero byte ends the text
      std::string s = "ab";
      s += '\0';
      s += "cd";
      return s;
    }
    case 4:
      if (R.chance(6)) {  // big: past the sizes other writers keep apart
        R.bigs++;
        return std::string(R.chance(2) ? 10001 + R.pick(3000) : 101 + R.pick(900), (char)('a' + R.pick(26)));
      }
      return "q";
    default: {
      std::string s(R.pick(9), 'x');
      for (char &c : s) c = (char)(1 + R.pick(255));
      return s;
    }
  }
}

void set_value(Run &R, DbRow *row, int k, const MField &f, MVal &m) {
  switch (f.type) {
    case 'I': {
      double x = rand_int(R);
      if (R.chance(8)) x += R.chance(2) ? 0.75 : -0.75;  // truncated toward zero
      ASSERT_TRUE(dbapi_set_num(row, k, x));
      m.n = std::trunc(x) + 0.0;  // no negative zero in an integer
      break;
    }
    case 'F': {
      double x = rand_real(R);
      ASSERT_TRUE(dbapi_set_num(row, k, x));
      m.n = (double)(float)x;
      break;
    }
    case 'D': {
      double x = rand_real(R);
      ASSERT_TRUE(dbapi_set_num(row, k, x));
      m.n = x;
      break;
    }
    case 'S': {
      std::string s = rand_text(R, m.s);
      ASSERT_TRUE(dbapi_set_str(row, k, s.data(), s.size()));
      m.s = s.substr(0, strlen(s.c_str()));
      break;
    }
    default: break;
  }
}

// Field number of name in view v (as the view lists its fields).
int field_of(DbView *v, const std::string &name) {
  int k = dbapi_field_named(v, name.data(), name.size());
  EXPECT_GE(k, 0) << name;
  return k;
}

// ---- checks

std::vector<const MRow *> rows_of(Run &R, const std::vector<uint64_t> &ids) {
  std::vector<const MRow *> out;
  for (uint64_t id : ids)
    for (const MRow &r : R.rows)
      if (r.id == id) out.push_back(&r);
  return out;
}

std::vector<int> order_of(const MSchema &s, const std::vector<std::string> &front) {
  std::vector<int> o;
  for (const std::string &n : front)
    for (size_t k = 0; k < s.f.size(); k++)
      if (lower(s.f[k].name) == lower(n) && std::find(o.begin(), o.end(), (int)k) == o.end())
        o.push_back((int)k);
  for (size_t k = 0; k < s.f.size(); k++)
    if (std::find(o.begin(), o.end(), (int)k) == o.end()) o.push_back((int)k);
  return o;
}

// Where two dumps part, with some text either side.
std::string differ(const std::string &got, const std::string &want) {
  if (got == want) return "";
  size_t k = 0;
  while (k < got.size() && k < want.size() && got[k] == want[k]) k++;
  size_t from = k > 60 ? k - 60 : 0;
  return "at " + std::to_string(k) + ":\n  got  ..." + got.substr(from, 160) + "\n  want ..." +
         want.substr(from, 160);
}

void check_all(Run &R, const char *what) {
  ASSERT_EQ(dbapi_size(R.top), R.rows.size()) << what << " step " << R.step;
  ASSERT_EQ(differ(dbt_dump_view(R.top), mdump(*R.schema, R.rows)), "") << what << " step " << R.step;
  for (Derived &d : R.derived) {
    // rows deleted anywhere leave the view
    std::vector<uint64_t> live;
    for (uint64_t id : d.ids)
      for (const MRow &r : R.rows)
        if (r.id == id) live.push_back(id);
    d.ids = live;
    ASSERT_EQ(differ(dbt_dump_view(d.v), mdump_rows(*R.schema, rows_of(R, d.ids), order_of(*R.schema, d.front))), "")
        << what << " (derived) step " << R.step;
  }
}

// ---- operations

size_t index_of(Run &R, uint64_t id) {
  for (size_t i = 0; i < R.rows.size(); i++)
    if (R.rows[i].id == id) return i;
  return SIZE_MAX;
}

void grow_model(Run &R, size_t n) {
  while (R.rows.size() < n) {
    MRow r;
    r.id = R.nextid++;
    R.rows.push_back(r);
  }
}

// Writes field f of row i of the table (growing it), or deep inside it.
void op_write(Run &R) {
  size_t i = R.pick((unsigned)R.rows.size() + (R.chance(10) ? 40 : 3));
  grow_model(R, i + 1);
  DbRow *row = dbapi_row(R.top, i);
  ASSERT_NE(row, nullptr);
  const MSchema &s = *R.schema;
  const MField &f = s.f[R.pick((unsigned)s.f.size())];
  int k = field_of(R.top, f.name);
  MRow &m = R.rows[i];
  if (f.type != 'V') {
    set_value(R, row, k, f, m.c[lower(f.name)]);
    dbapi_row_free(row);
    return;
  }
  // nested: a row of the subview, perhaps a row of its own subview
  DbView *sub = dbapi_get_view(row, k, nullptr, 0);
  dbapi_row_free(row);
  ASSERT_NE(sub, nullptr);
  std::vector<MRow> &mv = m.c[lower(f.name)].v;
  const MSchema &ss = *f.sub;
  if (R.chance(6) && !mv.empty()) {  // deletes inside
    size_t at = R.pick((unsigned)mv.size()), count = 1 + R.pick(3);
    size_t end = std::min(mv.size(), at + count);
    mv.erase(mv.begin() + (ptrdiff_t)at, mv.begin() + (ptrdiff_t)end);
    dbapi_del(sub, at, count);
    dbapi_view_free(sub);
    return;
  }
  size_t q = R.pick((unsigned)mv.size() + 2);
  if (mv.size() < q + 1) mv.resize(q + 1);
  DbRow *srow = dbapi_row(sub, q);
  const MField &g = ss.f[R.pick((unsigned)ss.f.size())];
  int gk = field_of(sub, g.name);
  if (g.type != 'V') {
    set_value(R, srow, gk, g, mv[q].c[lower(g.name)]);
  } else {
    DbView *deep = dbapi_get_view(srow, gk, nullptr, 0);
    std::vector<MRow> &dv = mv[q].c[lower(g.name)].v;
    const MSchema &ds = *g.sub;
    if (R.chance(5) && !dv.empty()) {
      size_t at = R.pick((unsigned)dv.size());
      dv.erase(dv.begin() + (ptrdiff_t)at);
      dbapi_del(deep, at, 1);
    } else {
      size_t z = R.pick((unsigned)dv.size() + 2);
      if (dv.size() < z + 1) dv.resize(z + 1);
      DbRow *drow = dbapi_row(deep, z);
      const MField &h = ds.f[R.pick((unsigned)ds.f.size())];
      if (h.type != 'V') set_value(R, drow, field_of(deep, h.name), h, dv[z].c[lower(h.name)]);
      dbapi_row_free(drow);
    }
    dbapi_view_free(deep);
  }
  dbapi_row_free(srow);
  dbapi_view_free(sub);
}

void op_delete(Run &R) {
  size_t n = R.rows.size();
  if (!n) return;
  std::vector<std::pair<size_t, size_t>> dels;  // (at, count) in turn
  switch (R.pick(8)) {
    case 0: dels.push_back({0, 1 + R.pick(3)}); break;                 // the front
    case 1: dels.push_back({n - 1, 1}); break;                        // the end
    case 2: dels.push_back({R.pick((unsigned)n), 1 + R.pick(20)}); break;  // a range
    case 3: dels.push_back({0, n + R.pick(3)}); break;                // all
    case 4: {  // scattered, one at a time, from the back
      size_t k = 1 + R.pick(30);
      for (size_t j = 0; j < k && n; j++) dels.push_back({R.pick((unsigned)n--), 1});
      break;
    }
    case 5: {  // every other row, from the front
      for (size_t at = 0; at < n / 2; at++) dels.push_back({at + 1, 1});
      break;
    }
    case 6: {  // many from the back, one at a time (past the noted few)
      for (size_t j = 0; j + 1 < n && j < 80; j++) dels.push_back({n - 2 - j, 1});
      break;
    }
    default: dels.push_back({R.pick((unsigned)n), 1}); break;
  }
  for (auto &d : dels) {
    size_t at = d.first, end = std::min(R.rows.size(), at + d.second);
    if (at < R.rows.size()) R.rows.erase(R.rows.begin() + (ptrdiff_t)at, R.rows.begin() + (ptrdiff_t)end);
    dbapi_del(R.top, at, d.second);
    if (R.chance(12)) check_all(R, "delete");  // between the deletes of one operation
  }
}

// A criteria record and the model rows it matches.
struct Crit {
  DbRow *row;
  std::vector<std::pair<std::string, MVal>> want;
};

Crit make_crit(Run &R, DbView *v) {
  Crit c{dbapi_crit(v), {}};
  const MSchema &s = *R.schema;
  unsigned nk = 1 + R.pick(2);
  for (unsigned j = 0; j < nk; j++) {
    const MField &f = s.f[R.pick((unsigned)s.f.size())];
    MVal val;
    if (f.type == 'V') {  // a nested view equal to a row's, or an empty one
      if (f.name != "sub" && !R.rows.empty()) continue;
      int k = field_of(v, f.name);
      if (!R.rows.empty() && !R.chance(3)) {
        size_t i = R.pick((unsigned)R.rows.size());
        DbRow *row = dbapi_row(R.top, i);
        DbView *sv = dbapi_get_view(row, field_of(R.top, f.name), nullptr, 0);
        EXPECT_TRUE(dbapi_set_view(c.row, k, sv, R.err, sizeof R.err)) << R.err;
        dbapi_view_free(sv);
        dbapi_row_free(row);
        val.v = mget(R.rows[i], f.name).v;
      } else {
        DbRow *none = dbapi_crit(R.top);  // its nested view is empty
        DbView *sv = dbapi_get_view(none, field_of(R.top, f.name), nullptr, 0);
        EXPECT_TRUE(dbapi_set_view(c.row, k, sv, R.err, sizeof R.err)) << R.err;
        dbapi_view_free(sv);
        dbapi_row_free(none);
      }
      c.want.erase(std::remove_if(c.want.begin(), c.want.end(),
                                  [&](const std::pair<std::string, MVal> &p) { return p.first == lower(f.name); }),
                   c.want.end());
      c.want.push_back({lower(f.name), val});
      continue;
    }
    // values taken from an existing row now and then, so that some match
    if (!R.rows.empty() && !R.chance(4)) {
      val = mget(R.rows[R.pick((unsigned)R.rows.size())], f.name);
      if (f.type == 'S' && R.chance(2)) {  // another letter case matches too
        for (char &ch : val.s)
          if (ch >= 'a' && ch <= 'z') ch = (char)(ch - 32);
      }
      int k = field_of(v, f.name);
      if (f.type == 'S')
        dbapi_set_str(c.row, k, val.s.data(), val.s.size());
      else
        dbapi_set_num(c.row, k, val.n);
    } else {
      set_value(R, c.row, field_of(v, f.name), f, val);
    }
    c.want.erase(std::remove_if(c.want.begin(), c.want.end(),
                                [&](const std::pair<std::string, MVal> &p) { return p.first == lower(f.name); }),
                 c.want.end());
    c.want.push_back({lower(f.name), val});
  }
  return c;
}

bool crit_match(Run &R, const Crit &c, const MRow &r) {
  for (auto &p : c.want)
    for (const MField &f : R.schema->f)
      if (lower(f.name) == p.first && mcmp_val(*R.schema, f, mget(r, f.name), p.second)) return false;
  return true;
}

void op_query(Run &R) {
  int kind = (int)R.pick(4);
  // the source: the table, or a derived view
  Derived *src = !R.derived.empty() && R.chance(3) ? &R.derived[R.pick((unsigned)R.derived.size())] : nullptr;
  DbView *v = src ? src->v : R.top;
  std::vector<uint64_t> ids;
  if (src)
    ids = src->ids;
  else
    for (const MRow &r : R.rows) ids.push_back(r.id);
  std::vector<std::string> front = src ? src->front : std::vector<std::string>();
  if (kind <= 1) {
    Crit c = make_crit(R, v);
    std::vector<uint64_t> hit;
    for (uint64_t id : ids)
      if (crit_match(R, c, R.rows[index_of(R, id)])) hit.push_back(id);
    if (kind == 0) {
      long got = dbapi_find(v, c.row);
      long want = hit.empty() ? -1 : (long)(std::find(ids.begin(), ids.end(), hit[0]) - ids.begin());
      EXPECT_EQ(got, want) << "find, step " << R.step;
      dbapi_row_free(c.row);
      return;
    }
    Derived d;
    d.v = dbapi_select(v, c.row);
    d.ids = hit;
    d.front = front;
    dbapi_row_free(c.row);
    R.derived.push_back(d);
  } else {
    // sort on all fields, or on some given ones (by number or name)
    std::vector<int> order = order_of(*R.schema, front);
    std::vector<int> keys;
    std::vector<std::string> kfront;
    if (kind == 3) {
      unsigned nk = 1 + R.pick(3);
      for (unsigned j = 0; j < nk; j++) {
        int k = (int)R.pick((unsigned)order.size());
        keys.push_back(k);
        const std::string &name = R.schema->f[(size_t)order[(size_t)k]].name;
        if (std::find(kfront.begin(), kfront.end(), name) == kfront.end()) kfront.push_back(name);
      }
    }
    // keys first, then the remaining fields in the view's order, then the
    // original order
    std::vector<int> cols;
    for (const std::string &n : kfront)
      for (size_t k = 0; k < R.schema->f.size(); k++)
        if (R.schema->f[k].name == n) cols.push_back((int)k);
    for (int k : order)
      if (std::find(cols.begin(), cols.end(), k) == cols.end()) cols.push_back(k);
    std::vector<uint64_t> sorted = ids;
    std::stable_sort(sorted.begin(), sorted.end(), [&](uint64_t a, uint64_t b) {
      const MRow &x = R.rows[index_of(R, a)], &y = R.rows[index_of(R, b)];
      for (int k : cols) {
        const MField &f = R.schema->f[(size_t)k];
        int d = mcmp_val(*R.schema, f, mget(x, f.name), mget(y, f.name));
        if (d) return d < 0;
      }
      return false;
    });
    Derived d;
    d.v = dbapi_sort(v, keys.data(), (int)keys.size());
    d.ids = sorted;
    d.front = kfront;
    if (!kfront.empty())
      for (const std::string &n : front) d.front.push_back(n);
    else
      d.front = front;
    R.derived.push_back(d);
  }
  if (R.derived.size() > 3) {
    dbapi_view_free(R.derived.front().v);
    R.derived.erase(R.derived.begin());
  }
}

// Writes, grows and deletes through a derived view.
void op_through(Run &R) {
  if (R.derived.empty()) return;
  Derived &d = R.derived[R.pick((unsigned)R.derived.size())];
  int kind = (int)R.pick(4);
  if (kind == 0 && !d.ids.empty()) {  // delete a run of it
    size_t at = R.pick((unsigned)d.ids.size()), count = 1 + R.pick(4);
    for (size_t j = at; j < d.ids.size() && j < at + count; j++)
      R.rows.erase(R.rows.begin() + (ptrdiff_t)index_of(R, d.ids[j]));
    dbapi_del(d.v, at, count);
    return;
  }
  size_t i = R.pick((unsigned)d.ids.size() + (kind == 1 ? 3 : 0));
  if (i >= d.ids.size() && kind != 1) return;
  while (d.ids.size() <= i) {  // grown rows join the view and the table
    MRow r;
    r.id = R.nextid++;
    R.rows.push_back(r);
    d.ids.push_back(r.id);
  }
  DbRow *row = dbapi_row(d.v, i);
  ASSERT_NE(row, nullptr);
  const MField &f = R.schema->f[R.pick((unsigned)R.schema->f.size())];
  if (f.type != 'V') set_value(R, row, field_of(d.v, f.name), f, R.rows[index_of(R, d.ids[i])].c[lower(f.name)]);
  dbapi_row_free(row);
}

const MSchemaP &sub_schema(Run &R) {
  for (const MField &f : R.schema->f)
    if (f.name == "sub") return f.sub;
  return R.schema->f[0].sub;
}

// Copies a view into a row's nested view: another row's, or a selection.
void op_copy(Run &R) {
  if (R.rows.size() < 2) return;
  size_t a = R.pick((unsigned)R.rows.size()), b = R.pick((unsigned)R.rows.size());
  int k = field_of(R.top, "sub");
  DbRow *ra = dbapi_row(R.top, a);
  DbRow *rb = dbapi_row(R.top, b);
  DbView *src = dbapi_get_view(ra, k, nullptr, 0);
  std::vector<MRow> copy = mget(R.rows[a], "sub").v;
  if (R.chance(2) && !copy.empty()) {  // through a sort of it
    DbView *srt = dbapi_sort(src, nullptr, 0);
    dbapi_view_free(src);
    src = srt;
    std::stable_sort(copy.begin(), copy.end(),
                     [&](const MRow &x, const MRow &y) { return mcmp_rows(*sub_schema(R), x, y) < 0; });
  }
  ASSERT_TRUE(dbapi_set_view(rb, k, src, R.err, sizeof R.err)) << R.err;
  R.rows[b].c["sub"].v = copy;
  dbapi_view_free(src);
  dbapi_row_free(ra);
  dbapi_row_free(rb);
}


// Adds, drops and reorders fields, or re-describes in other letter case.
void op_restructure(Run &R) {
  MSchemaP s = mcopy(*R.schema);
  int kind = (int)R.pick(5);
  if (kind == 0) {  // addfield at the end, of the table or of the nested view
    static const char types[] = "IFDSV";
    char t = types[R.pick(5)];
    std::string name = "e" + std::to_string(++R.extra);
    bool nested = R.chance(3);
    DbView *v = R.top;
    DbRow *row = nullptr;
    if (nested) {
      row = dbapi_row(R.top, 0);
      grow_model(R, 1);
      v = dbapi_get_view(row, field_of(R.top, "sub"), nullptr, 0);
    }
    long got = dbapi_addfield(v, name.c_str(), t, R.err, sizeof R.err);
    EXPECT_EQ(got, (long)dbapi_size(v));
    MSchemaP sub;
    if (t == 'V') {
      sub = std::make_shared<MSchema>();
      sub->f = {{"q", 'I', nullptr}};
    }
    MSchema &target = nested ? *sub_schema(R) : *R.schema;
    target.f.push_back({name, t, sub});
    if (t == 'V') {  // its own field, through a row's view of it
      DbView *in = nullptr;
      DbRow *r0 = dbapi_row(v, 0);  // grows the view to one row
      if (!nested) grow_model(R, 1);
      in = dbapi_get_view(r0, field_of(v, name), nullptr, 0);
      EXPECT_EQ(dbapi_addfield(in, "q", 'I', R.err, sizeof R.err), 0);
      dbapi_view_free(in);
      dbapi_row_free(r0);
      if (nested) {
        std::vector<MRow> &mv = R.rows[0].c["sub"].v;
        if (mv.empty()) mv.resize(1);
      }
    }
    if (nested) {
      dbapi_view_free(v);
      dbapi_row_free(row);
    }
    return;
  }
  if (kind == 1) {  // drop an added field (perhaps one added back later)
    for (size_t k = 0; k < s->f.size(); k++)
      if (s->f[k].name[0] == 'e' && R.chance(2)) {
        s->f.erase(s->f.begin() + (ptrdiff_t)k);
        break;
      }
  } else if (kind == 2) {  // reorder the table's fields and the nested ones
    std::shuffle(s->f.begin(), s->f.end(), R.rng);
    for (MField &f : s->f)
      if (f.name == "sub") std::shuffle(f.sub->f.begin(), f.sub->f.end(), R.rng);
  } else if (kind == 3 && R.extra) {  // a dropped name comes back, empty
    std::string name = "e" + std::to_string(1 + R.pick((unsigned)R.extra));
    bool have = false;
    for (MField &f : s->f) have |= f.name == name;
    if (!have) s->f.push_back({name, 'I', nullptr});
    for (MField &f : s->f)
      if (f.name == name && f.type != 'I') return;
  }
  std::string desc = "h[" + mdesc(*s) + "]";
  if (kind == 4) {  // other letter case: nothing changes
    for (char &c : desc)
      if (c >= 'a' && c <= 'z' && R.chance(2)) c = (char)(c - 32);
  }
  DbView *v = dbapi_table(R.st, desc.c_str(), R.err, sizeof R.err);
  if (!v) {  // a field of another type under an old name is refused
    std::string msg = R.err;
    EXPECT_NE(msg.find("cannot become"), std::string::npos) << msg;
    return;
  }
  dbapi_view_free(v);
  if (kind != 4) {
    R.schema = s;
    mprune(*R.schema, R.rows);
  }
}

void op_commit(Run &R) {
  int full = R.chance(12);
  ASSERT_TRUE(dbapi_commit(R.st, full, R.err, sizeof R.err)) << R.err;
  R.commits++;
  ASSERT_EQ(differ(dbt_content(R.name), mdump(*R.schema, R.rows) + ";"), "") << "commit, step " << R.step;
  R.saved_schema = mcopy(*R.schema);
  R.saved_rows = R.rows;
  // For the independent reader: the file and what it must find in it.
  const char *out = getenv("DBHUNT_OUT");
  if (out && R.commits % 4 == 0) {
    std::string base = std::string(out) + "/hunt" + std::to_string(R.seed) + "_" + std::to_string(R.step);
    dbt_save(base + ".mk", dbt_load(R.name));
    std::string text = "h[" + mdesc(*R.schema) + "]=" + mk_rows(*R.schema, R.rows) + "\n";
    dbt_save(base + ".txt", DbBytes(text.begin(), text.end()));
  }
}

void op_reopen(Run &R) {
  for (Derived &d : R.derived) dbapi_view_free(d.v);
  R.derived.clear();
  dbapi_view_free(R.top);
  dbapi_close(R.st);
  R.reopens++;
  R.st = dbapi_open(R.name.c_str(), R.err, sizeof R.err);
  ASSERT_NE(R.st, nullptr) << R.err;
  R.schema = mcopy(*R.saved_schema);
  R.rows = R.saved_rows;  // what was not committed is gone
  R.top = dbapi_view_at(R.st, 1);
  if (!R.top) R.top = dbapi_table(R.st, ("h[" + mdesc(*R.schema) + "]").c_str(), R.err, sizeof R.err);
  ASSERT_NE(R.top, nullptr) << R.err;
}

void hunt(unsigned seed, int steps) {
  SCOPED_TRACE("seed " + std::to_string(seed));
  Run R(seed);
  R.name = dbt_tmpname("hunt");
  R.st = dbapi_open(R.name.c_str(), R.err, sizeof R.err);
  ASSERT_NE(R.st, nullptr) << R.err;
  R.top = dbapi_table(R.st, BASE, R.err, sizeof R.err);
  R.schema = base_schema();
  R.saved_schema = mcopy(*R.schema);
  const char *trace = getenv("DBHUNT_TRACE");
  for (R.step = 0; R.step < steps; R.step++) {
    unsigned op = R.pick(100);
    if (trace && R.step >= atoi(trace)) fprintf(stderr, "step %d op %u rows %zu\n", R.step, op, R.rows.size());
    if (op < 40)
      op_write(R);
    else if (op < 52)
      op_delete(R);
    else if (op < 62)
      op_query(R);
    else if (op < 68)
      op_through(R);
    else if (op < 71)
      op_copy(R);
    else if (op < 73)
      op_restructure(R);
    else if (op < 88)
      op_commit(R);
    else if (op < 90)
      op_reopen(R);
    if (::testing::Test::HasFatalFailure() || ::testing::Test::HasNonfatalFailure()) return;
    check_all(R, "after");
    if (::testing::Test::HasFatalFailure()) return;
  }
  EXPECT_GT(R.commits, (size_t)steps / 10);
}


// ---- trees: a view whose rows hold views of its own structure ([^]),
// beside another top-level view

struct Tree {
  std::mt19937 rng;
  std::string name;
  DbStorage *st = nullptr;
  DbView *a = nullptr, *t = nullptr;
  MSchemaP schema, aschema;
  std::vector<MRow> rows, arows, saved, asaved;
  int step = 0;
  char err[300];
  explicit Tree(unsigned seed) : rng(seed) {}
  unsigned pick(unsigned n) { return n ? (unsigned)(rng() % n) : 0; }
  bool chance(unsigned n) { return pick(n) == 0; }
  void open() {
    st = dbapi_open(name.c_str(), err, sizeof err);
    ASSERT_NE(st, nullptr) << err;
    a = dbapi_table(st, "a[k:I]", err, sizeof err);
    t = dbapi_table(st, "t[name:S,n:I,r:D,kids[^]]", err, sizeof err);
    ASSERT_TRUE(a && t) << err;
  }
  void close() {
    dbapi_view_free(a);
    dbapi_view_free(t);
    dbapi_close(st);
  }
  std::string want() { return mdump(*aschema, arows) + ";" + mdump(*schema, rows) + ";"; }
};

double tree_real(Tree &T) {
  switch (T.pick(5)) {
    case 0: return NAN;
    case 1: return -1.5;
    case 2: return 0;
    default: return (double)T.pick(4);
  }
}

// Walks down from the table through rows' kids, depth levels at most: the
// view reached (a new handle, to be freed), and its rows in the model.
DbView *tree_walk(Tree &T, std::vector<MRow> *&mv, unsigned depth) {
  DbView *v = nullptr;
  mv = &T.rows;
  for (unsigned d = 0; d < depth && !mv->empty(); d++) {
    size_t i = T.pick((unsigned)mv->size());
    DbRow *row = dbapi_row(v ? v : T.t, i);
    DbView *next = dbapi_get_view(row, 3, nullptr, 0);
    dbapi_row_free(row);
    dbapi_view_free(v);
    v = next;
    mv = &(*mv)[i].c["kids"].v;
  }
  return v;
}

void tree_step(Tree &T) {
  unsigned op = T.pick(100);
  std::vector<MRow> *mv;
  DbView *v = tree_walk(T, mv, T.pick(5));
  DbView *at = v ? v : T.t;
  if (op < 45) {  // a value, growing the view when past its end
    size_t i = T.pick((unsigned)mv->size() + 2);
    if (mv->size() < i + 1) mv->resize(i + 1);
    DbRow *row = dbapi_row(at, i);
    MRow &m = (*mv)[i];
    switch (T.pick(3)) {
      case 0: {
        static const char *names[] = {"", "a", "B", "b", "root", "Root"};
        std::string n = names[T.pick(6)];
        dbapi_set_str(row, 0, n.data(), n.size());
        m.c["name"].s = n;
        break;
      }
      case 1: {
        int32_t n = (int32_t)T.pick(7) - 3;
        dbapi_set_num(row, 1, n);
        m.c["n"].n = n;
        break;
      }
      default: {
        double x = tree_real(T);
        dbapi_set_num(row, 2, x);
        m.c["r"].n = x;
      }
    }
    dbapi_row_free(row);
  } else if (op < 60 && !mv->empty()) {  // a run of rows, at any level
    size_t i = T.pick((unsigned)mv->size()), count = 1 + T.pick(T.chance(4) ? 50 : 2);
    mv->erase(mv->begin() + (ptrdiff_t)i, mv->begin() + (ptrdiff_t)std::min(mv->size(), i + count));
    dbapi_del(at, i, count);
  } else if (op < 68 && !mv->empty()) {  // a row's kids copied into a row below it, or anywhere
    size_t i = T.pick((unsigned)mv->size());
    DbRow *src = dbapi_row(at, i);
    DbView *kids = dbapi_get_view(src, 3, nullptr, 0);
    std::vector<MRow> copy = (*mv)[i].c["kids"].v;
    std::vector<MRow> *dst = &(*mv)[i].c["kids"].v;
    if (!dst->empty() && T.chance(2)) {  // into a kid's kids: the copy holds the old rows
      size_t j = T.pick((unsigned)dst->size());
      DbRow *kr = dbapi_row(kids, j);
      ASSERT_TRUE(dbapi_set_view(kr, 3, kids, T.err, sizeof T.err)) << T.err;
      (*dst)[j].c["kids"].v = copy;
      dbapi_row_free(kr);
    } else {
      size_t j = T.pick((unsigned)mv->size());
      DbRow *target = dbapi_row(at, j);
      ASSERT_TRUE(dbapi_set_view(target, 3, kids, T.err, sizeof T.err)) << T.err;
      (*mv)[j].c["kids"].v = copy;
      dbapi_row_free(target);
    }
    dbapi_view_free(kids);
    dbapi_row_free(src);
  } else if (op < 78) {  // sorts and selections of the level, against the model
    std::vector<const MRow *> want;
    for (const MRow &r : *mv) want.push_back(&r);
    DbView *d;
    std::vector<int> order = plain_order(*T.schema);
    if (T.chance(2)) {
      std::stable_sort(want.begin(), want.end(),
                       [&](const MRow *x, const MRow *y) { return mcmp_rows(*T.schema, *x, *y) < 0; });
      d = dbapi_sort(at, nullptr, 0);
    } else if (T.chance(2)) {  // on the kids, then the rest
      int key = 3;
      std::stable_sort(want.begin(), want.end(), [&](const MRow *x, const MRow *y) {
        int c = mcmp_val(*T.schema, T.schema->f[3], mget(*x, "kids"), mget(*y, "kids"));
        return c ? c < 0 : mcmp_rows(*T.schema, *x, *y) < 0;
      });
      d = dbapi_sort(at, &key, 1);
      order = {3, 0, 1, 2};
    } else {  // on r: NaN after every number
      double x = tree_real(T);
      std::vector<const MRow *> sel;
      for (const MRow *r : want)
        if (!mcmp_real(mget(*r, "r").n, x)) sel.push_back(r);
      want = sel;
      DbRow *c = dbapi_crit(at);
      dbapi_set_num(c, 2, x);
      d = dbapi_select(at, c);
      long first = -1;
      for (size_t k = 0; k < mv->size() && first < 0; k++)
        if (!mcmp_real(mget((*mv)[k], "r").n, x)) first = (long)k;
      EXPECT_EQ(dbapi_find(at, c), first) << "find, step " << T.step;
      dbapi_row_free(c);
    }
    EXPECT_EQ(differ(dbt_dump_view(d), mdump_rows(*T.schema, want, order)), "") << "query, step " << T.step;
    dbapi_view_free(d);
  } else if (op < 84) {  // the other view
    size_t i = T.pick((unsigned)T.arows.size() + 2);
    if (T.arows.size() < i + 1) T.arows.resize(i + 1);
    int32_t k = T.chance(2) ? (int32_t)T.rng() : (int32_t)T.pick(3);
    DbRow *row = dbapi_row(T.a, i);
    dbapi_set_num(row, 0, k);
    dbapi_row_free(row);
    T.arows[i].c["k"].n = k;
  } else if (op < 96) {
    ASSERT_TRUE(dbapi_commit(T.st, T.chance(10), T.err, sizeof T.err)) << T.err;
    ASSERT_EQ(differ(dbt_content(T.name), T.want()), "") << "commit, step " << T.step;
    T.saved = T.rows;
    T.asaved = T.arows;
  } else {
    dbapi_view_free(v);
    v = nullptr;
    T.close();
    T.open();
    if (::testing::Test::HasFatalFailure()) return;
    T.rows = T.saved;
    T.arows = T.asaved;
  }
  dbapi_view_free(v);
}

void tree_hunt(unsigned seed, int steps) {
  SCOPED_TRACE("tree seed " + std::to_string(seed));
  Tree T(seed);
  T.name = dbt_tmpname("tree");
  T.aschema = std::make_shared<MSchema>();
  T.aschema->f = {{"k", 'I', nullptr}};
  T.schema = std::make_shared<MSchema>();
  T.schema->f = {{"name", 'S', nullptr}, {"n", 'I', nullptr}, {"r", 'D', nullptr}, {"kids", 'V', nullptr}};
  T.open();
  for (T.step = 0; T.step < steps; T.step++) {
    tree_step(T);
    if (::testing::Test::HasFailure()) break;
    ASSERT_EQ(differ(dbt_views(T.st), T.want()), "") << "step " << T.step;
  }
  T.close();
}
}  // namespace

// Seeds run by default: file operations under the Windows emulator are
// slow. DBHUNT_SEEDS=n (and DBHUNT_FIRST=k) run more; DBHUNT_TRACE=step
// lists the operations from that step on.
#ifdef _WIN32
const unsigned HUNT_SEEDS = 1;
#else
const unsigned HUNT_SEEDS = 2;
#endif

TEST(DbHunt, RandomRunsAgainstAPlainModel) {
  const char *env = getenv("DBHUNT_SEEDS");
  unsigned n = env ? (unsigned)atoi(env) : HUNT_SEEDS;
  const char *first = getenv("DBHUNT_FIRST");
  for (unsigned seed = first ? (unsigned)atoi(first) : 1; seed <= n && !HasFailure(); seed++) hunt(seed, 1500);
}

TEST(DbHunt, TreesAgainstAPlainModel) {
  const char *env = getenv("DBHUNT_SEEDS");
  unsigned n = env ? (unsigned)atoi(env) : (HUNT_SEEDS + 1) / 2;
  for (unsigned seed = 1; seed <= n && !HasFailure(); seed++) tree_hunt(seed, 1000);
}

// A number written to an F field is rounded to the nearest float, as a
// conversion by the processor rounds it, up to the edge of float's range:
// FLT_MAX as printed with 8 digits is a little above FLT_MAX and must not
// become infinity.
TEST(DbHunt, FloatFieldsRoundToTheNearestFloat) {
  char err[300];
  DbStorage *st = dbapi_open(nullptr, err, sizeof err);
  DbView *v = dbapi_table(st, "r[f:F]", err, sizeof err);
  DbRow *row = dbapi_row(v, 0);
  struct {
    double in;
    float out;
  } cases[] = {
      {3.4028235e38, FLT_MAX},
      {-3.4028235e38, -FLT_MAX},
      {0x1.fffffefffffffp127, FLT_MAX},  // just below halfway to 2^128
      {0x1.ffffffp127, INFINITY},        // halfway: to even, which is 2^128
      {1e39, INFINITY},
      {-1e300, -INFINITY},
      {1e-46, 0.0f},
      {-1e-46, -0.0f},
      {0x1.000001p0, 1.0f},  // halfway between 1 and the next float: to even
      {0x1.000003p0, 0x1.000004p0f},
  };
  for (auto &c : cases) {
    ASSERT_TRUE(dbapi_set_num(row, 0, c.in));
    DbValue val;
    ASSERT_TRUE(dbapi_get(row, 0, &val));
    float got = (float)val.num;
    EXPECT_EQ(memcmp(&got, &c.out, 4), 0) << c.in << " gave " << val.num;
  }
  // in range, the same as the processor's conversion
  std::mt19937_64 rng(5);
  for (int k = 0; k < 10000; k++) {
    uint64_t bits = rng();
    double x;
    memcpy(&x, &bits, 8);
    if (!(std::fabs(x) <= FLT_MAX)) continue;
    ASSERT_TRUE(dbapi_set_num(row, 0, x));
    DbValue val;
    ASSERT_TRUE(dbapi_get(row, 0, &val));
    float want = (float)x;
    EXPECT_EQ(val.num, (double)want) << x;
  }
  dbapi_row_free(row);
  dbapi_view_free(v);
  dbapi_close(st);
}

// Few values changed between many commits of a larger table, so that most
// commits rewrite rows of spare copies: values of the column's width and
// strings of the same length, now and then a wider value, a row deleted or
// added, a nested row, a reopening; the file read anew after each commit.
static void spare_run(unsigned seed) {
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 rng(seed);
  std::string name = dbt_tmpname("spare");
  char err[300];
  DbStorage *st = dbapi_open(name.c_str(), err, sizeof err);
  const char *desc = "p[n:I,f:F,d:D,s:S,sub[x:I]]";
  DbView *v = dbapi_table(st, desc, err, sizeof err);
  MSchemaP sub = std::make_shared<MSchema>();
  sub->f = {{"x", 'I', nullptr}};
  MSchema s;
  s.f = {{"n", 'I', nullptr}, {"f", 'F', nullptr}, {"d", 'D', nullptr}, {"s", 'S', nullptr}, {"sub", 'V', sub}};
  std::vector<MRow> rows(300), saved;
  auto put = [&](size_t r, int k, double x) {
    DbRow *row = dbapi_row(v, r);
    ASSERT_TRUE(dbapi_set_num(row, k, x));
    dbapi_row_free(row);
  };
  for (size_t r = 0; r < rows.size(); r++) {
    int32_t n = (int32_t)(r % 7);
    put(r, 0, n);
    rows[r].c["n"].n = n;
    std::string t = "s" + std::to_string(r % 10);
    DbRow *row = dbapi_row(v, r);
    dbapi_set_str(row, 3, t.data(), t.size());
    dbapi_row_free(row);
    rows[r].c["s"].s = t;
  }
  size_t small = 0;
  for (int c = 0; c < 250; c++) {
    unsigned n = 1 + (unsigned)(rng() % 4);
    for (unsigned j = 0; j < n; j++) {
      size_t r = rng() % rows.size();
      unsigned what = (unsigned)(rng() % 20);
      if (what < 6) {  // within the width so far, now and then wider
        int32_t x = rng() % 15 ? (int32_t)(rng() % 7) : (int32_t)(rng() % 100000) - 50000;
        put(r, 0, x);
        rows[r].c["n"].n = x;
      } else if (what < 9) {
        float x = (float)(rng() % 9) * 0.5f;
        put(r, 1, x);
        rows[r].c["f"].n = x;
      } else if (what < 12) {
        double x = (double)(rng() % 1000) / 8;
        put(r, 2, x);
        rows[r].c["d"].n = x;
      } else if (what < 16) {
        std::string t = rows[r].c["s"].s;
        if (t.empty() || rng() % 10 == 0) t = "s" + std::to_string(rng() % 100);
        for (size_t q = 1; q < t.size(); q++) t[q] = (char)('0' + rng() % 10);
        DbRow *row = dbapi_row(v, r);
        dbapi_set_str(row, 3, t.data(), t.size());
        dbapi_row_free(row);
        rows[r].c["s"].s = t;
      } else if (what < 18) {
        DbRow *row = dbapi_row(v, r);
        DbView *sv = dbapi_get_view(row, 4, nullptr, 0);
        std::vector<MRow> &m = rows[r].c["sub"].v;
        size_t q = rng() % (m.size() + 1);
        if (q == m.size()) m.resize(q + 1);
        int32_t x = (int32_t)(rng() % 4);
        DbRow *srow = dbapi_row(sv, q);
        dbapi_set_num(srow, 0, x);
        m[q].c["x"].n = x;
        dbapi_row_free(srow);
        dbapi_view_free(sv);
        dbapi_row_free(row);
      } else if (what == 18) {
        rows.erase(rows.begin() + (ptrdiff_t)r);
        dbapi_del(v, r, 1);
      } else {
        rows.resize(rows.size() + 1);
        dbapi_row_free(dbapi_row(v, rows.size() - 1));
      }
    }
    size_t before = dbt_load(name).size();
    ASSERT_TRUE(dbapi_commit(st, 0, err, sizeof err)) << err;
    size_t after = dbt_load(name).size();
    small += after > before && after - before < 200;
    ASSERT_EQ(differ(dbt_content(name), mdump(s, rows) + ";"), "") << "commit " << c;
    saved = rows;
    if (rng() % 40 == 0) {
      dbapi_view_free(v);
      dbapi_close(st);
      st = dbapi_open(name.c_str(), err, sizeof err);
      ASSERT_NE(st, nullptr) << err;
      v = dbapi_view_at(st, 1);
    }
  }
  EXPECT_GT(small, 30u);  // many commits only patched spare copies
  dbapi_view_free(v);
  dbapi_close(st);
}

TEST(DbHunt, SpareCopiesAgainstAPlainModel) {
  const char *env = getenv("DBHUNT_SEEDS");
  unsigned n = env ? (unsigned)atoi(env) : 1;
  for (unsigned seed = 1; seed <= n && !HasFailure(); seed++) spare_run(98 + seed);
}
