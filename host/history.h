/*
** History of entered lines: a ring of counted strings. Slot indices step
** forward from the last slot to slot 0 and back from 0 to the last.
*/
#ifndef history_h
#define history_h

#define HIST_SLOTS 255

struct hist_ring {
  char *slot[HIST_SLOTS];
  int oldest, newest, cursor;
};

extern struct hist_ring hist;

void hist_add(const char *line);   /* trailing blanks and line ends dropped */
const char *hist_prev(void);       /* Up */
const char *hist_next(void);       /* Down */
void hist_clear(void);

#endif
