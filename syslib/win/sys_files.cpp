/*
** sys_files.cpp: ls, pwd, attr and drives. Paths are ANSI strings handed
** to the A functions unchanged. A failed system call gives no result,
** never a script error.
*/
#include <windows.h>

#include <string.h>

extern "C" {
#include "lauxlib.h"
}

#include "syslib/syslib.h"
#include "host/base/message.h"

/* The table under construction is at -2, the new name at -1. */
static void sys_append(lua_State *L, int *n) {
  lua_rawseti(L, -2, ++*n);
}

static void sys_setcount(lua_State *L, int n) {
  lua_pushinteger(L, n);
  lua_setfield(L, -2, "n");
}

/* A directory that exists but holds nothing (a drive root has no . and
   ..) lists as empty; anything else failed. */
static int sys_is_directory(const char *path) {
  DWORD a = GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

static int sys_ls(lua_State *L) {
  const char *dir = NULL;
  if (!lua_isnoneornil(L, 1)) {
    if (!lua_isstring(L, 1)) {
      con_message("ls: the directory must be a string\n");
      return 0;
    }
    dir = lua_tostring(L, 1);
  }
  const char *pattern = dir ? lua_pushfstring(L, "%s\\*.*", dir) : "*.*";
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(pattern, &fd);
  if (h == INVALID_HANDLE_VALUE) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND || !sys_is_directory(dir ? dir : "."))
      return 0;
    lua_newtable(L);
    sys_setcount(L, 0);
    return 1;
  }
  lua_newtable(L);
  int n = 0;
  do {
    lua_pushstring(L, fd.cFileName);
    sys_append(L, &n);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  sys_setcount(L, n);
  return 1;
}

static int sys_pwd(lua_State *L) {
  char buf[4096];
  DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
  if (n == 0) return 0;
  if (n < sizeof buf) {
    lua_pushlstring(L, buf, n);
    return 1;
  }
  /* longer than the usual buffer: ask again with room for it */
  char *big = (char *)lua_newuserdata(L, n + 1);
  DWORD m = GetCurrentDirectoryA(n + 1, big);
  if (m == 0 || m > n) return 0;
  lua_pushlstring(L, big, m);
  return 1;
}

static void sys_attr_letters(lua_State *L, DWORD a) {
  static const struct { DWORD bit; char letter; } order[] = {
    {FILE_ATTRIBUTE_DIRECTORY, 'd'}, {FILE_ATTRIBUTE_ARCHIVE, 'a'},
    {FILE_ATTRIBUTE_COMPRESSED, 'c'}, {FILE_ATTRIBUTE_HIDDEN, 'h'},
    {FILE_ATTRIBUTE_OFFLINE, 'o'}, {FILE_ATTRIBUTE_READONLY, 'r'},
    {FILE_ATTRIBUTE_SYSTEM, 's'}, {FILE_ATTRIBUTE_TEMPORARY, 't'},
  };
  char text[sizeof order / sizeof order[0] + 1];
  size_t k = 0;
  for (size_t i = 0; i < sizeof order / sizeof order[0]; i++)
    if (a & order[i].bit) text[k++] = order[i].letter;
  lua_pushlstring(L, text, k);
}

static void sys_settime(lua_State *L, const char *name, const FILETIME *t) {
  lua_pushnumber(L, (lua_Number)t->dwHighDateTime);
  lua_setfield(L, -2, name);
}

static int sys_attr(lua_State *L) {
  if (lua_type(L, 1) != LUA_TSTRING) return 0;
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExA(lua_tostring(L, 1), GetFileExInfoStandard, &d))
    return 0;
  lua_newtable(L);
  sys_attr_letters(L, d.dwFileAttributes);
  lua_setfield(L, -2, "attr");
  if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    lua_pushnumber(L, (lua_Number)d.nFileSizeLow);
    lua_setfield(L, -2, "size");
  }
  lua_newtable(L);
  sys_settime(L, "create", &d.ftCreationTime);
  sys_settime(L, "access", &d.ftLastAccessTime);
  sys_settime(L, "write", &d.ftLastWriteTime);
  lua_setfield(L, -2, "time");
  return 1;
}

/* The roots come as NUL-separated strings ending in an empty one. */
static int sys_drives(lua_State *L) {
  DWORD need = GetLogicalDriveStringsA(0, NULL);
  if (need == 0) return 0;
  char *buf = (char *)lua_newuserdata(L, need + 1);
  DWORD got = GetLogicalDriveStringsA(need + 1, buf);
  if (got == 0 || got > need) return 0;
  buf[got] = '\0';
  lua_newtable(L);
  int n = 0;
  for (const char *p = buf; p < buf + got && *p; p += strlen(p) + 1) {
    lua_pushstring(L, p);
    sys_append(L, &n);
  }
  sys_setcount(L, n);
  return 1;
}

int sys_open_drives(lua_State *L) {
  lua_register(L, "drives", sys_drives);
  return 0;
}

int sys_open_files(lua_State *L) {
  lua_register(L, "ls", sys_ls);
  lua_register(L, "pwd", sys_pwd);
  lua_register(L, "attr", sys_attr);
  return 0;
}
