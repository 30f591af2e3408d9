/*
** das_decode.h: decoder of one 32-bit x86 instruction into the program's
** assembly notation (source operands first, size letters on mnemonics).
** Platform-neutral: it decodes from a byte buffer and never reads past the
** length it is given nor past DAS_MAXLEN bytes.
*/
#ifndef das_decode_h
#define das_decode_h

#include <stddef.h>
#include <stdint.h>

enum {
  DAS_MAXLEN = 16,   /* longest instruction the reader accepts */
  DAS_TEXTLEN = 128, /* text buffer, NUL included */
  DAS_ERRLEN = 64
};

/* Outcome of one decode; the messages are those written to the terminal. */
enum das_status {
  DAS_OK = 0,
  DAS_TOOLONG,   /* "instruction too long" */
  DAS_UNDEFINED, /* "opcode: ??<bytes>??" */
  DAS_NOTREG,    /* "invalid R/M register: %x" */
  DAS_NOTMEM,    /* "invalid R/M memory mode: %x" */
  DAS_BADKIND,   /* "bad operand type %d" */
  DAS_TRUNCATED  /* the buffer ended before the instruction did */
};

/* Properties of the decoded instruction, for callers that walk code. */
enum {
  DAS_FRELATIVE = 1, /* relative branch; target is start + length + imm */
  DAS_FINDIRECT = 2, /* indirect jump or call */
  DAS_FRETURN = 4    /* return */
};

struct das_result {
  int status;              /* das_status */
  int length;              /* bytes of the instruction, or -1 on error */
  int used;                /* bytes read, also on error */
  unsigned flags;          /* DAS_F* */
  uint32_t target;         /* branch target when DAS_FRELATIVE */
  char text[DAS_TEXTLEN];  /* "" on error */
  char error[DAS_ERRLEN];  /* "" on success */
};

struct das_entry;

/* Decodes the instruction at code[0..avail); start is the address the
   instruction is taken to begin at (branch targets are start + length +
   displacement). Returns the length, or -1 with r->status and r->error set. */
int das_decode(const unsigned char *code, size_t avail, uint32_t start,
               das_result *r);

/* The same from a given one-byte table; for tests of the table machinery. */
int das_decode_with(const das_entry *table, const unsigned char *code,
                    size_t avail, uint32_t start, das_result *r);

#endif
