/* The few operating-system calls of the storage files: reading a whole file
** and replacing a file atomically (temporary file, flush to disk, rename). */
#ifndef DBIO_H
#define DBIO_H

#include <string>

#include "dbfmt.h"

/* missing is set (and true returned) when the file does not exist. */
bool dbio_read(const char *path, DbBytes &out, bool &missing, std::string &err);
/* After a failure at any step the old file is left as it was. */
bool dbio_replace(const char *path, const uint8_t *p, size_t n, std::string &err);

/* Removes the temporary file a commit of path left behind when it was cut
** short: only when it is empty or starts as the storage does (start: the
** bytes before the storage's header), so that a file of that name that is
** no such leftover stays. */
void dbio_clean(const char *path, const DbBytes &start);

/* Test hook: the step-th operation of the next replacements fails (1 = the
** first); 0 turns it off. dbio_steps counts the operations done since. */
void dbio_fail_at(int step);
int dbio_steps();

#endif
