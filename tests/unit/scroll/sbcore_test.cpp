// Scroll bar arithmetic: thumb size and place, steps, drags, set and get.
#include <gtest/gtest.h>

#include <climits>

#include "ui/scroll/sbcore.h"

namespace {

// a vertical bar 16 wide and 100 long: arrows 14, track 14..86
sc_model bar(int range, int page) {
  sc_model s;
  sc_model_init(&s, range, page, 1);
  sc_model_layout(&s, 100, 16);
  sc_model_place(&s);
  return s;
}

TEST(ScrollLayout, ArrowsAreAtMost14WithAThumb) {
  sc_model s;
  sc_model_init(&s, 10, 1, 1);
  EXPECT_EQ(sc_model_layout(&s, 100, 16), 14);
  EXPECT_EQ(s.track_start, 14);
  EXPECT_EQ(s.track_end, 86);
  EXPECT_EQ(s.track_len, 72);
  EXPECT_EQ(s.thumb_off, 14);
  EXPECT_EQ(sc_model_layout(&s, 100, 9), 9);
}

TEST(ScrollLayout, WithoutAThumbEachArrowTakesHalf) {
  sc_model s;
  sc_model_init(&s, 10, 1, 0);
  EXPECT_EQ(sc_model_layout(&s, 31, 15), 15);
  EXPECT_EQ(s.thumb_len, 0);
}

TEST(ScrollLayout, ABarShorterThanItsArrowsHasNoTrack) {
  sc_model s;
  sc_model_init(&s, 10, 1, 1);
  EXPECT_EQ(sc_model_layout(&s, 20, 16), 10);
  EXPECT_EQ(s.track_len, 0);
  sc_model_layout(&s, -5, -5);
  EXPECT_EQ(s.track_len, 0);
  EXPECT_EQ(s.thumb_len, 0);
}

TEST(ScrollLayout, CreationForcesRangeAndPageToOne) {
  sc_model s;
  sc_model_init(&s, 0, -3, 1);
  EXPECT_EQ(s.range, 1);
  EXPECT_EQ(s.page, 1);
}

TEST(ThumbLength, ProportionalWithAFloorOf5) {
  EXPECT_EQ(sc_thumb_len(100, 50, 72), 36);
  EXPECT_EQ(sc_thumb_len(1000, 1, 72), 5);
  EXPECT_EQ(sc_thumb_len(INT_MAX, INT_MAX - 1, 72), 71);
}

TEST(ThumbLength, APageAtOrAboveTheRangeFillsTheTrack) {
  EXPECT_EQ(sc_thumb_len(10, 10, 72), 72);
  EXPECT_EQ(sc_thumb_len(10, 500, 72), 72);
  sc_model s = bar(10, 20);
  EXPECT_EQ(s.thumb_off, s.track_start);
  EXPECT_EQ(s.thumb_len, s.track_len);
}

TEST(ThumbPlace, RangeZeroGivesAZeroThumbAtTheTrackStart) {
  sc_model s = bar(10, 2);
  s.position = 8;
  sc_model_place(&s);
  ASSERT_GT(s.thumb_off, s.track_start);
  sc_info in = {sizeof in, SC_RANGE, 0, 0, 0, 0, 0};
  sc_model_set(&s, &in);
  EXPECT_EQ(s.thumb_len, 0);
  EXPECT_EQ(s.thumb_off, s.track_start);
  EXPECT_EQ(s.position, 0);
}

TEST(ThumbPlace, NeverPastTheTrackEnd) {
  sc_model s = bar(100, 50);
  s.position = 100;   // beyond range - page
  sc_model_place(&s);
  EXPECT_EQ(s.thumb_off + s.thumb_len, s.track_end);
}

TEST(ThumbPlace, HugeRangesDoNotOverflow) {
  sc_model s = bar(INT_MAX, 1);
  s.position = INT_MAX - 1;
  sc_model_place(&s);
  EXPECT_GE(s.thumb_off, s.track_start);
  EXPECT_LE(s.thumb_off + s.thumb_len, s.track_end);
}

TEST(Steps, ArrowsMoveByOneAndStopAtTheEnds) {
  sc_model s = bar(10, 3);
  EXPECT_TRUE(sc_model_step(&s, SC_BACK, 0));
  EXPECT_EQ(s.position, 0);
  EXPECT_EQ(s.last_step, -1);
  for (int i = 0; i < 20; i++) sc_model_step(&s, SC_FORWARD, 0);
  EXPECT_EQ(s.position, 7);   // range - page
  EXPECT_EQ(s.last_step, 1);
}

TEST(Steps, MinimumIsKeptOutOfTheArithmetic) {
  sc_model s = bar(10, 3);
  sc_info in = {sizeof in, SC_RANGE | SC_POS, -5, 5, 0, -5, 0};
  sc_model_set(&s, &in);
  sc_model_step(&s, SC_BACK, 0);
  EXPECT_EQ(s.position, -5);
  for (int i = 0; i < 20; i++) sc_model_step(&s, SC_FORWARD, 0);
  EXPECT_EQ(s.position, 2);
}

TEST(Steps, TrackPressesStepByAPageOnEitherSideOfTheThumb) {
  sc_model s = bar(100, 10);
  s.position = 50;
  sc_model_place(&s);
  int off = s.thumb_off, len = s.thumb_len;
  EXPECT_TRUE(sc_model_step(&s, SC_TRACK, off - 1));
  EXPECT_EQ(s.position, 40);
  EXPECT_EQ(s.last_step, -10);
  sc_model_place(&s);
  EXPECT_TRUE(sc_model_step(&s, SC_TRACK, s.thumb_off + s.thumb_len));
  EXPECT_EQ(s.position, 50);
  EXPECT_EQ(s.last_step, 10);
  EXPECT_FALSE(sc_model_step(&s, SC_TRACK, s.thumb_off + len / 2));
  EXPECT_EQ(s.position, 50);
  (void)off;
}

TEST(Steps, APageAtOrAboveTheRangeNeverMovesThePosition) {
  sc_model s = bar(10, 30);
  sc_model_step(&s, SC_TRACK, 99);
  EXPECT_EQ(s.position, 0);
  sc_model_step(&s, SC_FORWARD, 0);
  EXPECT_EQ(s.position, 0);   // not negative: range - page is below 0
  sc_model_step(&s, SC_TRACK, 0);
  EXPECT_EQ(s.position, 0);
}

TEST(Drag, HeldOnTheTrackAndMappedToAPosition) {
  sc_model s = bar(100, 10);
  EXPECT_EQ(sc_model_drag(&s, -40), s.track_start);
  EXPECT_EQ(s.position, 0);
  int end = sc_model_drag(&s, 1000);
  EXPECT_EQ(end, s.track_end - s.thumb_len);
  EXPECT_EQ(s.position, (end - s.track_start) * 100 / s.track_len);
  EXPECT_LE(s.position, 100);
}

TEST(Drag, NoTrackGivesTheMinimum) {
  sc_model s;
  sc_model_init(&s, 10, 1, 1);
  sc_model_layout(&s, 20, 16);
  sc_model_drag(&s, 7);
  EXPECT_EQ(s.position, 0);
}

TEST(SetGet, APositionBeyondTheRangeRaisesItAndWritesTheMaximumBack) {
  sc_model s = bar(10, 1);
  sc_info in = {sizeof in, SC_POS, 0, 0, 0, 25, 0};
  EXPECT_EQ(sc_model_set(&s, &in), 25);
  EXPECT_EQ(in.max, 25);
  EXPECT_EQ(s.range, 25);
  sc_info out = {sizeof out, SC_RANGE | SC_POS | SC_PAGE, 0, 0, 0, 0, 0};
  EXPECT_EQ(sc_model_get(&s, &out), 1);
  EXPECT_EQ(out.max, 25);
  EXPECT_EQ(out.pos, 25);
  EXPECT_EQ(out.track, 25);
  EXPECT_EQ(out.page, 1u);
}

TEST(SetGet, APageBeyondTheRangeRaisesItAndWritesTheMaximumBack) {
  sc_model s = bar(10, 1);
  sc_info in = {sizeof in, SC_RANGE | SC_PAGE, 3, 8, 20, 0, 0};
  sc_model_set(&s, &in);
  EXPECT_EQ(s.range, 20);
  EXPECT_EQ(in.max, 23);   // minimum + the raised range
  EXPECT_EQ(s.thumb_len, s.track_len);
}

TEST(SetGet, GetFillsOnlyWhatTheMaskAsksAndAlwaysTheTrack) {
  sc_model s = bar(10, 2);
  s.position = 4;
  sc_info out = {sizeof out, 0, -1, -1, 77, -1, -1};
  sc_model_get(&s, &out);
  EXPECT_EQ(out.track, 4);
  EXPECT_EQ(out.min, -1);
  EXPECT_EQ(out.max, -1);
  EXPECT_EQ(out.page, 77u);
  EXPECT_EQ(out.pos, -1);
}

TEST(SetGet, BadValuesAreHeldSound) {
  sc_model s = bar(10, 2);
  sc_info in = {sizeof in, SC_RANGE | SC_PAGE | SC_POS, 10, 5, 0xFFFFFFFFu,
                -50, 0};
  sc_model_set(&s, &in);   // maximum below minimum, huge page, low position
  EXPECT_GE(s.range, 0);
  EXPECT_GE(s.page, 0);
  EXPECT_EQ(s.position, 10);
  sc_info wide = {sizeof wide, SC_RANGE, INT_MIN, INT_MAX, 0, 0, 0};
  sc_model_set(&s, &wide);
  EXPECT_EQ(s.range, INT_MAX);
  EXPECT_GE(s.thumb_off, s.track_start);
  EXPECT_LE(s.thumb_off + s.thumb_len, s.track_end);
}

}  // namespace
