/*
** The designer's records: "Develop Menu" and its three sheets. They are
** ordinary container and entry records with native callbacks instead of
** commands, so the menu layer shows them like any other menu; none of
** them hangs under `trelk', so the interface writer never sees them.
*/
#include <stdint.h>
#include <string.h>

#include "gui/designer.h"
#include "gui/dzaction.h"

struct dz_state dz;

struct gr_entry *dz_add(struct gr_container *c, uint32_t kind,
                       const char *name, gr_callback cb, uintptr_t data) {
  struct gr_entry *e = gr_entry_new(kind, name, NULL, NULL);
  e->callback = cb;
  e->cb_data = (void *)data;
  gr_insert(c, e, -1);
  return e;
}

struct gr_container *dz_attach(struct gr_container *c, const char *name,
                               uint32_t kind) {
  struct gr_container *sub =
      gr_container_new(kind == GR_ATT_DIALOG ? GR_DIALOG : GR_MENU, name, NULL);
  struct gr_entry *e = dz_add(c, kind, name, NULL, 0);
  e->sub = sub;
  if (kind == GR_ATT_DIALOG) {
    sub->owner_entry = e;
    sub->w = sub->h = 200;
  }
  return sub;
}

/* a labelled edit; Enter in it applies its text to the edited record */
static void labelled(struct gr_container *c, int sheet, const char *label,
                     int job) {
  dz_add(c, GR_LABEL, label, NULL, 0);
  dz.edits[sheet][job] = dz_add(c, GR_EDIT, "", dza_edit_entered, (uintptr_t)job);
}

static void text_pane(struct gr_container *c, int sheet, const char *name,
                      int job) {
  struct gr_container *d = dz_attach(c, name, GR_ATT_DIALOG);
  struct gr_entry *e = dz_add(d, GR_MULTIEDIT, "", dza_text_typed, (uintptr_t)job);
  e->x = e->y = 1;
  e->w = 194;
  e->h = 176;
  e->code_pane = 1;
  dz.edits[sheet][job] = e;
}

static void radios(struct gr_container *c, gr_callback cb,
                   const char *const *names, const uint32_t *bits, int n) {
  for (int i = 0; i < n; i++) dz_add(c, GR_RADIO, names[i], cb, bits[i]);
}

static void common_head(struct gr_container *c, int sheet, int separate) {
  labelled(c, sheet, "Name :", DZ_NAME);
  labelled(c, sheet, "Tool Tip :", DZ_TIP);
  if (separate) dz_add(c, GR_SEPARATOR, NULL, NULL, 0);
  text_pane(c, sheet, "Command String :", DZ_COMMAND);
  text_pane(c, sheet, "Common Functions", DZ_FUNCTIONS);
}

static void sizes(struct gr_container *c, int sheet) {
  struct gr_container *s = dz_attach(c, "Sizes", GR_ATT_MENU);
  labelled(s, sheet, "Width", DZ_WIDTH);
  labelled(s, sheet, "Height", DZ_HEIGHT);
}

static void menu_sheet(struct gr_container *c) {
  static const char *const names[] = {"All In One", "Scrolled"};
  static const uint32_t bits[] = {0, GR_CF_SCROLLED};
  common_head(c, DZ_MENU_SHEET, 1);
  radios(dz_attach(c, "Type", GR_ATT_MENU), dza_menu_type, names, bits, 2);
  dz_add(c, GR_SEPARATOR, NULL, NULL, 0);
  dz_add(c, GR_BUTTON, "Add Control", dza_add_control, 0);
}

static void control_sheet(struct gr_container *c) {
  static const char *const types[] = {
      "Separator", "Simply Button", "Radio Button", "Check Box", "Label",
      "Edit", "Multiline edit", "Sub menu", "Sub dialog", "Table", "Scrollbar"};
  static const uint32_t type_bits[] = {0x2, 0x1, 0x40, 0x20, 0x200, 0x400,
                                       0x2400, 0x4, 0x8, 0x4, 0x803};
  static const char *const sides[] = {"None", "Menu", "Dialog", "Scrollbar"};
  static const uint32_t side_bits[] = {0, 0x4, 0x8, 0x800};
  static const char *const flags[] = {"Simply Control", "Dialog Container"};
  static const uint32_t flag_bits[] = {0, GR_CHECKED};
  static const char *const drops[] = {"Horisontal dropping", "Vertical dropping"};
  static const uint32_t drop_bits[] = {0, GR_VERTDROP};
  common_head(c, DZ_CONTROL_SHEET, 0);
  radios(dz_attach(c, "Type", GR_ATT_MENU), dza_control_type, types, type_bits, 11);
  radios(dz_attach(c, "Right Side Subcontrol", GR_ATT_MENU), dza_side, sides,
         side_bits, 4);
  radios(dz_attach(c, "Right Click Menu", GR_ATT_MENU), dza_rclick, sides,
         side_bits, 3);
  dz.flags_menu = dz_attach(c, "Control Specific Flags", GR_ATT_MENU);
  radios(dz.flags_menu, dza_flag, flags, flag_bits, 2);
  dz_add(dz.flags_menu, GR_CHECKBOX, "Checked", dza_checked, 0);
  radios(dz.flags_menu, dza_flag, drops, drop_bits, 2);
  dz_add(c, GR_SEPARATOR, NULL, NULL, 0);
  sizes(c, DZ_CONTROL_SHEET);
  dz_add(c, GR_SEPARATOR, NULL, NULL, 0);
  dz_add(c, GR_BUTTON, "Cancel", dza_cancel, 0);
  dz_add(c, GR_BUTTON, "Delete", dza_delete, 0);
}

static void dialog_sheet(struct gr_container *c) {
  static const char *const types[] = {"Simply", "Tabbed"};
  static const uint32_t type_bits[] = {0, 0x4};
  static const char *const resize[] = {"Fixed size", "Resizeable"};
  static const uint32_t resize_bits[] = {0, 0x2};
  common_head(c, DZ_DIALOG_SHEET, 1);
  radios(dz_attach(c, "Type", GR_ATT_MENU), dza_dialog_flag, types, type_bits, 2);
  dz_add(c, GR_SEPARATOR, NULL, NULL, 0);
  radios(dz_attach(c, "Resize flag", GR_ATT_MENU), dza_dialog_flag, resize,
         resize_bits, 2);
  sizes(c, DZ_DIALOG_SHEET);
  dz_add(c, GR_SEPARATOR, NULL, NULL, 0);
  dz_add(c, GR_BUTTON, "Add Control", dza_add_control, 1);
}

void dz_open(lua_State *L) {
  dza_open(L);
  if (dz.top) return;
  dz.top = gr_container_new(GR_MENU, "Develop Menu", NULL);
  dz.top->cflags = 0;
  for (int i = 0; i < DZ_SHEETS; i++) {
    dz.sheets[i] = gr_container_new(GR_MENU, "Develop Menu", NULL);
    dz.sheets[i]->cflags = 0;
  }
  menu_sheet(dz.sheets[DZ_MENU_SHEET]);
  control_sheet(dz.sheets[DZ_CONTROL_SHEET]);
  dialog_sheet(dz.sheets[DZ_DIALOG_SHEET]);
  dz.drop = dz_add(dz.top, GR_ATT_MENU | GR_VERTDROP, "Develop Menu", NULL, 0);
  dz.drop->sub = dz.sheets[DZ_CONTROL_SHEET];
  dz.sheet = DZ_CONTROL_SHEET;
}

/* the designer's containers: the top, the sheets and all below them */
static int below(const struct gr_container *c, const struct gr_container *in,
                 int depth) {
  if (in == NULL || depth > 8) return 0;
  if (c == in) return 1;
  for (struct gr_entry *e = in->first; e; e = e->next)
    if (e->sub && below(c, e->sub, depth + 1)) return 1;
  return 0;
}

int dz_is_designer(const struct gr_container *c) {
  if (c == NULL || dz.top == NULL) return 0;
  if (below(c, dz.top, 0)) return 1;
  for (int i = 0; i < DZ_SHEETS; i++)
    if (below(c, dz.sheets[i], 0)) return 1;
  return 0;
}

struct gr_entry *dz_find(struct gr_container *c, const char *name) {
  for (struct gr_entry *e = c ? c->first : NULL; e; e = e->next)
    if (e->name && strcmp(e->name, name) == 0) return e;
  return NULL;
}
