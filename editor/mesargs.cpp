/*
** Message table for `mes'. The component's messages are generated from its
** interface description; what that description cannot say (texts whose
** length another message sets, images parsed from text, the meaning of a
** zero text) is listed by number below.
*/
#include "editor/mesargs.h"

#include <string.h>

#include "editor/style.h"

#define T(k) MA_T_##k

static const struct ma_message ma_iface[] = {
#include "mesargs_iface.inc"
};
#define IFACE_N (sizeof ma_iface / sizeof ma_iface[0])

/* answered by the program's subclass before the component sees them */
static const struct ma_message ma_own[] = {
    {SCM_SETSTYLEBITS, T(INT), T(NONE), T(INT), 0, "SetStyleBits"},
    {SCM_GETSTYLEBITS, T(NONE), T(NONE), T(INT), 0, "GetStyleBits"},
    {SCM_SETLEXER, T(INT), T(NONE), T(INT), 0, "SetLexer"},
    {SCM_GETLEXER, T(NONE), T(NONE), T(INT), 0, "GetLexer"},
    {SCM_SETPTRPROPERTY, T(TEXT), T(INT), T(INT), 0, "SetPointerProperty"}};

/* Window messages the component answers itself: its emulation of the
   system's edit control and the input a user gives. Any other message
   below WM_USER goes to the system's default handling, which takes
   structures and may destroy the window, so it is refused. */
static const struct ma_message ma_window[] = {
    {0x0005, T(INT), T(INT), T(INT), 0, "WM_SIZE"},
    {0x0007, T(INT), T(NONE), T(INT), 0, "WM_SETFOCUS"},
    {0x0008, T(INT), T(NONE), T(INT), 0, "WM_KILLFOCUS"},
    {0x000B, T(INT), T(NONE), T(INT), 0, "WM_SETREDRAW"},
    {0x000C, T(NONE), T(TEXT), T(INT), 0, "WM_SETTEXT"},
    {0x000E, T(NONE), T(NONE), T(INT), 0, "WM_GETTEXTLENGTH"},
    {0x000F, T(NONE), T(NONE), T(INT), 0, "WM_PAINT"},
    {0x007B, T(INT), T(INT), T(INT), 0, "WM_CONTEXTMENU"},
    {0x00B1, T(INT), T(INT), T(INT), 0, "EM_SETSEL"},
    {0x00B6, T(INT), T(INT), T(INT), 0, "EM_LINESCROLL"},
    {0x00B7, T(NONE), T(NONE), T(INT), 0, "EM_SCROLLCARET"},
    {0x00BA, T(NONE), T(NONE), T(INT), 0, "EM_GETLINECOUNT"},
    {0x00BB, T(INT), T(NONE), T(INT), 0, "EM_LINEINDEX"},
    {0x00C2, T(NONE), T(TEXT), T(INT), 0, "EM_REPLACESEL"},
    {0x00C6, T(NONE), T(NONE), T(INT), 0, "EM_CANUNDO"},
    {0x00C9, T(INT), T(NONE), T(INT), 0, "EM_LINEFROMCHAR"},
    {0x00CD, T(NONE), T(NONE), T(INT), 0, "EM_EMPTYUNDOBUFFER"},
    {0x00CE, T(NONE), T(NONE), T(INT), 0, "EM_GETFIRSTVISIBLELINE"},
    {0x00CF, T(INT), T(NONE), T(INT), 0, "EM_SETREADONLY"},
    {0x0100, T(INT), T(INT), T(INT), 0, "WM_KEYDOWN"},
    {0x0101, T(INT), T(INT), T(INT), 0, "WM_KEYUP"},
    {0x0102, T(INT), T(INT), T(INT), 0, "WM_CHAR"},
    {0x0109, T(INT), T(INT), T(INT), 0, "WM_UNICHAR"},
    {0x0111, T(INT), T(INT), T(INT), 0, "WM_COMMAND"},
    {0x0113, T(INT), T(INT), T(INT), 0, "WM_TIMER"},
    {0x0114, T(INT), T(INT), T(INT), 0, "WM_HSCROLL"},
    {0x0115, T(INT), T(INT), T(INT), 0, "WM_VSCROLL"},
    {0x0200, T(INT), T(INT), T(INT), 0, "WM_MOUSEMOVE"},
    {0x0201, T(INT), T(INT), T(INT), 0, "WM_LBUTTONDOWN"},
    {0x0202, T(INT), T(INT), T(INT), 0, "WM_LBUTTONUP"},
    {0x0204, T(INT), T(INT), T(INT), 0, "WM_RBUTTONDOWN"},
    {0x020A, T(INT), T(INT), T(INT), 0, "WM_MOUSEWHEEL"},
    {0x020E, T(INT), T(INT), T(INT), 0, "WM_MOUSEHWHEEL"},
    {0x02A3, T(NONE), T(NONE), T(INT), 0, "WM_MOUSELEAVE"},
    {0x0300, T(NONE), T(NONE), T(INT), 0, "WM_CUT"},
    {0x0301, T(NONE), T(NONE), T(INT), 0, "WM_COPY"},
    {0x0302, T(NONE), T(NONE), T(INT), 0, "WM_PASTE"},
    {0x0303, T(NONE), T(NONE), T(INT), 0, "WM_CLEAR"},
    {0x0304, T(NONE), T(NONE), T(INT), 0, "WM_UNDO"},
    {0x0432, T(NONE), T(NONE), T(INT), 0, "EM_CANPASTE"},
    {0x0434, T(NONE), T(STRUCT), T(INT), 0, "EM_EXGETSEL"},
    {0x0436, T(NONE), T(INT), T(INT), 0, "EM_EXLINEFROMCHAR"},
    {0x0437, T(NONE), T(STRUCT), T(INT), 0, "EM_EXSETSEL"},
    {0x0439, T(INT), T(STRUCT), T(INT), 0, "EM_FORMATRANGE"},
    {0x043E, T(NONE), T(OUT), T(INT), 0, "EM_GETSELTEXT"},
    {0x043F, T(INT), T(NONE), T(INT), 0, "EM_HIDESELECTION"},
    {0x044B, T(NONE), T(STRUCT), T(INT), 0, "EM_GETTEXTRANGE"},
    {0x044F, T(INT), T(STRUCT), T(INT), 0, "EM_FINDTEXTEX"}};

#define WM_USER_FIRST 0x0400

/* Rules the description cannot give. Texts whose zero the component takes
   as "none" (checked in its sources: it tests the pointer first, or a null
   text clears or resets); every other text parameter gets an empty text
   for a zero, since the component would read through the null. */
static const struct {
  unsigned msg;
  int flags;
  unsigned aux;
} ma_rules[] = {
    {2001, MA_LP_ABSENT, 0},   /* AddText */
    {2002, MA_LP_ABSENT, 0},   /* AddStyledText */
    {2003, MA_LP_ABSENT, 0},   /* InsertText */
    {2056, MA_LP_ABSENT, 0},   /* StyleSetFont */
    {2073, MA_LP_ABSENT, 0},   /* SetStylingEx */
    {2077, MA_LP_ABSENT, 0},   /* SetWordChars: the default set */
    {2170, MA_LP_ABSENT, 0},   /* ReplaceSel */
    {2181, MA_LP_ABSENT, 0},   /* SetText */
    {2443, MA_LP_ABSENT, 0},   /* SetWhitespaceChars */
    {2530, MA_LP_ABSENT | MA_WP_LINE, 0},   /* MarginSetText: clears */
    {2540, MA_LP_ABSENT, 0},   /* AnnotationSetText: clears */
    {2648, MA_LP_ABSENT, 0},   /* SetPunctuationChars */
    {2722, MA_LP_ABSENT, 0},   /* SetDefaultFoldDisplayText: none */
    {2740, MA_LP_ABSENT, 0},   /* EOLAnnotationSetText: clears */
    {2760, MA_LP_ABSENT, 0},   /* SetFontLocale */
    {0x000C, MA_LP_ABSENT, 0}, /* WM_SETTEXT */
    {0x00C2, MA_LP_ABSENT, 0}, /* EM_REPLACESEL */
    /* text forms of XPM images; anything else is read as a pointer list */
    {2049, MA_LP_XPM, 0},      /* MarkerDefinePixmap */
    {2405, MA_LP_XPM, 0},      /* RegisterImage */
    /* pixels for the size set with RGBAImageSetWidth/Height */
    {2626, MA_LP_RGBA, 0},     /* MarkerDefineRGBAImage */
    {2627, MA_LP_RGBA, 0},     /* RegisterRGBAImage */
    /* a style byte for every byte of the margin or annotation text */
    {2534, MA_LP_STYLES | MA_WP_LINE, 2531},   /* MarginSetStyles */
    {2544, MA_LP_STYLES, 2541},   /* AnnotationSetStyles */
    /* the component indexes its per-line data with these lines without a
       check (a negative line, or one whose successor overflows, lands
       outside the array): only lines of the text pass */
    {2093, MA_WP_LINE, 0},        /* GetLineState */
    /* folding and showing a line: the component walks the lines around
       it one by one, up to 2^31 of them for a line far outside */
    {2224, MA_WP_LINE, 0},        /* GetLastChild */
    {2225, MA_WP_LINE, 0},        /* GetFoldParent */
    {2229, MA_WP_LINE, 0},        /* SetFoldExpanded */
    {2231, MA_WP_LINE, 0},        /* ToggleFold */
    {2232, MA_WP_LINE, 0},        /* EnsureVisible */
    {2234, MA_WP_LINE, 0},        /* EnsureVisibleEnforcePolicy */
    {2237, MA_WP_LINE, 0},        /* FoldLine */
    {2238, MA_WP_LINE, 0},        /* FoldChildren */
    {2239, MA_WP_LINE, 0},        /* ExpandChildren */
    {2235, MA_WP_LINE, 0},        /* WrapCount: lays the line out */
    {2532, MA_WP_LINE, 0},        /* MarginSetStyle */
    {2675, MA_WP_LINE, 0},        /* ClearTabStops */
    {2676, MA_WP_LINE, 0},        /* AddTabStop */
    {2677, MA_WP_LINE, 0},        /* GetNextTabStop */
    {2700, MA_WP_LINE | MA_LP_ABSENT, 0},   /* ToggleFoldShowText */
    /* searched line by line down from wParam: lines past the end hold
       nothing, and 2^31 of them take minutes */
    {2048, MA_WP_FROMLINE, 0},    /* MarkerPrevious */
    /* widths the component turns into runs of characters it inserts */
    {2036, MA_WP_COLUMNS, 0},     /* SetTabWidth */
    {2122, MA_WP_COLUMNS, 0},     /* SetIndent */
    {2126, MA_LP_COLUMNS | MA_WP_LINE, 0},   /* SetLineIndentation */
    /* styles past those in use: the count is added to the last one */
    {2553, MA_WP_NEWSTYLES, 0},   /* AllocateExtendedStyles */
    /* reads the length set with SetLengthForEncode when it is set */
    {2449, MA_WP_ENCODE, 0}};     /* EncodedFromUTF8 */

static const struct ma_message *search(const struct ma_message *t, size_t n,
                                       unsigned msg) {
  size_t lo = 0, hi = n;
  while (lo < hi) {
    size_t mid = lo + (hi - lo) / 2;
    if (t[mid].msg == msg) return &t[mid];
    if (t[mid].msg < msg) lo = mid + 1;
    else hi = mid;
  }
  return NULL;
}

#define SEARCH(t, msg) search(t, sizeof t / sizeof t[0], msg)

const struct ma_message *ma_interface(size_t *count) {
  *count = IFACE_N;
  return ma_iface;
}

const struct ma_message *ma_lookup(unsigned msg) {
  const struct ma_message *m = SEARCH(ma_own, msg);
  if (m == NULL) m = SEARCH(ma_iface, msg);
  if (m == NULL) m = SEARCH(ma_window, msg);
  return m;
}

static int rule(unsigned msg, unsigned *aux) {
  int flags = 0;
  for (size_t i = 0; i < sizeof ma_rules / sizeof ma_rules[0]; i++)
    if (ma_rules[i].msg == msg) {
      if (aux && ma_rules[i].aux) *aux = ma_rules[i].aux;
      flags |= ma_rules[i].flags;
    }
  return flags;
}

static int unusable(int t) { return t == MA_T_OBJECT || t == MA_T_STRUCT; }

int ma_classify(unsigned msg) {
  const struct ma_message *m = ma_lookup(msg);
  if (m == NULL) return msg < WM_USER_FIRST ? MA_REFUSED : MA_PLAIN;
  /* objects made for the caller, which no script can release or use */
  if (unusable(m->wp) || unusable(m->lp) ||
      (m->ret == MA_T_OBJECT && strncmp(m->name, "Create", 6) == 0))
    return MA_REFUSED;
  int k = m->lp == MA_T_OUT ? MA_OUT : MA_PLAIN;
  if (m->wp == MA_T_TEXT) k |= MA_WP_TEXT;
  if (m->lp == MA_T_TEXT || m->lp == MA_T_CELLS) k |= MA_LP_TEXT;
  if (m->flags & MA_F_LENGTH) k |= MA_WP_LENGTH;
  if (m->flags & MA_F_SIZE) k |= MA_WP_SIZE;
  if (m->flags & MA_F_WPSTYLE) k |= MA_WP_STYLE;
  if (m->flags & MA_F_LPSTYLE) k |= MA_LP_STYLE;
  if (m->flags & MA_F_WPSELECTION) k |= MA_WP_SELECTION;
  return k | rule(msg, NULL);
}

unsigned ma_styles_text(unsigned msg) {
  unsigned aux = 0;
  return (rule(msg, &aux) & MA_LP_STYLES) ? aux : 0;
}

/* --- XPM text form, read the way the component reads it ---------------- */

/* the component's field step: spaces, a word, spaces */
static const char *next_field(const char *s) {
  while (*s == ' ') s++;
  while (*s && *s != ' ') s++;
  while (*s == ' ') s++;
  return s;
}

/* a header number where the component calls atoi: 1..6 digits that end
   the word, within the header string */
static int header_number(const char *s, const char *end, long *v) {
  long x = 0;
  int n = 0;
  while (s + n < end && s[n] >= '0' && s[n] <= '9') {
    if (n == 6) return 0;
    x = x * 10 + (s[n] - '0');
    n++;
  }
  if (n == 0 || (s + n < end && s[n] != ' ')) return 0;
  *v = x;
  return 1;
}

/* length of a data string: up to its closing quote or the end */
static size_t string_length(const char *s) {
  size_t i = 0;
  while (s[i] && s[i] != '"') i++;
  return i;
}

int ma_xpm_ok(const char *text) {
  if (text == NULL || strncmp(text, "/* XPM */", 9) != 0) return 0;
  const char *head = strchr(text, '"');
  if (head == NULL) return 0;
  head++;
  const char *end = head + string_length(head);
  long v[4];
  const char *p = head;
  while (*p == ' ') p++;
  for (int i = 0; i < 4; i++) {
    if (i > 0) p = next_field(p);
    if (p >= end || !header_number(p, end, &v[i])) return 0;
  }
  long w = v[0], h = v[1], ncol = v[2], cpp = v[3];
  if (w < 1 || h < 1 || w > MA_IMAGE_MAX || h > MA_IMAGE_MAX) return 0;
  /* every string the header announces, then something after the last */
  long strings = 1 + h + ncol, found = 0;
  const char *q = head - 1;
  for (;;) {
    const char *open = strchr(q, '"');
    if (open == NULL) return 0;
    const char *s = open + 1;
    size_t len = string_length(s);
    if (s[len] != '"') return 0;
    if (cpp == 1 && found >= 1 && found <= ncol) {
      /* a colour: code, three characters, then "#RRGGBB" or a name */
      if (len < 4 || (s[4] == '#' && len < 11)) return 0;
    }
    if (cpp == 1 && found > ncol && (long)len > w) return 0;   /* a row */
    found++;
    q = s + len + 1;
    if (found == strings) return *q != '\0';
  }
}
