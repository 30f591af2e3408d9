/*
** Dialog geometry: shown sizes, the moves of a dialog that passes the
** screen's maximised width or height, and the size a grip resize gives.
** Platform-neutral.
*/
#ifndef dwgeom_h
#define dwgeom_h

#define DG_MIN_W 40      /* caption buttons and the grip stay usable */
#define DG_MIN_H 30
#define DG_MAX 16384     /* far beyond any screen, well inside GDI's range */
#define DG_DEFAULT_W 200 /* a description without a size */
#define DG_DEFAULT_H 150

struct dg_rect {
  int left, top, right, bottom;
};

/* A description's width or height as shown: 0 and below give the default,
   then held between the minimum and DG_MAX. */
int dg_size(int want, int dflt, int min);

/* Where a dialog with a caption goes after a resize: `win' its window
   rectangle, `owner' its owner's (null: none), max_w and max_h the
   screen's maximised size, h the new client height. Returns 1 and sets
   *x, *y when it must move. */
int dg_place(const struct dg_rect *win, const struct dg_rect *owner,
              int max_w, int max_h, int h, int *x, int *y);

/* Where a top-level window w by h asked for at *x, *y goes so that it lies
   on the work area: one that would pass the area's right edge goes to the
   left of `from' (the rectangle it opens from: an entry, the pointer, its
   owner), its right edge 4 pixels inside from's left edge and its top
   level with from's; then it is held inside the area, its top left corner
   winning when it is larger than the area. */
void dg_on_screen(const struct dg_rect *area, const struct dg_rect *from,
                   int w, int h, int *x, int *y);

/* The outline of a grip resize: the window rectangle with its bottom right
   corner at the pointer corrected by the grab offset. */
struct dg_rect dg_outline(const struct dg_rect *win, int px, int py,
                            int grab_x, int grab_y);

/* Width and height a finished outline gives, held to sound sizes. */
void dg_outline_size(const struct dg_rect *o, int *w, int *h);

#endif
