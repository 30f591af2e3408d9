/*
** sys_pe.h: the export names of a module image as loaded in memory.
** Platform-neutral: every offset is checked against the image size.
*/
#ifndef sys_pe_h
#define sys_pe_h

#include <stddef.h>

/* Called once per exported name; return 0 to stop the walk. */
typedef int (*sys_pe_visit)(void *ctx, const char *name);

/* Walks the export name table of the image at base, of which avail bytes
   may be read (the image's own SizeOfImage bounds it further). Returns the
   number of names visited, or -1 when the image has no PE signature or no
   export directory with at least one name. */
int sys_pe_exports(const unsigned char *base, size_t avail, sys_pe_visit visit,
                   void *ctx);

#endif
