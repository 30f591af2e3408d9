/*
** A file chunk with a byte-order mark goes through a reader of our own that
** starts after the mark; everything else goes to luaL_loadfile unchanged.
*/
#include <stdio.h>
#include <string.h>

#include "host/srcfile.h"

extern "C" {
#include "lauxlib.h"
}

struct sf_reader {
  FILE *f;
  int extraline;   /* a skipped '#' line still counts as line 1 */
  char buf[LUAL_BUFFERSIZE];
};

static const char *sf_read(lua_State *L, void *ud, size_t *size) {
  struct sf_reader *r = (struct sf_reader *)ud;
  (void)L;
  if (r->extraline) {
    r->extraline = 0;
    *size = 1;
    return "\n";
  }
  if (feof(r->f)) return NULL;
  *size = fread(r->buf, 1, sizeof r->buf, r->f);
  return *size > 0 ? r->buf : NULL;
}

int sf_loadfile(lua_State *L, const char *name) {
  static const unsigned char bom[3] = {0xEF, 0xBB, 0xBF};
  unsigned char head[3];
  FILE *f = fopen(name, "r");
  if (f == NULL || fread(head, 1, 3, f) != 3 || memcmp(head, bom, 3) != 0) {
    if (f) fclose(f);
    return luaL_loadfile(L, name);
  }
  struct sf_reader r;
  r.f = f;
  r.extraline = 0;
  int c = getc(f);
  if (c == '#') {   /* the first line of an executable script */
    r.extraline = 1;
    while ((c = getc(f)) != EOF && c != '\n') {}
  } else if (c != EOF) {
    ungetc(c, f);
  }
  lua_pushfstring(L, "@%s", name);
  int status = lua_load(L, sf_read, &r, lua_tostring(L, -1));
  int failed = ferror(f);
  fclose(f);
  if (failed) {
    lua_settop(L, lua_gettop(L) - 2);
    lua_pushfstring(L, "cannot read %s", name);
    status = LUA_ERRFILE;
  } else {
    lua_remove(L, -2);
  }
  return status;
}
