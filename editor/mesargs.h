/*
** What `mes' must know about an editor message to pass script values
** safely: which parameters the component reads as text or writes text
** into, which count the bytes of a text, and which take structures or
** object pointers no script can make. The component's own messages are
** read from its interface description at build time; the program's few
** messages and the window messages the component answers are listed here.
*/
#ifndef mesargs_h
#define mesargs_h

#include <stddef.h>

/* kinds of a parameter or a result */
enum ma_type {
  MA_T_NONE,     /* unused */
  MA_T_INT,      /* a number, a flag, a colour, a position */
  MA_T_TEXT,     /* read as a NUL-terminated text */
  MA_T_CELLS,    /* read as character and style byte pairs */
  MA_T_OUT,      /* a buffer the component fills; 0 asks the size */
  MA_T_OBJECT,   /* a document, lexer or other object pointer */
  MA_T_STRUCT    /* a structure (ranges, search, printing) */
};

#define MA_F_LENGTH 1   /* wParam counts the bytes read from lParam */
#define MA_F_SIZE 2     /* wParam is the size of the lParam buffer */
#define MA_F_WPSTYLE 4  /* wParam is a style number */
#define MA_F_LPSTYLE 8  /* lParam is a style number */
#define MA_F_WPSELECTION 16   /* wParam is the number of a selection */

struct ma_message {
  unsigned msg;
  unsigned char wp, lp, ret, flags;
  const char *name;
};

/* the interface's messages, sorted by number */
const struct ma_message *ma_interface(size_t *count);
/* the description `mes' goes by (program, interface or window message),
   or null for a number none of them knows */
const struct ma_message *ma_lookup(unsigned msg);

enum ma_kind {
  MA_PLAIN = 0,        /* numbers only, or texts the script passes */
  MA_OUT = 1,          /* lParam: a buffer the component fills */
  MA_REFUSED = 2       /* a structure or object pointer */
};

#define MA_WP_TEXT 0x10      /* wParam is read as text */
#define MA_LP_TEXT 0x20      /* lParam is read as text */
#define MA_WP_LENGTH 0x40    /* wParam is the length of the text at lParam */
#define MA_WP_SIZE 0x80      /* wParam is the size of the lParam buffer */
#define MA_LP_ABSENT 0x100   /* a zero lParam means "no text" to the component */
#define MA_LP_XPM 0x200      /* lParam is parsed as an XPM image */
#define MA_LP_RGBA 0x400     /* lParam: width x height x 4 bytes set before */
#define MA_LP_STYLES 0x800   /* lParam: one style per byte of a line's text */
#define MA_WP_ENCODE 0x1000  /* wParam is read for the length set by 2448 */
#define MA_WP_LINE 0x2000    /* wParam indexes per-line data unchecked */
#define MA_WP_STYLE 0x4000   /* wParam is a style number */
#define MA_LP_STYLE 0x8000   /* lParam is a style number */
#define MA_WP_NEWSTYLES 0x10000  /* wParam more styles after those in use */
#define MA_WP_FROMLINE 0x20000   /* wParam a line searched down from */
#define MA_WP_COLUMNS 0x40000    /* wParam a width in columns */
#define MA_LP_COLUMNS 0x80000    /* lParam a width in columns */
#define MA_WP_SELECTION 0x100000 /* wParam one of the selections */

/* Widths of tabs and indentation `mes' passes: the component inserts that
   many characters at once, and an insertion it cannot complete leaves its
   document broken (text it can no longer delete). */
#define MA_COLUMNS_MAX 65535

/* Style numbers `mes' passes: the component grows its style array to the
   number given (all 32 bits of it) and keeps margin and annotation styles
   in 16 bits. */
#define MA_STYLES_MAX 65536

/* kind in the low bits, MA_* flags above */
int ma_classify(unsigned msg);

/* For MA_LP_STYLES: the message that answers the length of the text the
   styles go with (wParam the line, lParam 0). */
unsigned ma_styles_text(unsigned msg);

/* Whether the component reads the NUL-terminated text as a whole XPM
   image: header, colours and rows complete, no row wider than the image,
   sizes within bounds. Anything else it would read as pointers. */
int ma_xpm_ok(const char *text);

/* Largest side of an XPM or RGBA image `mes' passes on. */
#define MA_IMAGE_MAX 4096

#endif
