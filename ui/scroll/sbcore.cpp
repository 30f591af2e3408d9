/*
** Scroll bar arithmetic. Products of positions and pixel lengths are taken
** in 64 bits: ranges come from scripts and may be as large as an int.
*/
#include "ui/scroll/sbcore.h"

#define ARROW_MAX 14
#define THUMB_MIN 5

static int32_t clamp(int64_t v, int64_t lo, int64_t hi) {
  if (v > hi) v = hi;
  if (v < lo) v = lo;
  return (int32_t)v;
}

/* the highest position less the minimum: never negative, also when the
   page is larger than the range */
static int32_t top(const struct sc_model *s) {
  int64_t t = (int64_t)s->range - s->page;
  return t > 0 ? (int32_t)t : 0;
}

void sc_model_init(struct sc_model *s, int32_t range, int32_t page, int has_thumb) {
  *s = sc_model();
  s->range = range < 1 ? 1 : range;
  s->page = page < 1 ? 1 : page;
  s->has_thumb = has_thumb;
}

int32_t sc_thumb_len(int32_t range, int32_t page, int32_t track_len) {
  if (range <= 0) return 0;
  if (page > range || track_len <= 0) return track_len > 0 ? track_len : 0;
  int64_t len = (int64_t)page * track_len / range;
  if (len < THUMB_MIN) len = THUMB_MIN;
  if (len > track_len) len = track_len;
  return (int32_t)len;
}

int32_t sc_model_layout(struct sc_model *s, int32_t length, int32_t thick) {
  if (length < 0) length = 0;
  if (thick < 0) thick = 0;
  int32_t arrow = s->has_thumb ? (thick < ARROW_MAX ? thick : ARROW_MAX)
                               : length / 2;
  if (s->has_thumb && 2 * arrow > length) arrow = length / 2;
  s->track_start = arrow;
  s->track_end = length - arrow;
  s->track_len = s->track_end - s->track_start;
  s->thumb_off = s->track_start;
  s->thumb_len = s->has_thumb ? sc_thumb_len(s->range, s->page, s->track_len)
                              : 0;
  return arrow;
}

void sc_model_place(struct sc_model *s) {
  if (s->range <= 0) {
    s->position = s->minimum;
    s->thumb_len = 0;
    s->thumb_off = s->track_start;
    return;
  }
  s->thumb_len = sc_thumb_len(s->range, s->page, s->track_len);
  int64_t rel = (int64_t)s->position - s->minimum;
  int64_t off = s->track_start + rel * s->track_len / s->range;
  s->thumb_off = clamp(off, s->track_start, (int64_t)s->track_end - s->thumb_len);
}

int sc_model_step(struct sc_model *s, int kind, int32_t at) {
  int64_t rel = (int64_t)s->position - s->minimum;
  int64_t step;
  if (kind == SC_BACK) {
    step = -1;
  } else if (kind == SC_FORWARD) {
    step = 1;
  } else if (at < s->thumb_off) {
    step = -(int64_t)s->page;
  } else if (at >= (int64_t)s->thumb_off + s->thumb_len) {
    step = s->page;
  } else {
    return 0;
  }
  s->last_step = (int32_t)step;
  int32_t value = clamp(rel + step, 0, top(s));
  s->position = clamp((int64_t)value + s->minimum, INT32_MIN, INT32_MAX);
  sc_model_place(s);
  return 1;
}

int32_t sc_model_drag(struct sc_model *s, int32_t offset) {
  int32_t off = clamp(offset, s->track_start,
                      (int64_t)s->track_end - s->thumb_len);
  if (off < s->track_start) off = s->track_start;
  s->thumb_off = off;
  if (s->track_len <= 0) {
    s->position = s->minimum;
  } else {
    int64_t rel = (int64_t)(off - s->track_start) * s->range / s->track_len;
    s->position = clamp(rel + s->minimum, INT32_MIN, INT32_MAX);
  }
  return off;
}

int32_t sc_model_set(struct sc_model *s, struct sc_info *info) {
  if (info->mask & SC_RANGE) {
    s->minimum = info->min;
    s->range = clamp((int64_t)info->max - info->min, 0, INT32_MAX);
  }
  if (info->mask & SC_PAGE) {
    s->page = clamp(info->page, 0, INT32_MAX);
    if (s->range < s->page) {
      s->range = s->page;
      info->max = clamp((int64_t)s->minimum + s->range, INT32_MIN, INT32_MAX);
    }
  }
  if (info->mask & SC_POS) {
    s->position = info->pos < s->minimum ? s->minimum : info->pos;
    int64_t rel = (int64_t)s->position - s->minimum;
    if (s->range < rel) {
      s->range = clamp(rel, 0, INT32_MAX);
      info->max = s->position;
    }
  }
  sc_model_place(s);
  return s->position;
}

int sc_model_get(const struct sc_model *s, struct sc_info *info) {
  info->track = s->position;
  if (info->mask & SC_PAGE) info->page = (uint32_t)s->page;
  if (info->mask & SC_POS) info->pos = s->position;
  if (info->mask & SC_RANGE) {
    info->min = s->minimum;
    info->max = clamp((int64_t)s->minimum + s->range, INT32_MIN, INT32_MAX);
  }
  return 1;
}
