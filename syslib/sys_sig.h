/*
** sys_sig.h: C signatures of DLL functions and callbacks, such as
** "double(double,double)", parsed once into a record of type codes, and the
** conversions between script numbers and the machine words of each type.
** Platform-neutral; the words are those of the 32-bit x86 stack.
*/
#ifndef sys_sig_h
#define sys_sig_h

#include <stddef.h>
#include <stdint.h>

#define SYS_SIG_MAXARGS 32

enum sys_type {
  SYS_VOID, SYS_I8, SYS_U8, SYS_I16, SYS_U16, SYS_I32, SYS_U32, SYS_I64,
  SYS_U64, SYS_FLOAT, SYS_DOUBLE, SYS_POINTER, SYS_STRING, SYS_BUFFER
};

enum sys_conv { SYS_STDCALL, SYS_CDECL };

struct sys_sig {
  uint8_t ret;                      /* sys_type of the result */
  uint8_t conv;                     /* sys_conv */
  uint8_t n;                        /* argument count */
  uint8_t words;                    /* 32-bit stack words of the arguments */
  uint8_t args[SYS_SIG_MAXARGS];
};

/* Parses "ret(arg, ...)" and the convention ("stdcall" or "cdecl"; NULL is
   stdcall). 1 on success; 0 with why[] saying what is wrong. */
int sys_sig_parse(const char *text, const char *conv, struct sys_sig *s,
                  char *why, size_t whysize);

const char *sys_type_name(int t);   /* "i32", "double", ... */
int sys_type_words(int t);          /* stack words of an argument: 0, 1 or 2 */
int sys_type_size(int t);           /* bytes in memory; 0 for void */

/* Integer part toward zero, modulo 2^64 (NaN and infinities give 0). */
uint64_t sys_u64_of(double d);
/* The stored bits of an integer or float type from a number. */
uint64_t sys_bits_of(int t, double d);
/* The number an integer, float or pointer type's bits stand for; 64-bit
   values above 2^53 are rounded to the nearest double. */
double sys_number_of(int t, uint64_t bits);

#endif
