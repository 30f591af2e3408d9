/*
** `savestate': the interface writer's text into a file. The text is built
** in memory, written to a temporary file beside the target and put in its
** place only when complete, so that a failure half-way (a full disk, a
** target that cannot be written) leaves the old file as it was.
*/
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "gui/savestate.h"
#include "host/base/message.h"

static int plain_rename(const char *from, const char *to) {
  return rename(from, to) == 0;
}

struct ss_ops ss_ops = {plain_rename};
const char *ss_default_file = "start.t";

/* An existing target that cannot be opened for writing is left alone. */
static int target_writable(const char *file) {
  FILE *f = fopen(file, "rb");
  if (f == NULL) return 1;   /* not there (or unreadable): try to create */
  fclose(f);
  f = fopen(file, "r+b");
  if (f == NULL) return 0;
  fclose(f);
  return 1;
}

static int write_all(const char *file, const char *text, size_t n) {
  FILE *f = fopen(file, "wb");
  if (f == NULL) return 0;
  int ok = fwrite(text, 1, n, f) == n;
  ok &= fflush(f) == 0;
  ok &= fclose(f) == 0;
  return ok;
}

int ss_save(lua_State *L, const char *file) {
  if (file == NULL || *file == '\0' || !target_writable(file)) return 0;
  struct sbuf b;
  sb_init(&b);
  ss_build(L, &b);
  size_t len = strlen(file);
  char *tmp = (char *)malloc(len + 8);
  int ok = !b.failed && tmp != NULL;
  if (ok) {
    memcpy(tmp, file, len);
    memcpy(tmp + len, ".~save", 7);
    ok = write_all(tmp, b.p ? b.p : "", b.n);
    if (!ok || !ss_ops.replace(tmp, file)) {
      remove(tmp);
      ok = 0;
    }
  }
  free(tmp);
  sb_free(&b);
  return ok;
}

/* savestate([filename]): returns nothing; a target that cannot be
   written is left untouched and not reported. */
int ss_savestate(lua_State *L) {
  const char *file = ss_default_file;
  if (!lua_isnoneornil(L, 1)) {
    int t = lua_type(L, 1);
    if (t != LUA_TSTRING && t != LUA_TNUMBER) {
      con_message("savestate: the file name must be a string\n");
      return 0;
    }
    file = lua_tostring(L, 1);
  }
  ss_save(L, file);
  return 0;
}

void ss_open(lua_State *L) { lua_register(L, "savestate", ss_savestate); }
