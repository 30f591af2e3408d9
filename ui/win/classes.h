/*
** Registration of the program's window classes.
*/
#ifndef classes_h
#define classes_h

int cls_register_first(void);   /* dialog and menu clients; 0 on failure */
void cls_register_rest(void);   /* the others, the UI font, address bounds */

#endif
