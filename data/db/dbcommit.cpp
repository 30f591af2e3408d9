/* Commits. Usually only what changed is written: changed columns (or the
** changed rows, into a column's spare copy) and a new root walk after the
** storage's end, flushed; then the tails after them, flushed, which is when
** the commit takes effect; then the header's length. A crash before the
** tails leaves the old storage, found through its tails or, when the end of
** the file was cut mid-write, through the header's length, which is made
** durable before anything else is written. Nothing the old storage uses is
** written over. A new file, a storage at the end of another file, a
** big-endian one, and one that would be more than half free space are
** rewritten whole: to a temporary file, flushed, then put in its place. */
#include <cstring>
#include <new>

#include "data/db/dbapi_int.h"
#include "data/db/dbio.h"
#include "data/db/dbwrite.h"

namespace {

struct CmSpill {
  DbFile *f;
  std::string err;
};

bool cm_spill(void *io, const uint8_t *p, size_t n) {
  CmSpill *s = (CmSpill *)io;
  return dbio_put(s->f, p, n, s->err);
}

void cm_be32(uint8_t *p, uint32_t v) {
  for (int b = 0; b < 4; b++) p[b] = (uint8_t)(v >> (24 - 8 * b));
}

bool cm_whole(DbStorage *st, std::string &err) {
  DbWriteJob job;
  job.record = true;
  CmSpill s{dbio_create(st->path.c_str(), err), ""};
  if (!s.f) return false;
  job.spill = cm_spill;
  job.io = &s;
  size_t hdr = st->prefix.size();
  bool ok = dbio_put(s.f, st->prefix.data(), hdr, err);
  if (ok && !dbwrite_run(st->root.get(), job, err)) {
    if (!s.err.empty()) err = s.err;
    ok = false;
  }
  ok = ok && dbio_put(s.f, job.out.data(), job.out.size(), err);
  if (ok && job.spilled) {
    uint8_t len[4];
    cm_be32(len, job.end);
    ok = dbio_put_at(s.f, hdr + 4, len, 4, err);
  }
  if (!ok) {
    dbio_abandon(s.f);
    return false;
  }
  if (!dbio_finish(s.f, err)) return false;
  st->placed = job.end > 0;
  st->bigend = false;
  st->end = st->hdrlen = job.end;
  st->synced = true;
  st->live = job.live;
  st->filesize = hdr + job.end;
  memcpy(st->tails, job.tails, 16);
  st->desc = dbdesc_format(st->root->schema.get());
  return true;
}

/* The file must still be as this storage left it. */
bool cm_same(DbStorage *st, DbFile *f, std::string &err) {
  uint8_t tails[16];
  return dbio_size(f) == st->filesize && st->filesize >= st->end &&
         dbio_get_at(f, st->end - 16, tails, 16, err) && memcmp(tails, st->tails, 16) == 0;
}

/* The header must give the storage's end, on disk, before anything is
** added: it is how a reader finds the storage when the additions are cut
** short. Bytes after the end are left over from such a cut. */
bool cm_prepare(DbStorage *st, DbFile *f, std::string &err) {
  bool sync = !st->synced;
  if (dbio_size(f) > st->end) {
    if (!dbio_truncate(f, st->end, err)) return false;
    sync = true;
  }
  if (st->hdrlen != st->end) {
    uint8_t len[4];
    cm_be32(len, st->end);
    if (!dbio_put_at(f, 4, len, 4, err)) return false;
    st->hdrlen = st->end;
    sync = true;
  }
  if (sync && !dbio_sync(f, err)) return false;
  st->synced = true;
  st->filesize = st->end;
  return true;
}

/* 1: committed; 0: failed, the file holds the old storage; -1: the file is
** to be rewritten whole instead. */
int cm_add(DbStorage *st, std::string &err) {
  DbWriteJob job;
  job.base = st->end;
  job.record = true;
  job.desc = st->desc;
  if (!dbwrite_run(st->root.get(), job, err)) return 0;
  if (!job.changed) return 1;
  if (job.end - job.live > job.end / 2) return -1;
  DbFile *f = dbio_open(st->path.c_str(), err);
  if (!f) return 0;
  if (!cm_same(st, f, err)) {
    dbio_abandon(f);
    return -1;
  }
  bool ok = cm_prepare(st, f, err);
  for (size_t k = 0; ok && k < job.patches.size(); k++)
    ok = dbio_put_at(f, job.patches[k].pos, job.patches[k].bytes.data(), job.patches[k].bytes.size(), err);
  ok = ok && dbio_put_at(f, st->end, job.out.data(), job.out.size(), err) && dbio_sync(f, err);
  if (ok && !(dbio_put_at(f, job.end - 16, job.tails, 16, err) && dbio_sync(f, err))) {
    /* The tails may be in the file without being on disk: take them out
    ** again, so that the file holds what the failure says. */
    std::string ignored;
    dbio_truncate(f, st->end, ignored);
    ok = false;
  }
  if (!ok) {
    dbio_abandon(f);
    return 0;
  }
  /* In effect now: what follows only tidies up, and a failure there is
  ** mended by the next commit's preparation. */
  st->end = job.end;
  st->filesize = job.end;
  st->live = job.live;
  memcpy(st->tails, job.tails, 16);
  st->desc = dbdesc_format(st->root->schema.get());
  uint8_t len[4];
  cm_be32(len, job.end);
  std::string ignored;
  st->synced = false;
  if (dbio_put_at(f, 4, len, 4, ignored)) st->hdrlen = job.end;
  if (!dbio_finish(f, ignored)) st->placed = false;
  return 1;
}

}  // namespace

int dbapi_commit(DbStorage *st, int full, char *err, size_t errlen) {
  if (st->memory) return 1;
  try {
    std::string e;
    int done = -1;
    bool add = st->placed && !full && !st->bigend && st->prefix.empty() && st->end > 0;
    if (add) done = cm_add(st, e);
    if (done < 0) done = cm_whole(st, e);
    if (!done) {
      st->placed = false;
      api_msg(err, errlen, "cannot write " + api_path(st->path) + ": " + e);
    }
    return done;
  } catch (const std::bad_alloc &) {
    st->placed = false;
    api_msg(err, errlen, "out of memory");
    return 0;
  }
}
