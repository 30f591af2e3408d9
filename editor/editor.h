/*
** The editor layer's start-up and release: the component's window classes
** are registered with the others, the layer installs itself into the
** object model after the menu windows, and the component's resources go
** first in the release routine.
*/
#ifndef editor_h
#define editor_h

int ed_register_classes(void);
void ed_init(void);
void ed_release(void);

#endif
