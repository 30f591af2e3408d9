/*
** Windows side of `savestate': C rename does not replace an existing file
** there, MoveFileEx does.
*/
#include <windows.h>

#include "gui/savestate.h"

/* A read-only target stays (MoveFileEx alone may replace it). */
int ss_move_over(const char *from, const char *to) {
  DWORD a = GetFileAttributesA(to);
  if (a != INVALID_FILE_ATTRIBUTES && (a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return 0;
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
