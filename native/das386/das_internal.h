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
  DK_MANDATORY = 28, /* next[0..3] by the last of none, 66, F3, F2 */
  DK_VEX = 29,      /* C4/C5: VEX when ModRM-like byte has mod 3, else go on */
  DK_VEXW = 30,     /* next[VEX.W] */
  DK_VEXL = 31,     /* next[VEX.L] */
  DK_VL0 = 32,      /* VEX.L must be 0 */
  DK_VL1 = 33,      /* VEX.L must be 1 */
  DK_MODSEL = 34,   /* reads ModRM; next[0] for memory, next[1] for a register */
  DK_W0 = 35,       /* VEX.W must be 0 */
  DK_W1 = 36,       /* VEX.W must be 1 */
  DK_VSIB = 37,     /* memory with a SIB byte: the index is a vector register */
  DK_LAST = 37
};

/* A table entry: up to four operand kinds (the last two only for the
   VEX.L and VEX.W checks of VEX rows) and either the format text or, for the
   kinds that select another table, that table. Neither: undefined. */
enum { DAS_KINDS = 4 };
struct das_entry {
  unsigned char kind[DAS_KINDS];
  const char *text;
  const das_entry *next;
};

extern const das_entry das_one[256];   /* one-byte opcodes */
extern const das_entry das_two[256];   /* after 0x0F */

/* Maps selected by a mandatory prefix: sel[map][4 * opcode + p], p = none,
   66, F3, F2; map 0 is 0F, 1 is 0F 38, 2 is 0F 3A. map[m][opcode] is the
   entry that selects among them (DK_MANDATORY), empty where all four are. */
struct das_sel { das_entry e[3][1024]; };
struct das_map { das_entry e[3][256]; };
extern const das_sel das_legacy_sel, das_vex_sel;
extern const das_map das_legacy_map, das_vex_map;
constexpr das_map das_link(const das_sel &s) {
  das_map m{};
  for (int k = 0; k < 3; k++)
    for (int op = 0; op < 256; op++)
      for (int p = 0; p < 4; p++)
        if (s.e[k][4 * op + p].text || s.e[k][4 * op + p].next)
          m.e[k][op] = das_entry{{DK_MANDATORY, 0}, nullptr, &s.e[k][4 * op]};
  return m;
}

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
  int sibindex;        /* SIB index field as read (4 included) */
  uint32_t imm, imm2, disp, farseg;
  unsigned flags;
  int op66;            /* 0x66 seen */
  int rep;             /* last of F3 (2) or F2 (3), 0 none */
  int lock;
  int vex;             /* VEX-encoded */
  int vvvv, vl, vw, vpp; /* vvvv already inverted */
};

/* Expands the format text of a decoded instruction into out (DAS_TEXTLEN). */
void das_format(const das_state *s, const char *fmt, char *out);

#endif
