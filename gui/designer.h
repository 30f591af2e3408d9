/*
** The designer: the "Develop Menu" with its three property sheets (menu,
** control, dialog), built from static records with native callbacks, and
** the actions they run on the one record being edited.
*/
#ifndef designer_h
#define designer_h

extern "C" {
#include "lua.h"
}

#include <stdint.h>

#include "gui/record.h"

enum { DZ_MENU_SHEET, DZ_CONTROL_SHEET, DZ_DIALOG_SHEET, DZ_SHEETS };

/* edits of a sheet, by their job */
enum { DZ_NAME, DZ_TIP, DZ_COMMAND, DZ_FUNCTIONS, DZ_WIDTH, DZ_HEIGHT, DZ_EDITS };

struct dz_state {
  struct gr_container *top;            /* "Develop Menu" */
  struct gr_entry *drop;               /* its one entry, dropping a sheet */
  struct gr_container *sheets[DZ_SHEETS];
  struct gr_entry *edits[DZ_SHEETS][DZ_EDITS];   /* null where a sheet has none */
  struct gr_container *flags_menu;     /* "Control Specific Flags" */
  void *edited;                        /* entry or container, or null */
  int sheet;
};

extern struct dz_state dz;

/* The window side: closes the designer's window; hands the window of a
   new entry to the drag frame. Defaults do nothing. */
struct dz_ops {
  void (*close)(void);
  void (*place)(struct gr_entry *e);
};
extern struct dz_ops dz_ops;

/* Builds the records (once) and keeps the constructors it calls. */
void dz_open(lua_State *L);

/* Makes rec the record being edited: an entry carrying a menu or a dialog
   is edited through the sheet of that container, any other entry through
   the control sheet. Fills the sheet's edits from the record. */
void dz_edit(void *rec);

/* whether c is one of the designer's own containers */
int dz_is_designer(const struct gr_container *c);

/* builders of the designer's records: an entry appended to c; an entry
   carrying a new menu or (200 by 200) dialog, whose container is returned */
struct gr_entry *dz_add(struct gr_container *c, uint32_t kind, const char *name,
                        gr_callback cb, uintptr_t data);
struct gr_container *dz_attach(struct gr_container *c, const char *name,
                               uint32_t kind);

/* finds the entry of a sheet by its caption (for tests and the manual) */
struct gr_entry *dz_find(struct gr_container *c, const char *name);

#endif
