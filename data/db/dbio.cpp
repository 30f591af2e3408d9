#include "data/db/dbio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h> /* MoveFileExA: the C runtime cannot replace a file */
#else
#include <unistd.h>
#endif

struct DbFile {
  int fd = -1;
  std::string path, tmp; /* tmp empty: path is changed in place */
  size_t size = 0;
};

static int io_failat, io_count, io_nosync;

void dbio_fail_at(int step) {
  io_failat = step;
  io_count = 0;
}

int dbio_steps() { return io_count; }

void dbio_skip_sync(int on) { io_nosync = on; }

/* Counts one step; true when the test hook wants it to fail. */
static bool io_injected() {
  io_count++;
  if (io_failat && io_count == io_failat) {
    errno = ENOSPC;
    return true;
  }
  return false;
}

static bool io_fail(std::string &err, const char *what) {
  err = std::string(what) + ": " + strerror(errno);
  return false;
}

/* Offsets stay below 2 GB (the format's limit), so the plain calls do. */
#ifdef _WIN32
static int io_create(const char *p) {
  return _open(p, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
}
static int io_openrw(const char *p) { return _open(p, _O_RDWR | _O_BINARY); }
static long io_pwrite(int fd, const void *p, unsigned n, size_t at) {
  if (_lseeki64(fd, (__int64)at, SEEK_SET) < 0) return -1;
  return _write(fd, p, n);
}
static long io_pread(int fd, void *p, unsigned n, size_t at) {
  if (_lseeki64(fd, (__int64)at, SEEK_SET) < 0) return -1;
  return _read(fd, p, n);
}
static int io_trunc(int fd, size_t n) { return _chsize(fd, (long)n); }
static int io_sync_fd(int fd) { return _commit(fd); }
static int io_close(int fd) { return _close(fd); }
static int io_unlink(const char *p) { return _unlink(p); }
static long long io_fdsize(int fd) { return _filelengthi64(fd); }
static void io_writeback(int, size_t, size_t) {}
static bool io_rename(const char *from, const char *to) {
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  errno = EACCES;
  return false;
}
static void io_sync_dir(const char *) {}
#else
static int io_create(const char *p) { return open(p, O_WRONLY | O_CREAT | O_TRUNC, 0666); }
static int io_openrw(const char *p) { return open(p, O_RDWR); }
static long io_pwrite(int fd, const void *p, unsigned n, size_t at) {
  return (long)pwrite(fd, p, n, (off_t)at);
}
static long io_pread(int fd, void *p, unsigned n, size_t at) {
  return (long)pread(fd, p, n, (off_t)at);
}
static int io_trunc(int fd, size_t n) { return ftruncate(fd, (off_t)n); }
/* The data and the size it needs; other metadata may wait. */
static int io_sync_fd(int fd) {
#ifdef __linux__
  return fdatasync(fd);
#else
  return fsync(fd);
#endif
}
static int io_close(int fd) { return close(fd); }
static int io_unlink(const char *p) { return unlink(p); }
static long long io_fdsize(int fd) {
  struct stat s;
  return fstat(fd, &s) == 0 ? (long long)s.st_size : -1;
}
/* Starts writing out what was just written, so that the flush at the end
** of a large commit has less left to wait for. */
static void io_writeback(int fd, size_t at, size_t n) {
#ifdef __linux__
  sync_file_range(fd, (off_t)at, (off_t)n, SYNC_FILE_RANGE_WRITE);
#else
  (void)fd, (void)at, (void)n;
#endif
}
static bool io_rename(const char *from, const char *to) { return rename(from, to) == 0; }
/* Makes the rename itself durable; a failure here changes nothing. */
static void io_sync_dir(const char *path) {
  std::string dir(path);
  size_t slash = dir.rfind('/');
  dir = slash == std::string::npos ? "." : slash == 0 ? "/" : dir.substr(0, slash);
  int fd = open(dir.c_str(), O_RDONLY);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}
#endif

bool dbio_read(const char *path, DbBytes &out, bool &missing, std::string &err) {
  missing = false;
  out.clear();
  FILE *f = fopen(path, "rb");
  if (!f) {
    if (errno == ENOENT) {
      missing = true;
      return true;
    }
    err = strerror(errno);
    return false;
  }
  if (fseek(f, 0, SEEK_END) == 0) {
    long size = ftell(f);
    if (size > 0) out.reserve((size_t)size);
    rewind(f);
  }
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  bool bad = ferror(f) != 0;
  fclose(f);
  if (bad) err = "read error";
  return !bad;
}

static std::string io_tmpname(const char *path) { return std::string(path) + ".tmp"; }

DbFile *dbio_create(const char *path, std::string &err) {
  DbFile *f = new DbFile;
  f->path = path;
  f->tmp = io_tmpname(path);
  f->fd = io_injected() ? -1 : io_create(f->tmp.c_str());
  if (f->fd < 0) {
    io_fail(err, "cannot create the temporary file");
    io_unlink(f->tmp.c_str());
    delete f;
    return nullptr;
  }
  return f;
}

DbFile *dbio_open(const char *path, std::string &err) {
  DbFile *f = new DbFile;
  f->path = path;
  f->fd = io_injected() ? -1 : io_openrw(path);
  long long size = f->fd < 0 ? -1 : io_fdsize(f->fd);
  if (size < 0) {
    io_fail(err, "cannot open the file");
    if (f->fd >= 0) io_close(f->fd);
    delete f;
    return nullptr;
  }
  f->size = (size_t)size;
  return f;
}

size_t dbio_size(DbFile *f) { return f->size; }

bool dbio_put_at(DbFile *f, size_t at, const uint8_t *p, size_t n, std::string &err) {
  while (n > 0) {
    unsigned chunk = n > (1u << 20) ? (1u << 20) : (unsigned)n;
    long w = io_injected() ? -1 : io_pwrite(f->fd, p, chunk, at);
    if (w <= 0) return io_fail(err, "cannot write the file");
    if (!io_nosync) io_writeback(f->fd, at, (size_t)w);
    p += w;
    at += (size_t)w;
    n -= (size_t)w;
    if (at > f->size) f->size = at;
  }
  return true;
}

bool dbio_put(DbFile *f, const uint8_t *p, size_t n, std::string &err) {
  return dbio_put_at(f, f->size, p, n, err);
}

bool dbio_get_at(DbFile *f, size_t at, uint8_t *p, size_t n, std::string &err) {
  while (n > 0) {
    long r = io_injected() ? -1 : io_pread(f->fd, p, (unsigned)n, at);
    if (r <= 0) {
      if (r == 0) errno = EIO;
      return io_fail(err, "cannot read the file");
    }
    p += r;
    at += (size_t)r;
    n -= (size_t)r;
  }
  return true;
}

bool dbio_truncate(DbFile *f, size_t n, std::string &err) {
  if (io_injected() || io_trunc(f->fd, n) != 0) return io_fail(err, "cannot cut the file short");
  f->size = n;
  return true;
}

bool dbio_sync(DbFile *f, std::string &err) {
  if (io_injected() || (!io_nosync && io_sync_fd(f->fd) != 0))
    return io_fail(err, "cannot flush the file to disk");
  return true;
}

void dbio_abandon(DbFile *f) {
  if (!f) return;
  if (f->fd >= 0) io_close(f->fd);
  if (!f->tmp.empty()) io_unlink(f->tmp.c_str());
  delete f;
}

bool dbio_finish(DbFile *f, std::string &err) {
  bool temp = !f->tmp.empty();
  if (temp && !dbio_sync(f, err)) {
    dbio_abandon(f);
    return false;
  }
  int rc = io_close(f->fd);
  f->fd = -1;
  if (io_injected() || rc != 0) {
    io_fail(err, "cannot close the file");
    dbio_abandon(f);
    return false;
  }
  if (temp && (io_injected() || !io_rename(f->tmp.c_str(), f->path.c_str()))) {
    io_fail(err, "cannot replace the file");
    dbio_abandon(f);
    return false;
  }
  if (temp && !io_nosync) io_sync_dir(f->path.c_str());
  delete f;
  return true;
}

void dbio_clean(const char *path, const DbBytes &start) {
  std::string tmp = io_tmpname(path);
  FILE *f = fopen(tmp.c_str(), "rb");
  if (!f) return;
  DbBytes want = start;
  want.insert(want.end(), {'J', 'L', 0x1A, 0});
  DbBytes head(want.size());
  size_t got = fread(head.data(), 1, head.size(), f);
  fclose(f);
  if (memcmp(head.data(), want.data(), got) == 0) io_unlink(tmp.c_str());
}
