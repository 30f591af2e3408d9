/*
** Icons loaded from files for items and controls, cached by file name.
*/
#ifndef iconcache_h
#define iconcache_h

#include <windows.h>

HICON ic_load(const char *file);      /* null if the file does not load */
const char *ic_name(HICON icon);      /* the file name, or null */
void ic_drop(HICON icon);
void ic_clear(void);

#endif
