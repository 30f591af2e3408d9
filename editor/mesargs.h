/*
** What `mes' must know about an editor message to pass script values
** safely: which parameters the component reads as text or writes text
** into, and which take structures or object pointers no script can make.
*/
#ifndef trelk_editor_mesargs_h
#define trelk_editor_mesargs_h

enum ma_kind {
  MA_PLAIN = 0,        /* numbers only, or texts the script passes */
  MA_OUT = 1,          /* lParam: a buffer the component fills */
  MA_REFUSED = 2       /* a structure or object pointer */
};

#define MA_WP_TEXT 0x10    /* wParam is read as text */
#define MA_LP_TEXT 0x20    /* lParam is read as text */
#define MA_WP_LENGTH 0x40  /* wParam is the length of the text at lParam */
#define MA_WP_SIZE 0x80    /* wParam is the size of the lParam buffer */

/* kind in the low bits, MA_* flags above */
int ma_classify(unsigned msg);

#endif
