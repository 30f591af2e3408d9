/*
** Message table for `mes'. Numbers are the component's public ones.
*/
#include "editor/mesargs.h"

static const unsigned out_lp[] = {
    2027, 2153, 2161, 2182, 2257, 2447, 2449, 2486, 2531, 2535, 2541, 2545,
    2610, 2616, 2646, 2647, 2649, 2666, 2687, 2723, 2741, 2761, 4008, 4009,
    4014, 4016, 4017, 4026, 4030, 4031, 4032};
/* structures, object and document pointers, images of given sizes, and
   the window's own creation and destruction */
static const unsigned refused[] = {
    0x0001, 0x0002, 0x0081, 0x0082,
    2015, 2778, 2039, 2150, 2151, 2162, 2196, 2777, 2358, 2376, 2377, 2632,
    2626, 2627, 2624, 4013, 4033, 2375};
static const unsigned lp_text[] = {
    2001, 2002, 2003, 2049, 2056, 2077, 2100, 2117, 2170, 2181, 2194, 2195,
    2197, 2200, 2276, 2282, 2367, 2368, 2405, 2420, 2443, 2530, 2532, 2540,
    2542, 2648, 2665, 2672, 2701, 2722, 2740, 4004, 4005, 4006};
static const unsigned wp_text[] = {2449, 2665, 2666, 2667, 4004, 4008,
                                   4009, 4012, 4016};
static const unsigned wp_length[] = {2001, 2002, 2194, 2195, 2197, 2282,
                                     2420, 2672};
/* out messages whose wParam is the buffer's size */
static const unsigned wp_size[] = {2027, 2182};

static int in(const unsigned *list, unsigned n, unsigned msg) {
  for (unsigned i = 0; i < n; i++)
    if (list[i] == msg) return 1;
  return 0;
}

#define IN(list, msg) in(list, sizeof list / sizeof list[0], msg)

int ma_classify(unsigned msg) {
  int k = MA_PLAIN;
  if (IN(refused, msg)) return MA_REFUSED;
  if (IN(out_lp, msg)) k = MA_OUT;
  if (IN(lp_text, msg)) k |= MA_LP_TEXT;
  if (IN(wp_text, msg)) k |= MA_WP_TEXT;
  if (IN(wp_length, msg)) k |= MA_WP_LENGTH;
  if (IN(wp_size, msg)) k |= MA_WP_SIZE;
  return k;
}
