#include "dbio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h> /* MoveFileExA: the C runtime cannot replace a file */
#define io_open _open
#define io_write _write
#define io_close _close
#define io_sync _commit
#define io_unlink _unlink
#define IO_FLAGS (_O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY)
#define IO_MODE (_S_IREAD | _S_IWRITE)
#else
#include <unistd.h>
#define io_open open
#define io_write write
#define io_close close
#define io_sync fsync
#define io_unlink unlink
#define IO_FLAGS (O_WRONLY | O_CREAT | O_TRUNC)
#define IO_MODE 0666
#endif

static int io_failat, io_count;

void dbio_fail_at(int step) {
  io_failat = step;
  io_count = 0;
}

int dbio_steps() { return io_count; }

/* Counts one step; true when the test hook wants it to fail. */
static bool io_injected() {
  io_count++;
  if (io_failat && io_count == io_failat) {
    errno = ENOSPC;
    return true;
  }
  return false;
}

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

static bool io_rename(const char *from, const char *to) {
#ifdef _WIN32
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  errno = EACCES;
  return false;
#else
  return rename(from, to) == 0;
#endif
}

/* Makes the rename itself durable; a failure here changes nothing. */
static void io_sync_dir(const char *path) {
#ifndef _WIN32
  std::string dir(path);
  size_t slash = dir.rfind('/');
  dir = slash == std::string::npos ? "." : slash == 0 ? "/" : dir.substr(0, slash);
  int fd = open(dir.c_str(), O_RDONLY);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
#else
  (void)path;
#endif
}

static bool io_fail(std::string &err, const char *what, int fd, const std::string &tmp) {
  err = std::string(what) + ": " + strerror(errno);
  if (fd >= 0) io_close(fd);
  io_unlink(tmp.c_str());
  return false;
}

static std::string io_tmpname(const char *path) { return std::string(path) + ".tmp"; }

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

bool dbio_replace(const char *path, const uint8_t *p, size_t n, std::string &err) {
  std::string tmp = io_tmpname(path);
  int fd = io_injected() ? -1 : io_open(tmp.c_str(), IO_FLAGS, IO_MODE);
  if (fd < 0) return io_fail(err, "cannot create the temporary file", -1, tmp);
  while (n > 0) {
    unsigned chunk = n > (1u << 20) ? (1u << 20) : (unsigned)n;
    int w = io_injected() ? -1 : (int)io_write(fd, p, chunk);
    if (w <= 0) return io_fail(err, "cannot write the file", fd, tmp);
    p += w;
    n -= (size_t)w;
  }
  if (io_injected() || io_sync(fd) != 0) return io_fail(err, "cannot flush the file to disk", fd, tmp);
  int rc = io_close(fd);
  if (io_injected() || rc != 0) return io_fail(err, "cannot close the file", -1, tmp);
  if (io_injected() || !io_rename(tmp.c_str(), path))
    return io_fail(err, "cannot replace the file", -1, tmp);
  io_sync_dir(path);
  return true;
}
