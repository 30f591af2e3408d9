/*
** Numeric edits: the text of an edit with a number base, stepped by its
** spinner.
*/
#ifndef numedit_h
#define numedit_h

#include <stddef.h>
#include <stdint.h>

#define NE_TEXT_MAX 1023   /* characters of the text that are read */

/* Reads text (its first NE_TEXT_MAX characters) as a whole number in base
   2..36: optional blanks, an optional sign, digits, optional blanks. */
int ne_parse(const char *text, int base, int64_t *value);

/* Writes value in base into out (digits in upper case unless lower). */
void ne_format(int64_t value, int base, int lower, char *out, size_t size);

/* The text stepped by dir (+1 or -1) into out. Returns 0, leaving out
   empty, when the base is not 2..36 or the text is not a number in it;
   the value stops at the ends of the 64-bit range. */
int ne_step(const char *text, int base, int dir, char *out, size_t size);

#endif
