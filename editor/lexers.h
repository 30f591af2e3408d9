/*
** The lexers the program offers the editor component, by the numbers
** scripts select them with: 2 the scripted lexer, 15 Lua, 34 assembly.
*/
#ifndef lexers_h
#define lexers_h

#include <stdint.h>

/* A new lexer instance for the number, or null (no lexing). The scripted
   lexer starts with the integer properties "lexer" and "folder". */
void *lx_create(int number, intptr_t lexer, intptr_t folder);

/* The operation of SCI_PRIVATELEXERCALL by which the scripted lexer takes
   an integer property (pointer to struct lx_int). */
#define LX_SET_INT 0x54726C6B
struct lx_int {
  const char *name;
  intptr_t value;
};

#endif
