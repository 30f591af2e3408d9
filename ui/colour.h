/*
** The program-wide colour table: 19 Windows colour values (0x00BBGGRR),
** read by the drawing code at every use so that scripts can change them.
*/
#ifndef colors_h
#define colors_h

#include <stdint.h>

enum {
  COL_INACTIVE, COL_ACTIVE, COL_MS_INACTIVE, COL_MS_BORDER, COL_TAB_BORDER,
  COL_MS_SEPARATOR, COL_MS_CHECKRADIO, COL_MS_CHECKED, COL_MS_TEXT,
  COL_MS_LABELBORDER, COL_MS_LABELTEXT, COL_TERM_BG, COL_PRINT, COL_ERROR,
  COL_INPUT, COL_PROMPT, COL_SCROLLBAR_FRAME, COL_W_BORDER, COL_CAP_BG,
  COL_COUNT
};

extern uint32_t col_table[COL_COUNT];

uint32_t col_get(int slot);             /* -1 for a slot out of range */
int col_set(int slot, uint32_t value);  /* 0 for a slot out of range */
int col_find(const char *name);         /* slot of a script name, or -1 */

#endif
