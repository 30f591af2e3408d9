/*
** das_internal.h: the decoder's tables and per-instruction state, shared by
** the decoder, the formatter and the tables.
*/
#ifndef das_internal_h
#define das_internal_h

#include "native/das386/das_decode.h"

/* Operand kinds: the codes stored in table entries. */
enum das_kind {
  DK_NONE = 0,
  DK_IMM8 = 1,      /* zero-extended byte */
  DK_IMM8S = 2,     /* byte sign-extended to the operand size */
  DK_REL8 = 3,      /* byte branch displacement */
  DK_IMM16 = 4,     /* word */
  DK_IMM2 = 5,      /* second immediate (ENTER's nesting level) */
  DK_IMMV = 6,      /* operand-sized immediate */
  DK_OFFSET = 7,    /* address-sized offset */
  DK_RELV = 8,      /* operand-sized branch displacement */
  DK_MODRM = 9,
  DK_MODRMB = 10,   /* ModRM, byte operand */
  DK_GROUP = 11,    /* ModRM; continue at table[reg] */
  DK_GROUPB = 12,
  DK_REGONLY = 13,  /* ModRM with mod 3 */
  DK_MEMONLY = 14,  /* ModRM with mod < 3 */
  DK_FST0 = 15,     /* r/m must be 0 */
  DK_FST1 = 16,     /* r/m must be 1 */
  DK_FGROUP = 17,   /* floating point: table[reg] or table[8 + reg] */
  DK_FGROUPX = 18,  /* floating point: table[reg] or table[8 + (modrm & 0x3F)] */
  DK_INDIRECT = 19,
  DK_RETURN = 20,
  DK_LIT0A = 21,    /* the byte 0x0A (AAM, AAD) */
  DK_FAR = 22,      /* offset then 16-bit segment */
  DK_ESCAPE = 23,   /* next byte indexes the entry's table */
  DK_PREFIX = 24,   /* LOCK, REP, REPNE */
  DK_SEGMENT = 25,
  DK_OPSIZE = 26,   /* 0x66 */
  DK_ADSIZE = 27,   /* 0x67 */
  DK_LAST = 27
};

/* A table entry: up to two operand kinds and either the format text or,
   for the kinds that select another table, that table. Neither: undefined. */
struct das_entry {
  unsigned char kind[2];
  const char *text;
  const das_entry *next;
};

extern const das_entry das_one[256];   /* one-byte opcodes */
extern const das_entry das_two[256];   /* after 0x0F */

/* State of one instruction. */
struct das_state {
  const unsigned char *code;
  size_t avail;
  uint32_t start;
  int n;               /* bytes read */
  const char *prefix;  /* LOCK, REP, REPNE or null */
  const char *segment; /* "ES:" ... or null */
  char size;           /* 'B', 'W' or 'L' */
  int adsize;          /* 32 or 16 */
  int have_modrm;
  int modrm, mod, reg, rm;
  int scale, index, base; /* -1: none */
  uint32_t imm, imm2, disp, farseg;
  unsigned flags;
};

/* Expands the format text of a decoded instruction into out (DAS_TEXTLEN). */
void das_format(const das_state *s, const char *fmt, char *out);

#endif
