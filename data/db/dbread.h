/* Reads a storage file's bytes into tables. Every count, size and position
** is checked against the file, so damaged input gives a message, never a
** read outside the buffer. Every column read notes its place in the file,
** so that a commit can refer to it. */
#ifndef dbread_h
#define dbread_h

#include <string>

#include "data/db/dbtab.h"

/* What a commit needs to know of the file a storage was read from. start:
** the offset of the storage's header (the bytes before it belong to
** another file); end: the storage's length (its tails end there); hdrlen:
** the length its header gives; live: bytes it uses; tails: its last 16
** bytes; placed: no two parts of it overlap, so that places can be trusted
** for a commit that adds to the file. */
struct DbReadInfo {
  size_t start = 0;
  uint32_t end = 0, hdrlen = 0, live = 0;
  bool bigend = false, placed = false;
  uint8_t tails[16] = {0};
};

/* root receives a table of one row (none for an empty file) whose fields are
** the storage's top-level views. */
bool dbread_storage(const uint8_t *file, size_t n, DbTableP &root, std::string &err,
                    DbReadInfo *info = nullptr);

#endif
