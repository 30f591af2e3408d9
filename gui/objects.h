/*
** Script objects: tables bound to native records through `HANDLE'
** (containers) or `msHANDLE' (entries), their pins, the shared metatables'
** property routing, and the release paths `del' and `clean'.
*/
#ifndef objects_h
#define objects_h

extern "C" {
#include "lua.h"
}

#include "gui/record.h"

int obj_toint(lua_Number n);            /* integer part, clamped; NaN is 0 */
int obj_pin(lua_State *L, int idx);     /* registry reference */
void obj_unpin(lua_State *L, int *ref);
void obj_push(lua_State *L, int ref);   /* the pinned table, or nil */
int obj_abs(lua_State *L, int idx);

/* The live record of the object at idx: its entry if it has `msHANDLE',
   else its container; null when neither is valid. */
void *obj_record(lua_State *L, int idx);
struct gr_container *obj_container(lua_State *L, int idx);
/* The container of the object at idx, pinned again if a release let go of
   it (a dialog whose attaching entry was deleted and that is used again). */
struct gr_container *obj_repin(lua_State *L, int idx);

/* Makes a container object of the given kind from the optional argument
   table at args (0 for none) and leaves it on the stack. */
struct gr_container *obj_new_container(lua_State *L, uint32_t kind, int args,
                                       const char *type, const char *mt_fail);

/* raw set of a field of the table at idx to the value on top (popped) */
void obj_rawset(lua_State *L, int idx, const char *key);
int obj_size(lua_State *L, int idx);    /* the `n' of a container object */

void obj_clean(lua_State *L, int idx);
void obj_clean_native(struct gr_container *c);   /* its native entries */
void obj_release(lua_State *L, int idx, int destroy);

int obj_index(lua_State *L);            /* __index of every object */
int obj_newindex(lua_State *L);         /* __newindex of the shared tables */
int obj_entry_newindex(lua_State *L);   /* __newindex of attaching entries */
int obj_del(lua_State *L);
int obj_clean_method(lua_State *L);
int obj_show(lua_State *L);

#endif
