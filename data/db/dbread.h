/* Reads a storage file's bytes into tables. Every count, size and position
** is checked against the file, so damaged input gives a message, never a
** read outside the buffer. */
#ifndef DBREAD_H
#define DBREAD_H

#include <string>

#include "dbtab.h"

/* root receives a table of one row (none for an empty file) whose fields are
** the storage's top-level views. start, when given, receives the offset of
** the storage's header: the bytes before it belong to another file. */
bool dbread_storage(const uint8_t *file, size_t n, DbTableP &root, std::string &err,
                    size_t *start = nullptr);

#endif
