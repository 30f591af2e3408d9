/*
** The module registry: every loaded native module, in load order. Built-in
** modules come first, assembled modules are appended, DLL modules are put
** in front. Nothing is ever unloaded; records and images stay for the life
** of the program.
**
** Addresses inside images are 32-bit; on the target they are the addresses
** themselves.
*/
#ifndef mod_registry_h
#define mod_registry_h

#include <stddef.h>
#include <stdint.h>

#include "native/modules/mod_image.h"

struct mr_record {
  uint8_t *image;
  size_t size;
  uint32_t users;            /* loaded modules importing this one */
  char *source;              /* assembly text it was built from, or null */
  mr_record **imports;       /* records of the modules it requires */
  int nimports;
  mr_record *next;
  int absolute;              /* built-in or DLL: addresses need no relocation */
  /* Open context (the `lua' module): any member name is accepted and
     resolved here; 0 means no such name. */
  uint32_t (*resolve)(const char *name);
  void *dll;                 /* module handle of a DLL module */
};

extern mr_record *mr_head;

/* dll: loads a required module that is not registered; receives the name
   with its ".dll" suffix lowered. The default loads nothing; the loader
   glue installs its own. */
struct mr_ops {
  mr_record *(*dll)(const char *name);
};
extern struct mr_ops mr_ops;

uint32_t mr_addr(const void *p);

/* Check and register an assembled image (offsets relative to its start):
   the record, or null after a message (or silently for a bad header). */
mr_record *mr_register(uint8_t *image, size_t size);
/* Registers a built-in or DLL image with absolute addresses, appended or
   put in front; null if the image is malformed. */
mr_record *mr_add(uint8_t *image, size_t size, int front);
int mr_attach_source(const void *image, const char *text);

mr_record *mr_find(const char *name);
mr_record *mr_nth(int i);                 /* 1-based */
int mr_count(void);
/* The record whose address or image address is `addr', or null. */
mr_record *mr_owner(uint32_t addr);

const char *mr_name(const mr_record *r);  /* null when unnamed */
const char *mr_comment(const mr_record *r);
int mr_module(const mr_record *r, mi_module *m);
int mr_member_count(const mr_record *r);
int mr_member_at(const mr_record *r, int i, mi_member *m);  /* 1-based */
int mr_member_named(const mr_record *r, const char *name, mi_member *m);
/* A member view from the address of its item (as kept by script objects). */
int mr_member_from(const mr_record *r, const uint8_t *at, mi_member *m);

/* Bytes a string variable at p may hold, its NUL included. The image does
   not record it: the storage is taken to end at the next member of the
   module, or at the header. */
size_t mr_string_room(const mr_record *r, const uint8_t *p);

/* Flags of a module context for the assembler: bits 0-2 when the read,
   write and run-text handlers are present, bit 3 (8) for an open context;
   0 for no module. */
int mr_context_flags(const mr_record *r);

/* Ends with ".dll" in any letter case. */
int mr_is_dll_name(const char *name);

/* Forgets every record (tests only; images are the caller's). */
void mr_reset(void);

#endif
