/* The engine as the script library sees it: storages, views, rows. Plain
** functions over opaque handles, so that callers that may be unwound by an
** interpreter error hold no objects with destructors. Rows and fields are
** counted from 0 here. Functions that can fail take a buffer for a message. */
#ifndef dbapi_h
#define dbapi_h

#include <stddef.h>

typedef struct DbStorage DbStorage;
typedef struct DbView DbView;
typedef struct DbRow DbRow;

typedef struct DbValue {
  char type;           /* I F D S B L V */
  double num;          /* I F D */
  const char *str;     /* S: valid until the view changes */
  size_t len;
} DbValue;

/* path NULL: a storage in memory only. */
DbStorage *dbapi_open(const char *path, char *err, size_t errlen);
void dbapi_close(DbStorage *st);
/* Commits every change. Changed columns are added to the file (or patched
** into their spare copies), and the file is rewritten whole when it is
** new, when more than half of it would be free space, or when full is set
** (which also makes it as small as it can be). */
int dbapi_commit(DbStorage *st, int full, char *err, size_t errlen);
/* desc with a "[" before its first "]": the view of that structure, made or
** restructured; otherwise the view named by the text before any "[". */
DbView *dbapi_table(DbStorage *st, const char *desc, char *err, size_t errlen);
/* The i-th top-level view in the storage's description, or NULL. */
DbView *dbapi_view_at(DbStorage *st, long i);
/* The storage's description text, copied into buf (cut to buflen - 1). */
void dbapi_describe(DbStorage *st, char *buf, size_t buflen);

void dbapi_view_free(DbView *v);
size_t dbapi_size(DbView *v);
int dbapi_nfields(DbView *v);
/* Name and type of field k; 0 when there is no such field. */
int dbapi_field(DbView *v, int k, const char **name, char *type);
int dbapi_field_named(DbView *v, const char *name, size_t len);
/* Adds a field of type one of I F D S B L V (nothing when it exists with
** that type); -1 with a message on a clash. Returns the row count. */
long dbapi_addfield(DbView *v, const char *name, char type, char *err, size_t errlen);
/* keys: field numbers; none sorts on all fields. */
DbView *dbapi_sort(DbView *v, const int *keys, int nkeys);
DbView *dbapi_select(DbView *v, DbRow *crit);
long dbapi_find(DbView *v, DbRow *crit);
void dbapi_del(DbView *v, size_t at, size_t count);

/* Row i, growing the view to i + 1 rows first. NULL when it cannot grow. */
DbRow *dbapi_row(DbView *v, size_t i);
/* A one-row criteria record for select and find on v. */
DbRow *dbapi_crit(DbView *v);
void dbapi_row_free(DbRow *r);
/* The row's own view, for field lookups; owned by the row. */
DbView *dbapi_row_of(DbRow *r);
/* 0 when the row or field does not exist (any more). */
int dbapi_get(DbRow *r, int k, DbValue *out);
/* The nested view in field k, as a new handle; NULL with a message when it
** would nest deeper than a view may. */
DbView *dbapi_get_view(DbRow *r, int k, char *err, size_t errlen);
int dbapi_set_num(DbRow *r, int k, double x);
int dbapi_set_str(DbRow *r, int k, const char *s, size_t len);
/* Copies src's rows into the nested view in field k; 0 with a message when
** the copy would nest deeper than a view may (nothing is copied then). */
int dbapi_set_view(DbRow *r, int k, DbView *src, char *err, size_t errlen);

#endif
