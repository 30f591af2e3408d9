// The table database on one million rows of (S, I, D): insert, commit,
// reopen, find, select and sort, each timed, beside SQLite doing the same on
// an equivalent table when it is available.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "data/db/dbapi.h"

#ifdef DB_BENCH_SQLITE
#include <sqlite3.h>
#endif

namespace {

const int ROWS = 1000000;

double now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

struct Figures {
  double insert, commit, reopen, find, select, sort;
  size_t selected;
  long found;
};

int name_of(int k, char *buf) { return snprintf(buf, 32, "name%d", (int)((k * 7919LL) % ROWS)); }

Figures bench_db(const char *path) {
  Figures f{};
  char err[300], s[32];
  remove(path);
  DbStorage *st = dbapi_open(path, err, sizeof err);
  DbView *v = dbapi_table(st, "big[s:S,i:I,d:D]", err, sizeof err);
  double t = now();
  for (int k = 0; k < ROWS; k++) {
    DbRow *r = dbapi_row(v, (size_t)k);
    int len = name_of(k, s);
    dbapi_set_str(r, 0, s, (size_t)len);
    dbapi_set_num(r, 1, k % 1000);
    dbapi_set_num(r, 2, k * 0.5);
    dbapi_row_free(r);
  }
  f.insert = now() - t;
  t = now();
  if (!dbapi_commit(st, err, sizeof err)) fprintf(stderr, "db: %s\n", err);
  f.commit = now() - t;
  dbapi_view_free(v);
  dbapi_close(st);

  t = now();
  st = dbapi_open(path, err, sizeof err);
  v = dbapi_view_at(st, 1);
  f.reopen = now() - t;

  t = now();
  DbRow *c = dbapi_crit(v);
  int len = name_of(ROWS - 2, s);
  dbapi_set_str(c, 0, s, (size_t)len);
  f.found = dbapi_find(v, c) + 1;
  dbapi_row_free(c);
  f.find = now() - t;

  t = now();
  c = dbapi_crit(v);
  dbapi_set_num(c, 1, 17);
  DbView *sel = dbapi_select(v, c);
  f.selected = dbapi_size(sel);
  dbapi_row_free(c);
  dbapi_view_free(sel);
  f.select = now() - t;

  t = now();
  int key = 1;
  DbView *sorted = dbapi_sort(v, &key, 1);
  f.sort = now() - t;
  dbapi_view_free(sorted);
  dbapi_view_free(v);
  dbapi_close(st);
  remove(path);
  return f;
}

#ifdef DB_BENCH_SQLITE
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

Figures bench_sqlite(const char *path) {
  Figures f{};
  char s[32];
  remove(path);
  sqlite3 *db;
  sqlite3_open(path, &db);
  sql(db, "CREATE TABLE big(s TEXT COLLATE NOCASE, i INTEGER, d REAL)");
  double t = now();
  sql(db, "BEGIN");
  sqlite3_stmt *ins;
  sqlite3_prepare_v2(db, "INSERT INTO big VALUES(?, ?, ?)", -1, &ins, nullptr);
  for (int k = 0; k < ROWS; k++) {
    int len = name_of(k, s);
    sqlite3_bind_text(ins, 1, s, len, SQLITE_STATIC);
    sqlite3_bind_int(ins, 2, k % 1000);
    sqlite3_bind_double(ins, 3, k * 0.5);
    sqlite3_step(ins);
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  f.insert = now() - t;
  t = now();
  sql(db, "COMMIT");
  f.commit = now() - t;
  sqlite3_close(db);

  // Opening is lazy: reading every row once makes it comparable.
  t = now();
  sqlite3_open(path, &db);
  sqlite3_stmt *q;
  sqlite3_prepare_v2(db, "SELECT s, i, d FROM big", -1, &q, nullptr);
  steps(q);
  f.reopen = now() - t;

  t = now();
  sqlite3_prepare_v2(db, "SELECT rowid FROM big WHERE s = ? LIMIT 1", -1, &q, nullptr);
  int len = name_of(ROWS - 2, s);
  sqlite3_bind_text(q, 1, s, len, SQLITE_STATIC);
  if (sqlite3_step(q) == SQLITE_ROW) f.found = (long)sqlite3_column_int64(q, 0);
  sqlite3_finalize(q);
  f.find = now() - t;

  t = now();
  sqlite3_prepare_v2(db, "SELECT s, i, d FROM big WHERE i = 17", -1, &q, nullptr);
  f.selected = steps(q);
  f.select = now() - t;

  t = now();
  sqlite3_prepare_v2(db, "SELECT s, i, d FROM big ORDER BY i, s, d", -1, &q, nullptr);
  steps(q);
  f.sort = now() - t;
  sqlite3_close(db);
  remove(path);
  return f;
}
#endif

void line(const char *what, double a, double b) {
  if (b > 0)
    printf("  %-8s %9.3f s %9.3f s   %5.2fx\n", what, a, b, a / b);
  else
    printf("  %-8s %9.3f s\n", what, a);
}

}  // namespace

int main() {
  printf("table database, %d rows of (S, I, D)\n", ROWS);
  Figures d = bench_db("db_bench.mk"), q{};
#ifdef DB_BENCH_SQLITE
  q = bench_sqlite("db_bench.sqlite");
  printf("  %-8s %11s %11s   %s\n", "", "db", "sqlite", "db/sqlite");
#endif
  line("insert", d.insert, q.insert);
  line("commit", d.commit, q.commit);
  // SQLite writes most pages while inserting, so the sum compares the work.
  line("both", d.insert + d.commit, q.insert + q.commit);
  line("reopen", d.reopen, q.reopen);
  line("find", d.find, q.find);
  line("select", d.select, q.select);
  line("sort", d.sort, q.sort);
  printf("  found row %ld, selected %zu rows\n", d.found, d.selected);
  return 0;
}
