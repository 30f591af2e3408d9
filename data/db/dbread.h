/* Reads a storage file's bytes into tables. Every count, size and position
** is checked against the file, so damaged input gives a message, never a
** read outside the buffer. */
#ifndef DBREAD_H
#define DBREAD_H

#include <string>

#include "dbtab.h"

/* root receives a table of one row (none for an empty file) whose fields are
** the storage's top-level views. */
bool dbread_storage(const uint8_t *file, size_t n, DbTableP &root, std::string &err);

#endif
