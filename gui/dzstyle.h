/*
** The designer's editor settings of an edit control: "Lexer", "Folder",
** "Styles", "Wordsets" and "Margins" in the control sheet, dialogs filled
** from the control's style table, and the style table rebuilt from them.
*/
#ifndef dzstyle_h
#define dzstyle_h

extern "C" {
#include "lua.h"
}

#include "gui/record.h"

#define DZS_STYLES 32
#define DZS_WORDSETS 9
#define DZS_MARGINS 3

struct dzs_state {
  struct gr_entry *target;              /* the edit being edited, or null */
  struct gr_container *styles[DZS_STYLES], *margins[DZS_MARGINS];
  struct gr_entry *wordsets[DZS_WORDSETS], *lexer, *folder;
  struct gr_entry *groups[5];           /* Lexer .. Margins */
};

extern struct dzs_state dzs;

/* Shows the settings of e (an edit with a style table) in the sheet. */
void dzs_fill(lua_State *L, struct gr_entry *e);
/* Replaces the style of the edit being edited by what the dialogs show and
   compiles the lexer; then the settings leave the sheet. */
void dzs_write_back(lua_State *L);
/* The settings leave the sheet unwritten. */
void dzs_drop(void);

/* The lexer's kept source text without its parameter list and final end;
   returns the length, from *from. */
size_t dzs_lexer_body(const char *text, size_t len, size_t *from);

#endif
