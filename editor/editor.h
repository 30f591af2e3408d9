/*
** The editor layer's start-up and release: the component's window classes
** are registered with the others, the start-up list wires the tables below
** into the object model after the menu windows, and the component's
** resources go first in the release routine.
*/
#ifndef editor_h
#define editor_h

struct ei_ops;
struct ul_hooks;
struct mn_ops;
struct ctl_ops;

int ed_register_classes(void);
void ed_release(void);

extern const struct ei_ops ed_edit_ops;        /* edit entries' text, caret */
extern const struct ul_hooks ed_lexer_hooks;   /* focus, refresh switch */
extern const struct mn_ops ed_menu_ops;        /* editor windows in entries */
extern const struct ctl_ops ed_control_ops;    /* `mes' and `grep' */
/* a name written to a shown edit goes into its document (before the
   record is redrawn) */
void ed_sync(void *rec);

#endif
