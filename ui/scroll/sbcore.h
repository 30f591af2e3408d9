/*
** Scroll bar arithmetic: the thumb's length and place on its track, arrow
** and track steps, thumb drags, and the SCROLLINFO-shaped set and get.
** Platform-neutral; ui/scroll/win/scroll.cpp puts it into windows.
*/
#ifndef sbcore_h
#define sbcore_h

#include <stdint.h>

/* mask bits of sc_info, as in SCROLLINFO */
#define SC_RANGE 0x1u
#define SC_PAGE 0x2u
#define SC_POS 0x4u
#define SC_HIDE 0x8u          /* set: hide the bar first */

/* Same layout as the Windows SCROLLINFO record. */
struct sc_info {
  uint32_t size;
  uint32_t mask;
  int32_t min, max;
  uint32_t page;
  int32_t pos;
  int32_t track;
};

/* press kinds along the bar */
enum { SC_BACK, SC_FORWARD, SC_TRACK };

struct sc_model {
  int32_t range;      /* maximum - minimum */
  int32_t minimum;
  int32_t position;   /* minimum .. minimum + max(range - page, 0) */
  int32_t last_step;  /* -1/+1 arrow, -page/+page track, 0 after a press */
  int32_t page;
  int has_thumb;
  int32_t track_start, track_end, track_len;
  int32_t thumb_off, thumb_len;
};

/* range and page at least 1, position at the minimum */
void sc_model_init(struct sc_model *s, int32_t range, int32_t page, int has_thumb);

/* Arrow length for a bar `length' long and `thick' across; sets the track
   and puts the thumb at the track start. */
int32_t sc_model_layout(struct sc_model *s, int32_t length, int32_t thick);

int32_t sc_thumb_len(int32_t range, int32_t page, int32_t track_len);

/* Thumb length and offset for the position. */
void sc_model_place(struct sc_model *s);

/* One step of a press: kind SC_BACK/SC_FORWARD for arrows, SC_TRACK for
   the track pressed at `at' along the bar. Returns 1 if the press is a
   step (the caller notifies), 0 for a press on the thumb. */
int sc_model_step(struct sc_model *s, int kind, int32_t at);

/* The thumb dragged to `offset': held between the track's ends; returns
   the offset it keeps. */
int32_t sc_model_drag(struct sc_model *s, int32_t offset);

/* Set (mask bits SC_RANGE, SC_PAGE, SC_POS) with the write-backs of a
   raised range into info->max; returns the position. */
int32_t sc_model_set(struct sc_model *s, struct sc_info *info);
/* Get: track always, then what the mask asks; returns 1. */
int sc_model_get(const struct sc_model *s, struct sc_info *info);

#endif
