/*
** Module contexts of the assembler: one record per context name for the
** program's lifetime, newest first, with the members looked up or defined
** in it, their per-kind entries and the references recorded while code
** is assembled. Platform-neutral; the host supplies the flags of a name.
*/
#ifndef asm_ctx_h
#define asm_ctx_h

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

struct ac_context;

struct ac_member {
  ac_context *context;
  std::string name, desc;
  uint32_t value;
  uint8_t kind;                           /* kind byte the loader compares */
  std::string sig;                        /* signature item bytes */
  std::map<uint32_t, uint32_t> entries[3]; /* kinds 1-3: key -> value */
  ac_member *next;
};

struct ac_reference {
  uint32_t offset, number;
};

struct ac_context {
  std::string name;
  int flags;            /* 1, 2, 4: kinds 1-3 offered; 8: open context */
  ac_member *members;   /* newest first */
  std::vector<ac_reference> refs;
  ac_context *next;
};

/* The record of `name`, made with flags_of(name) when it is new. */
ac_context *ac_open(const char *name, int (*flags_of)(const char *));
/* The first context record, for walking the list. */
ac_context *ac_first(void);
/* The member `name` of `c`, made when it is new; NULL when a kind 1-3
   is asked that the context does not offer. */
ac_member *ac_member_of(ac_context *c, const char *name, int kind);
/* Records key -> value for `kind` (1-3), replacing an existing key;
   ignored when the member's context does not offer the kind. */
void ac_add_kind_entry(ac_member *m, uint32_t value, int kind, uint32_t key);
/* The member `name` with that description and value; an existing one
   only gets the new value. */
ac_member *ac_define(ac_context *c, const char *name, const char *desc,
                     uint32_t value);
/* A reference to an imported member: the code offset of its slot and its
   number within the assembly. */
void ac_record_reference(ac_context *c, uint32_t offset, uint32_t number);
/* Forgets every context (tests). */
void ac_reset(void);

#endif
