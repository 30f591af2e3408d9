/*
** Layout of a menu's rows: the floating layout (measured texts) and the
** docked layout (a fixed area shared by the rows).
*/
#ifndef trelk_gui_layout_h
#define trelk_gui_layout_h

#include <stdint.h>

struct lay_row {
  uint32_t flags;   /* entry kind bits */
  int has_sub;      /* 1: an object attached through `sub'; -1: numeric edit */
  int text_w, text_h;
  int y, h;         /* out: row position and height */
};

/* Fills y and h of every row; returns the entry width and sets *total to
   the height of all rows with their 1-pixel gaps. */
int lay_floating(struct lay_row *rows, int n, int *total);

/* Shares height among the rows from the top. */
void lay_docked(struct lay_row *rows, int n, int height);

#endif
