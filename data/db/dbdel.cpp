/* Deleting rows. Removing a row from the columns moves every row after it,
** so rows deleted one at a time are only noted at first (pending), in a
** tree of live-row counts that finds the i-th remaining row in log time;
** the next use of the table takes them all out in one pass. */
#include <algorithm>
#include <cassert>
#include <functional>

#include "data/db/dbtab.h"

/* Deletions noted so far, rows counted in the columns as they are. The
** first few are kept sorted in gone and searched in turn; past that, live
** is a Fenwick tree over those rows: 1 for a row still there, 0 for a
** deleted one (1-based, live[0] unused). */
struct DbPending {
  std::vector<uint32_t> live, gone;
  size_t top = 1;  /* the largest power of two not above the row count */
};

/* Deletions searched in turn before the tree is built. */
static const size_t DEL_LIST = 64;

DbTable::DbTable() = default;
DbTable::~DbTable() = default;

/* A deletion of more rows than this is done at once. */
static const size_t DEL_FEW = 16;

template <class V>
static void del_cut(V &vec, size_t at, size_t count) {
  if (at >= vec.size()) return;
  size_t end = vec.size() - at < count ? vec.size() : at + count;
  vec.erase(vec.begin() + (ptrdiff_t)at, vec.begin() + (ptrdiff_t)end);
}

/* Keeps the rows not in gone (ascending); rows before the first are not
** moved. */
template <class V>
static void del_keep(V &vec, const std::vector<uint32_t> &gone) {
  size_t g = 0, out = gone[0];
  for (size_t r = gone[0]; r < vec.size(); r++) {
    if (g < gone.size() && gone[g] == r) {
      g++;
      continue;
    }
    vec[out++] = std::move(vec[r]);
  }
  if (out < vec.size()) vec.resize(out);
}

static void del_keep_col(DbColumn &c, const std::vector<uint32_t> &gone) {
  switch (c.type) {
    case 'I': del_keep(c.i, gone); break;
    case 'F': del_keep(c.f, gone); break;
    case 'D': del_keep(c.d, gone); break;
    case 'L': del_keep(c.l, gone); break;
    case 'V': del_keep(c.v, gone); break;
    default: del_keep(c.s, gone); break;
  }
}

/* Derived views lose the rows gone (ascending) and renumber the others. */
static void del_unmap(DbTable *t, const std::vector<uint32_t> &gone) {
  for (std::weak_ptr<DbRowMap> &w : t->maps) {
    std::shared_ptr<DbRowMap> map = w.lock();
    if (!map) continue;
    size_t out = 0;
    for (uint32_t r : *map) {
      auto at = std::lower_bound(gone.begin(), gone.end(), r);
      if (at != gone.end() && *at == r) continue;
      (*map)[out++] = r - (uint32_t)(at - gone.begin());
    }
    map->resize(out);
  }
}

/* Derived views lose rows at..at+count-1 and renumber the rows after them. */
static void del_unmap_range(DbTable *t, size_t at, size_t count) {
  for (std::weak_ptr<DbRowMap> &w : t->maps) {
    std::shared_ptr<DbRowMap> map = w.lock();
    if (!map) continue;
    size_t out = 0;
    for (uint32_t r : *map) {
      if (r >= at && r - at < count) continue;
      (*map)[out++] = r >= at ? r - (uint32_t)count : r;
    }
    map->resize(out);
  }
}

static bool del_watched(DbTable *t) {
  for (std::weak_ptr<DbRowMap> &w : t->maps)
    if (!w.expired()) return true;
  return false;
}

static void del_remove(DbTable *t, const std::vector<uint32_t> &gone) {
  for (DbColumn &c : t->cols) del_keep_col(c, gone);
  del_unmap(t, gone);
}

void dbtab_settle(DbTable *t) {
  std::unique_ptr<DbPending> p = std::move(t->pending);
  if (!p || p->gone.empty()) return;
  std::sort(p->gone.begin(), p->gone.end());
  del_remove(t, p->gone);
}

/* An all-live tree (node i counts the rows in (i - lowbit(i), i]) less
** the rows gone so far. */
static void del_tree(DbPending *p, size_t n) {
  p->live.resize(n + 1);
  for (size_t i = 1; i <= n; i++) p->live[i] = (uint32_t)(i & (0 - i));
  while (p->top * 2 <= n) p->top *= 2;
  for (uint32_t row : p->gone)
    for (size_t i = row + 1; i <= n; i += i & (0 - i)) p->live[i]--;
}

/* The row in the columns of the k-th remaining row (from 0). */
static size_t del_find(const DbPending *p, size_t k) {
  if (p->live.empty()) {
    for (uint32_t g : p->gone) {
      if (g > k) break;
      k++;
    }
    return k;
  }
  size_t pos = 0, want = k + 1, n = p->live.size() - 1;
  for (size_t step = p->top; step; step /= 2)
    if (pos + step <= n && p->live[pos + step] < want) {
      pos += step;
      want -= p->live[pos];
    }
  return pos;
}

/* n: the rows in the columns. */
static void del_note(DbPending *p, size_t row, size_t n) {
  if (p->live.empty()) {
    p->gone.insert(std::lower_bound(p->gone.begin(), p->gone.end(), (uint32_t)row), (uint32_t)row);
    if (p->gone.size() >= DEL_LIST) del_tree(p, n);
    return;
  }
  for (size_t i = row + 1; i <= n; i += i & (0 - i)) p->live[i]--;
  p->gone.push_back((uint32_t)row);
}

void dbtab_erase(DbTable *t, size_t at, size_t count) {
  if (at >= t->rows || count == 0) return;
  if (count > t->rows - at) count = t->rows - at;
  dbtab_reshaped(t);
  if (count <= DEL_FEW && !del_watched(t)) {
    if (!t->pending) t->pending = std::make_unique<DbPending>();
    DbPending *p = t->pending.get();
    size_t n = t->rows + p->gone.size();
    for (size_t k = 0; k < count; k++) del_note(p, del_find(p, at), n);
    t->rows -= count;
    return;
  }
  for (DbColumn &c : dbtab_cols(t)) {
    switch (c.type) {
      case 'I': del_cut(c.i, at, count); break;
      case 'F': del_cut(c.f, at, count); break;
      case 'D': del_cut(c.d, at, count); break;
      case 'L': del_cut(c.l, at, count); break;
      case 'V': del_cut(c.v, at, count); break;
      default: del_cut(c.s, at, count); break;
    }
  }
  t->rows -= count;
  del_unmap_range(t, at, count);
}

void dbtab_erase_rows(DbTable *t, const std::vector<uint32_t> &rows) {
  assert(std::adjacent_find(rows.begin(), rows.end(),
                            std::greater_equal<uint32_t>()) == rows.end());
  dbtab_cols(t);
  size_t n = 0;
  while (n < rows.size() && rows[n] < t->rows) n++;
  if (n == 0) return;
  std::vector<uint32_t> gone(rows.begin(), rows.begin() + (ptrdiff_t)n);
  dbtab_reshaped(t);
  del_remove(t, gone);
  t->rows -= n;
}
