/*
** Layout of a menu's rows: the floating layout (measured texts) and the
** docked layout (a fixed area shared by the rows).
*/
#ifndef layout_h
#define layout_h

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

/* Window sizes and places taken from scripts are held to these bounds
   before they reach the window system. */
#define LAY_MAX 16384
int lay_size(int v);    /* 0 .. LAY_MAX */
int lay_coord(int v);   /* -LAY_MAX .. LAY_MAX */

/* Scrolled rows: rows laid out by lay_floating shown in a viewport `view'
   pixels high scroll by whole rows. Returns the highest first row that
   still leaves no empty space below the last one (0 when all fit). */
int lay_last_first(const struct lay_row *rows, int n, int view);
/* The first row held to 0 .. lay_last_first. */
int lay_clamp_first(const struct lay_row *rows, int n, int view, int first);

/* Entry width of a table shown in a child window `own_w' wide whose rows
   (`total' pixels) must fit in `limit': 15 pixels go to a scroll bar when
   they do not. */
int lay_table_width(int own_w, int total, int limit);

/* Page of a tabbed container: the window's client area w x h less the
   tab column, 3 pixels of margin, and the caption bar when there is one. */
void lay_tab_page(int w, int h, int tab_col, int captioned, int *pw, int *ph);

#endif
