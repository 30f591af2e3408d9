/*
** Choosing the record the designer edits: the sheet that fits it, its
** edits filled from the record and its choices checked as the record is.
*/
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "gui/designer.h"
#include "gui/dzstyle.h"
#include "gui/savestate.h"
#include "gui/view.h"

static void put(int sheet, int job, const char *text) {
  struct gr_entry *e = dz.edits[sheet][job];
  if (e == NULL) return;
  gr_set_text(&e->name, text ? text : "");
  gv.redraw(e);
}

static void put_number(int sheet, int job, int n) {
  char buf[16];
  snprintf(buf, sizeof buf, "%d", n);
  put(sheet, job, buf);
}

static void functions(int sheet) {
  extern lua_State *gui_L;
  struct sbuf b;
  sb_init(&b);
  if (gui_L) ss_functions(gui_L, &b);
  put(sheet, DZ_FUNCTIONS, b.failed ? "" : b.p);
  sb_free(&b);
}

/* checks the radio of the sub-menu `menu' of the sheet whose data is bits */
static void choose(int sheet, const char *menu, uint32_t bits) {
  struct gr_entry *m = dz_find(dz.sheets[sheet], menu);
  struct gr_container *c = m ? m->sub : dz.flags_menu;
  if (strcmp(menu, "Control Specific Flags") == 0) c = dz.flags_menu;
  for (struct gr_entry *e = c ? c->first : NULL; e; e = e->next)
    if (e->flags & GR_RADIO) {
      if ((uint32_t)(uintptr_t)e->cb_data == bits) e->flags |= GR_CHECKED;
      else e->flags &= ~GR_CHECKED;
    }
}

static void flags_of(struct gr_entry *t) {
  for (struct gr_entry *e = dz.flags_menu->first; e; e = e->next) {
    uint32_t bits = (uint32_t)(uintptr_t)e->cb_data;
    int on = 0;
    if (e->flags & GR_CHECKBOX) on = (t->flags & (GR_CHECKBOX | GR_RADIO)) && (t->flags & GR_CHECKED);
    else if (bits == GR_CHECKED) on = (t->flags & GR_CHECKED) && (t->sub != NULL);
    else if (bits == GR_VERTDROP) on = (t->flags & GR_VERTDROP) != 0;
    else if (e->name && strstr(e->name, "dropping")) on = !(t->flags & GR_VERTDROP);
    else on = !((t->flags & GR_CHECKED) && t->sub);
    if (on) e->flags |= GR_CHECKED;
    else e->flags &= ~GR_CHECKED;
  }
}

static uint32_t kind_of(const struct gr_entry *t) {
  if (t->flags & GR_ATT_DIALOG) return GR_ATT_DIALOG;
  if (t->flags & GR_ATT_MENU) return GR_ATT_MENU;
  if (t->flags & GR_SEPARATOR) return GR_SEPARATOR;
  if (t->flags & GR_CHECKBOX) return GR_CHECKBOX;
  if (t->flags & GR_RADIO) return GR_RADIO;
  if (t->flags & GR_LABELBIT) return GR_LABELBIT;
  if (t->flags & GR_EDIT) return t->flags & (GR_EDIT | GR_MULTIBIT);
  return GR_BUTTON;
}

static void control(struct gr_entry *t) {
  int s = DZ_CONTROL_SHEET;
  put(s, DZ_NAME, t->name);
  put(s, DZ_TIP, t->comment);
  put(s, DZ_COMMAND, t->command);
  put_number(s, DZ_WIDTH, t->w);
  put_number(s, DZ_HEIGHT, t->h);
  choose(s, "Type", kind_of(t));
  uint32_t side = 0;
  if (t->sub && !(t->flags & (GR_ATT_MENU | GR_ATT_DIALOG)))
    side = (t->sub->flags & GR_DIALOG) == GR_DIALOG ? GR_ATT_DIALOG : GR_ATT_MENU;
  choose(s, "Right Side Subcontrol", side);
  uint32_t rc = 0;
  if (t->rmenu) rc = (t->rmenu->flags & GR_DIALOG) == GR_DIALOG ? GR_ATT_DIALOG : GR_ATT_MENU;
  choose(s, "Right Click Menu", rc);
  flags_of(t);
}

static void container(struct gr_container *c) {
  int dialog = (c->flags & GR_DIALOG) == GR_DIALOG;
  int s = dialog ? DZ_DIALOG_SHEET : DZ_MENU_SHEET;
  dz.sheet = s;
  put(s, DZ_NAME, c->name);
  put(s, DZ_TIP, c->comment);
  put(s, DZ_COMMAND, c->command);
  if (!dialog) {
    choose(s, "Type", c->cflags & GR_CF_SCROLLED);
    return;
  }
  put_number(s, DZ_WIDTH, c->w);
  put_number(s, DZ_HEIGHT, c->h);
  choose(s, "Type", ss_tabbed(c) ? 0x4 : 0);
  choose(s, "Resize flag", ss_resizeable(c) ? 0x2 : 0);
}

void dz_edit(void *rec) {
  if (dz.top == NULL) return;
  extern lua_State *gui_L;
  dzs_write_back(gui_L);   /* leaving an edit control: its style is rebuilt */
  dz.edited = NULL;
  if (rec == NULL) return;
  if (!gr_is_container(rec)) {
    struct gr_entry *t = (struct gr_entry *)rec;
    if (!gr_valid_entry(t)) return;
    if ((t->flags & (GR_ATT_MENU | GR_ATT_DIALOG)) && t->sub &&
        gr_valid_container(t->sub)) {
      rec = t->sub;
    } else {
      dz.sheet = DZ_CONTROL_SHEET;
      control(t);
      dzs_fill(gui_L, t);
    }
  }
  if (gr_is_container(rec)) {
    if (!gr_valid_container(rec) || dz_is_designer((struct gr_container *)rec)) return;
    container((struct gr_container *)rec);
  }
  dz.edited = rec;
  functions(dz.sheet);
  dz.drop->sub = dz.sheets[dz.sheet];
  gv.redraw(dz.drop);
}
