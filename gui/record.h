/*
** Native records behind script GUI objects: containers (menus, dialogs,
** tables) and their entries (menu strings: controls and attaching entries).
** Both start with the flag word; a container's has the top bit set.
** Platform-neutral: windows are opaque pointers here.
*/
#ifndef record_h
#define record_h

#include <stddef.h>
#include <stdint.h>

#define GR_CONTAINER 0x80000000u
#define GR_MENU 0x80000000u
#define GR_DIALOG 0x80000008u
#define GR_TABLE 0x80000009u

/* entry kind bits */
#define GR_BUTTON 0x0001u
#define GR_SEPARATOR 0x0002u
#define GR_ATT_MENU 0x0004u      /* a menu or table is attached */
#define GR_ATT_DIALOG 0x0008u
#define GR_ICON 0x0010u
#define GR_CHECKBOX 0x0020u
#define GR_RADIO 0x0040u
#define GR_CHECKED 0x0080u       /* also: attached object shown embedded */
#define GR_LABELBIT 0x0200u
#define GR_LABEL 0x0201u
#define GR_EDIT 0x0400u
#define GR_LINKED 0x0800u
#define GR_VERTDROP 0x1000u
#define GR_MULTIBIT 0x2000u
#define GR_MULTIEDIT 0x2400u
#define GR_QUIET 0x4000u         /* notifications suppressed */
#define GR_PAINT 0x40000000u     /* painted by its command */
#define GR_ATTACHED (GR_ATT_MENU | GR_ATT_DIALOG | GR_LINKED)

#define GR_NOREF (-2)            /* no script table */

/* container flag word */
#define GR_CF_SCROLLED 0x1u      /* rows that do not fit scroll */
#define GR_CF_RESIZE 0x2u        /* `resizeable': frame with a size grip */
#define GR_CF_TABBED 0x4u        /* entries act as tabs over pages */

struct gr_container;
struct gr_entry;

typedef void (*gr_callback)(void *wnd, struct gr_entry *e, int reason,
                            void *data);

struct gr_entry {
  uint32_t flags;
  char *name, *comment, *command;
  struct gr_container *sub;     /* attached object, or null */
  char *icon_name;
  void *icon;                   /* window side's icon handle */
  struct gr_entry *next;        /* sibling in the owning container */
  struct gr_container *owner;
  int ref;                      /* registry reference of the script table */
  int x, y, w, h;
  struct gr_container *rmenu;   /* right-click object */
  uint32_t rmenu_kind;
  int rmenu_ref;
  void *wnd_to_change;
  int digital;                  /* number base of a numeric edit, or 0 */
  gr_callback callback;         /* native callback, run before the command */
  void *cb_data;
  int busy;                     /* notifications in progress */
  int dead;                     /* destroyed while busy: freed when idle */
  int code_pane;                /* one of the host's own Lua editors */
  struct gr_entry *all_prev, *all_next;
};

struct gr_container {
  uint32_t flags;
  char *name, *comment, *command;
  int ref;
  struct gr_entry *first;
  int w, h;
  struct gr_entry *owner_entry; /* attaching entry of a dialog */
  uint32_t cflags;              /* GR_CF_* */
  int32_t further;              /* -1 at creation */
  struct gr_entry *tab;         /* current tab of a tabbed container */
  struct gr_container *rmenu;   /* container-level right-click object */
  int cleaning;                 /* `clean' under way */
  struct gr_container *all_next;
};

/* allocation of records and their texts; the defaults use the C heap,
   the host points these at its private heap */
struct gr_ops {
  void *(*alloc)(size_t size);   /* zero-filled */
  void (*free)(void *p);
};
extern struct gr_ops gr_ops;

char *gr_strdup(const char *s);          /* null for null */
void gr_set_text(char **slot, const char *s);

struct gr_container *gr_container_new(uint32_t kind, const char *name,
                                      const char *comment);
struct gr_entry *gr_entry_new(uint32_t kind, const char *name,
                              const char *comment, const char *command);
/* Unlinks the entry from its container and frees it, or marks it dead
   while a notification of it is in progress. */
void gr_entry_free(struct gr_entry *e);
void gr_entry_idle(struct gr_entry *e);  /* a notification ended */

int gr_is_container(const void *rec);
int gr_valid_entry(const void *p);       /* a live entry record */
int gr_valid_container(const void *p);

/* positions are 0-based here; a position past the end or below 0 appends */
void gr_insert(struct gr_container *c, struct gr_entry *e, int pos);
void gr_unlink(struct gr_entry *e);
int gr_count(const struct gr_container *c);
struct gr_entry *gr_at(const struct gr_container *c, int i);
int gr_index(const struct gr_entry *e);  /* 0-based, -1 if not placed */

/* the radio group of e: first entry of its run of radios, and the length */
struct gr_entry *gr_group_first(struct gr_entry *e);
int gr_in_group(const struct gr_entry *a, const struct gr_entry *b);

/* whether any entry of c has any of the bits */
int gr_any(const struct gr_container *c, uint32_t bits);

/* dialogs and tables take `tabbed' and `resizeable' */
int gr_takes_cflags(const void *rec);
int gr_tabbed(const struct gr_container *c);

extern struct gr_container *gr_containers;   /* every container */

#endif
