/*
** Actions of the designer's sheets: native callbacks of its entries, all
** acting on the record being edited through the objects' own property
** writes (so that the record ends in a state a script could have made).
*/
#ifndef dzaction_h
#define dzaction_h

extern "C" {
#include "lua.h"
}

#include "gui/record.h"

void dza_open(lua_State *L);   /* keeps the constructors the actions use */

/* callbacks: (window, entry, reason, the entry's data) */
void dza_edit_entered(void *w, struct gr_entry *e, int reason, void *data);
void dza_text_typed(void *w, struct gr_entry *e, int reason, void *data);
void dza_menu_type(void *w, struct gr_entry *e, int reason, void *data);
void dza_control_type(void *w, struct gr_entry *e, int reason, void *data);
void dza_side(void *w, struct gr_entry *e, int reason, void *data);
void dza_rclick(void *w, struct gr_entry *e, int reason, void *data);
void dza_flag(void *w, struct gr_entry *e, int reason, void *data);
void dza_checked(void *w, struct gr_entry *e, int reason, void *data);
void dza_dialog_flag(void *w, struct gr_entry *e, int reason, void *data);
void dza_add_control(void *w, struct gr_entry *e, int reason, void *data);
void dza_cancel(void *w, struct gr_entry *e, int reason, void *data);
void dza_delete(void *w, struct gr_entry *e, int reason, void *data);

#endif
