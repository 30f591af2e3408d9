/* The few operating-system calls of the storage files: reading a whole
** file, writing a new one that then replaces it atomically (temporary file,
** flush to disk, rename), and changing one in place. */
#ifndef dbio_h
#define dbio_h

#include <string>

#include "data/db/dbfmt.h"

/* missing is set (and true returned) when the file does not exist. */
bool dbio_read(const char *path, DbBytes &out, bool &missing, std::string &err);

/* A file being written: path's temporary file, which replaces path when
** finished (until then path is left as it was), or path itself, opened to
** be changed in place. Every failure gives a message in err. */
typedef struct DbFile DbFile;

DbFile *dbio_create(const char *path, std::string &err);
DbFile *dbio_open(const char *path, std::string &err);
size_t dbio_size(DbFile *f);
/* put appends; put_at writes at an offset (possibly past the end). */
bool dbio_put(DbFile *f, const uint8_t *p, size_t n, std::string &err);
bool dbio_put_at(DbFile *f, size_t at, const uint8_t *p, size_t n, std::string &err);
bool dbio_get_at(DbFile *f, size_t at, uint8_t *p, size_t n, std::string &err);
bool dbio_truncate(DbFile *f, size_t n, std::string &err);
/* Flushes what was written to disk. */
bool dbio_sync(DbFile *f, std::string &err);
/* A temporary file is flushed, closed and put in place of path; a file
** changed in place is closed. The handle is freed, also on failure (a
** temporary file is then removed). */
bool dbio_finish(DbFile *f, std::string &err);
/* Closes without finishing; a temporary file is removed. */
void dbio_abandon(DbFile *f);

/* Removes the temporary file a commit of path left behind when it was cut
** short: only when it is empty or starts as the storage does (start: the
** bytes before the storage's header), so that a file of that name that is
** no such leftover stays. */
void dbio_clean(const char *path, const DbBytes &start);

/* Test hook: the step-th operation on files from now on fails (1 = the
** first); 0 turns it off. dbio_steps counts the operations done since. */
void dbio_fail_at(int step);
int dbio_steps();
/* Test hook: flushes to disk are counted but not done, and write-back is
** not started (for tests that commit thousands of times; durability is
** not what they check). */
void dbio_skip_sync(int on);

#endif
