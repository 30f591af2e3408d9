/*
** Colour table and the names scripts use for its slots.
*/
#include <string.h>

#include "ui/colour.h"

uint32_t col_table[COL_COUNT] = {
  0x90FFFF, 0xFFD7A0, 0xF0FAFF, 0xF3F3F3, 0x0000BA, 0x107F10, 0xB58260,
  0xBB84BA, 0x111111, 0xCCCCDF, 0x5A5A5A, 0xF4FFFB, 0xCF7FBE, 0x0000FF,
  0x000000, 0x30FF70, 0x350070, 0x7F7F7F, 0x9F9F9F
};

/* slot 4 has no name: only the drawing code reaches it */
static const char *const col_names[COL_COUNT] = {
  "inactive", "active", "ms_inactive", "ms_border", NULL, "ms_separator",
  "ms_checkradio", "ms_checked", "ms_text", "ms_labelborder", "ms_labeltext",
  "term_bg", "print", "error", "input", "prompt", "scrollbar_frame",
  "w_border", "cap_bg"
};

uint32_t col_get(int slot) {
  if (slot < 0 || slot >= COL_COUNT) return (uint32_t)-1;
  return col_table[slot];
}

int col_set(int slot, uint32_t value) {
  if (slot < 0 || slot >= COL_COUNT) return 0;
  col_table[slot] = value;
  return 1;
}

int col_find(const char *name) {
  for (int i = 0; i < COL_COUNT; i++)
    if (col_names[i] && strcmp(col_names[i], name) == 0) return i;
  return -1;
}
