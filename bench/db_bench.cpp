// The table database beside SQLite (when it is available) on the same work:
//  - one million rows of (S, I, D): insert, commit of the new storage,
//    reopen, find, select and sort;
//  - one changed value in that storage, committed, many times;
//  - every other row of 100,000 deleted one at a time, then committed, and
//    the other ways of deleting as many rows.
// The machine may be busy with other work: each measurement is taken in
// several rounds, the two engines taking turns (alternating who goes
// first), and the medians are compared. Usage: bench_db [rounds]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "data/db/dbapi.h"

#ifdef DB_BENCH_SQLITE
#include <sqlite3.h>
#endif

namespace {

const int ROWS = 1000000;
const int DROWS = 100000;  // rows of the deletion runs
const int CHANGES = 15;    // single-value commits in each round

double now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Times of one engine, one list per row of the report.
struct Times {
  std::vector<double> insert, commit, both, reopen, find, select, sort, change, first, del;
  size_t selected = 0;
  long found = 0;
};

int name_of(int k, int rows, char *buf) {
  return snprintf(buf, 32, "name%d", (int)((k * 7919LL) % rows));
}

void check(int ok, const char *what, const char *err) {
  if (!ok) fprintf(stderr, "db: %s: %s\n", what, err);
}

// ---- the table database

DbView *db_fill(DbStorage *st, int rows) {
  char err[300], s[32];
  DbView *v = dbapi_table(st, "big[s:S,i:I,d:D]", err, sizeof err);
  for (int k = 0; k < rows; k++) {
    DbRow *r = dbapi_row(v, (size_t)k);
    int len = name_of(k, rows, s);
    dbapi_set_str(r, 0, s, (size_t)len);
    dbapi_set_num(r, 1, k % 1000);
    dbapi_set_num(r, 2, k * 0.5);
    dbapi_row_free(r);
  }
  return v;
}

void db_big(const char *path, Times &m) {
  char err[300], s[32];
  remove(path);
  DbStorage *st = dbapi_open(path, err, sizeof err);
  double t = now();
  DbView *v = db_fill(st, ROWS);
  double insert = now() - t;
  t = now();
  check(dbapi_commit(st, 0, err, sizeof err), "commit", err);
  double commit = now() - t;
  m.insert.push_back(insert);
  m.commit.push_back(commit);
  m.both.push_back(insert + commit);
  dbapi_view_free(v);
  dbapi_close(st);

  t = now();
  st = dbapi_open(path, err, sizeof err);
  v = dbapi_view_at(st, 1);
  m.reopen.push_back(now() - t);

  t = now();
  DbRow *c = dbapi_crit(v);
  int len = name_of(ROWS - 2, ROWS, s);
  dbapi_set_str(c, 0, s, (size_t)len);
  m.found = dbapi_find(v, c) + 1;
  dbapi_row_free(c);
  m.find.push_back(now() - t);

  t = now();
  c = dbapi_crit(v);
  dbapi_set_num(c, 1, 17);
  DbView *sel = dbapi_select(v, c);
  m.selected = dbapi_size(sel);
  dbapi_row_free(c);
  dbapi_view_free(sel);
  m.select.push_back(now() - t);

  t = now();
  int key = 1;
  DbView *sorted = dbapi_sort(v, &key, 1);
  m.sort.push_back(now() - t);
  dbapi_view_free(sorted);
  dbapi_view_free(v);
  dbapi_close(st);
}

// The rows and values the single-value changes use, the same for both.
struct Change {
  int row, value;
};

std::vector<Change> changes(unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<Change> out;
  for (int k = 0; k < CHANGES; k++) out.push_back({(int)(rng() % ROWS), (int)(rng() % 1000)});
  return out;
}

struct DbOpen {
  DbStorage *st;
  DbView *v;
};

DbOpen db_open_big(const char *path) {
  char err[300];
  DbOpen o;
  o.st = dbapi_open(path, err, sizeof err);
  check(o.st != nullptr, "open", err);
  o.v = dbapi_view_at(o.st, 1);
  return o;
}

double db_change(DbOpen &o, const Change &c) {
  char err[300];
  double t = now();
  DbRow *r = dbapi_row(o.v, (size_t)c.row);
  dbapi_set_num(r, 1, c.value);
  dbapi_row_free(r);
  check(dbapi_commit(o.st, 0, err, sizeof err), "commit", err);
  return now() - t;
}

void db_close(DbOpen &o) {
  dbapi_view_free(o.v);
  dbapi_close(o.st);
}

// Deletes half the rows of a committed storage of DROWS rows and commits.
// how: 0 every other row one at a time from the first, 1 the same from the
// last, 2 the last half in one call, 3 the rows whose i is below 500
// (scattered) through a view sorted on i.
double db_delete(const char *path, int how) {
  char err[300];
  remove(path);
  DbStorage *st = dbapi_open(path, err, sizeof err);
  dbapi_view_free(db_fill(st, DROWS));
  check(dbapi_commit(st, 0, err, sizeof err), "commit", err);
  DbView *v = dbapi_view_at(st, 1);
  double t = now();
  if (how == 0) {
    for (int k = 0; k < DROWS / 2; k++) dbapi_del(v, (size_t)k, 1);
  } else if (how == 1) {
    for (int k = DROWS - 2; k >= 0; k -= 2) dbapi_del(v, (size_t)k, 1);
  } else if (how == 2) {
    dbapi_del(v, DROWS / 2, DROWS / 2);
  } else {
    int key = 1;
    DbView *sorted = dbapi_sort(v, &key, 1);
    dbapi_del(sorted, 0, DROWS / 2);
    dbapi_view_free(sorted);
  }
  check(dbapi_commit(st, 0, err, sizeof err), "commit", err);
  double d = now() - t;
  if (dbapi_size(v) != (size_t)DROWS / 2) fprintf(stderr, "db: deleted the wrong number of rows\n");
  dbapi_view_free(v);
  dbapi_close(st);
  remove(path);
  return d;
}

#ifdef DB_BENCH_SQLITE
// ---- SQLite, default settings (rollback journal, full sync)

void sql(sqlite3 *db, const char *q) {
  char *msg = nullptr;
  if (sqlite3_exec(db, q, nullptr, nullptr, &msg) != SQLITE_OK) {
    fprintf(stderr, "sqlite: %s\n", msg);
    sqlite3_free(msg);
  }
}

size_t steps(sqlite3_stmt *q) {
  size_t n = 0;
  while (sqlite3_step(q) == SQLITE_ROW) {
    sqlite3_column_text(q, 0);
    n++;
  }
  sqlite3_finalize(q);
  return n;
}

sqlite3 *sq_fill(const char *path, int rows, double *insert) {
  char s[32];
  remove(path);
  sqlite3 *db;
  sqlite3_open(path, &db);
  sql(db, "CREATE TABLE big(s TEXT COLLATE NOCASE, i INTEGER, d REAL)");
  double t = now();
  sql(db, "BEGIN");
  sqlite3_stmt *ins;
  sqlite3_prepare_v2(db, "INSERT INTO big VALUES(?, ?, ?)", -1, &ins, nullptr);
  for (int k = 0; k < rows; k++) {
    int len = name_of(k, rows, s);
    sqlite3_bind_text(ins, 1, s, len, SQLITE_STATIC);
    sqlite3_bind_int(ins, 2, k % 1000);
    sqlite3_bind_double(ins, 3, k * 0.5);
    sqlite3_step(ins);
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  if (insert) *insert = now() - t;
  return db;
}

void sq_big(const char *path, Times &m) {
  char s[32];
  double insert;
  sqlite3 *db = sq_fill(path, ROWS, &insert);
  double t = now();
  sql(db, "COMMIT");
  double commit = now() - t;
  m.insert.push_back(insert);
  m.commit.push_back(commit);
  m.both.push_back(insert + commit);
  sqlite3_close(db);

  // Opening is lazy: reading every row once makes it comparable.
  t = now();
  sqlite3_open(path, &db);
  sqlite3_stmt *q;
  sqlite3_prepare_v2(db, "SELECT s, i, d FROM big", -1, &q, nullptr);
  steps(q);
  m.reopen.push_back(now() - t);

  t = now();
  sqlite3_prepare_v2(db, "SELECT rowid FROM big WHERE s = ? LIMIT 1", -1, &q, nullptr);
  int len = name_of(ROWS - 2, ROWS, s);
  sqlite3_bind_text(q, 1, s, len, SQLITE_STATIC);
  if (sqlite3_step(q) == SQLITE_ROW) m.found = (long)sqlite3_column_int64(q, 0);
  sqlite3_finalize(q);
  m.find.push_back(now() - t);

  t = now();
  sqlite3_prepare_v2(db, "SELECT s, i, d FROM big WHERE i = 17", -1, &q, nullptr);
  m.selected = steps(q);
  m.select.push_back(now() - t);

  t = now();
  sqlite3_prepare_v2(db, "SELECT s, i, d FROM big ORDER BY i, s, d", -1, &q, nullptr);
  steps(q);
  m.sort.push_back(now() - t);
  sqlite3_close(db);
}

double sq_change(sqlite3 *db, const Change &c) {
  double t = now();
  sqlite3_stmt *q;
  sqlite3_prepare_v2(db, "UPDATE big SET i = ? WHERE rowid = ?", -1, &q, nullptr);
  sqlite3_bind_int(q, 1, c.value);
  sqlite3_bind_int(q, 2, c.row + 1);
  if (sqlite3_step(q) != SQLITE_DONE) fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
  sqlite3_finalize(q);
  return now() - t;
}

double sq_delete(const char *path) {
  sqlite3 *db = sq_fill(path, DROWS, nullptr);
  sql(db, "COMMIT");
  double t = now();
  sql(db, "BEGIN");
  sqlite3_stmt *q;
  sqlite3_prepare_v2(db, "DELETE FROM big WHERE rowid = ?", -1, &q, nullptr);
  for (int k = 1; k <= DROWS; k += 2) {
    sqlite3_bind_int(q, 1, k);
    sqlite3_step(q);
    sqlite3_reset(q);
  }
  sqlite3_finalize(q);
  sql(db, "COMMIT");
  double d = now() - t;
  sqlite3_close(db);
  remove(path);
  return d;
}
#endif

// ---- the report

void line(const char *what, const std::vector<double> &a, const std::vector<double> &b,
          double goal = 0) {
  double x = median(a), y = median(b);
  if (y > 0) {
    printf("  %-24s %9.4f s %9.4f s   %5.2fx", what, x, y, x / y);
    if (goal > 0) printf("   goal <= %.2fx%s", goal, x / y <= goal ? "" : "  (missed)");
    printf("\n");
  } else {
    printf("  %-24s %9.4f s\n", what, x);
  }
}

}  // namespace

int main(int argc, char **argv) {
  int rounds = argc > 1 ? atoi(argv[1]) : 3;
  if (rounds < 1) rounds = 1;
  // sq and dbfirst serve only the comparison with SQLite
  [[maybe_unused]] const char *mk = "db_bench.mk", *sq = "db_bench.sqlite";
  Times d, q;
  std::vector<double> back, range, byview;
  for (int round = 0; round < rounds; round++) {
    [[maybe_unused]] bool dbfirst = round % 2 == 0;
#ifdef DB_BENCH_SQLITE
    if (!dbfirst) sq_big(sq, q);
#endif
    db_big(mk, d);
#ifdef DB_BENCH_SQLITE
    if (dbfirst) sq_big(sq, q);
    sqlite3 *sdb;
    sqlite3_open(sq, &sdb);
#endif
    // Single-value commits on the storages just made, taking turns.
    DbOpen o = db_open_big(mk);
    std::vector<Change> cs = changes(77 + (unsigned)round);
    for (int k = 0; k < CHANGES; k++) {
      double t = db_change(o, cs[(size_t)k]);
      (k == 0 ? d.first : d.change).push_back(t);
#ifdef DB_BENCH_SQLITE
      t = sq_change(sdb, cs[(size_t)k]);
      (k == 0 ? q.first : q.change).push_back(t);
#endif
    }
    db_close(o);
#ifdef DB_BENCH_SQLITE
    sqlite3_close(sdb);
    remove(sq);
#endif
    remove(mk);
    for (int k = 0; k < 2; k++) {
#ifdef DB_BENCH_SQLITE
      if (!dbfirst) q.del.push_back(sq_delete(sq));
#endif
      d.del.push_back(db_delete(mk, 0));
#ifdef DB_BENCH_SQLITE
      if (dbfirst) q.del.push_back(sq_delete(sq));
#endif
    }
    back.push_back(db_delete(mk, 1));
    range.push_back(db_delete(mk, 2));
    byview.push_back(db_delete(mk, 3));
  }
  printf("table database, %d rows of (S, I, D), medians of %d rounds\n", ROWS, rounds);
#ifdef DB_BENCH_SQLITE
  printf("  %-24s %11s %11s   %s\n", "", "db", "sqlite", "db/sqlite");
#endif
  line("insert", d.insert, q.insert);
  line("commit", d.commit, q.commit, 1.0);
  // SQLite writes most pages while inserting, so the sum compares the work.
  line("insert + commit", d.both, q.both);
  line("reopen", d.reopen, q.reopen);
  line("find", d.find, q.find);
  line("select", d.select, q.select);
  line("sort", d.sort, q.sort);
  line("one value, commit", d.change, q.change, 2.0);
  line("  first after opening", d.first, q.first);
  printf("  found row %ld, selected %zu rows\n", d.found, d.selected);
  printf("deleting half of %d rows, then commit\n", DROWS);
  line("every other, one by one", d.del, q.del, 3.0);
  line("  the same from the end", back, {});
  line("  the last half at once", range, {});
  line("  scattered, by a view", byview, {});
  return 0;
}
