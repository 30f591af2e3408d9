/*
** Windows side of `savestate': C rename does not replace an existing file
** there, MoveFileEx does.
*/
#include <windows.h>

#include "gui/savestate.h"

static int move_over(const char *from, const char *to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void ss_open_windows(void) { ss_replace = move_over; }
