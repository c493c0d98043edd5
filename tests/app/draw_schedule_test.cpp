// When the window draws: at once for what moves, at a measured pace for
// ambient motion, one whole picture after the motion ends, then nothing.
#include <gtest/gtest.h>

#include "app/draw_schedule.hpp"

namespace sorvel {
namespace {

TEST(DrawSchedule, OnTheCpuMovingFramesAreQuickAndOneWholePictureFollowsTheRest) {
  DrawSchedule schedule(true);
  // The first picture is drawn whatever moves.
  DrawSchedule::Plan plan = schedule.plan(0, Motion::still, false);
  ASSERT_TRUE(plan.draw);
  EXPECT_EQ(plan.quality, DrawQuality::quick);
  EXPECT_TRUE(plan.moving);
  schedule.shown(0.05, false);
  for (double t : {0.1, 0.15, 0.2}) {
    plan = schedule.plan(t, Motion::moving, false);
    EXPECT_TRUE(plan.draw && plan.moving && plan.quality == DrawQuality::quick) << t;
    schedule.shown(t + 0.03, false);
  }
  // At rest: a short wait counted from the last moving frame on screen,
  // then the whole picture, then sleep.
  plan = schedule.plan(0.25, Motion::still, false);
  EXPECT_FALSE(plan.draw);
  EXPECT_NEAR(plan.sleep, 0.23 + DrawSchedule::kRefineAfter - 0.25, 1e-9);
  plan = schedule.plan(0.23 + DrawSchedule::kRefineAfter, Motion::still, false);
  ASSERT_TRUE(plan.draw);
  EXPECT_EQ(plan.quality, DrawQuality::full);
  EXPECT_FALSE(plan.moving);
  schedule.shown(0.7, true);
  for (double t : {0.8, 5.0, 60.0}) {
    plan = schedule.plan(t, Motion::still, false);
    EXPECT_FALSE(plan.draw) << t;
    EXPECT_EQ(plan.sleep, DrawSchedule::kLongestSleep);
  }
  // A change with nothing in motion (a hover) is drawn quickly, then refined.
  // A quick frame that took long does not eat into the pause: a hand that
  // stops between two pointer moves for less than it gets no refine.
  plan = schedule.plan(61, Motion::still, true);
  EXPECT_TRUE(plan.draw && plan.quality == DrawQuality::quick);
  schedule.shown(61.3, false);
  EXPECT_FALSE(schedule.plan(61.3 + DrawSchedule::kRefineAfter / 2, Motion::still, false).draw);
  EXPECT_TRUE(schedule.plan(61.3 + DrawSchedule::kRefineAfter, Motion::still, false).draw);
}

TEST(DrawSchedule, AmbientMotionIsDrawnAtItsOwnPaceAndNeverRefined) {
  DrawSchedule schedule(true);
  schedule.shown(0, false);
  const double period = 1 / DrawSchedule::kAmbientRate;
  int drawn = 0;
  // A loop that wakes as often as it is told for two seconds.
  for (double t = 0; t < 2;) {
    const DrawSchedule::Plan plan = schedule.plan(t, Motion::ambient, false);
    if (plan.draw) {
      EXPECT_EQ(plan.quality, DrawQuality::quick);
      ++drawn;
      schedule.shown(t, false);
      t += 0.001;
    } else {
      EXPECT_GT(plan.sleep, 0);
      EXPECT_LE(plan.sleep, period + 1e-9);
      t += plan.sleep;
    }
  }
  EXPECT_GE(drawn, 2 * DrawSchedule::kAmbientRate - 2);
  EXPECT_LE(drawn, 2 * DrawSchedule::kAmbientRate + 1);
  // A change comes through at once, between the ambient frames.
  EXPECT_TRUE(schedule.plan(2.0001, Motion::ambient, true).draw);
}

TEST(DrawSchedule, OnAGpuEveryFrameIsFullAndAWholePictureNeedsNoRefining) {
  DrawSchedule schedule(false);
  DrawSchedule::Plan plan = schedule.plan(0, Motion::moving, false);
  EXPECT_EQ(plan.quality, DrawQuality::full);
  schedule.shown(0.01, true);
  EXPECT_FALSE(schedule.plan(1, Motion::still, false).draw);
  // A moving frame drawn smaller than the window (a slow GPU) is redrawn
  // whole once the motion ends.
  schedule.plan(2, Motion::moving, false);
  schedule.shown(2.01, false);
  plan = schedule.plan(2.01 + DrawSchedule::kRefineAfter, Motion::still, false);
  EXPECT_TRUE(plan.draw);
  EXPECT_FALSE(plan.moving);
  EXPECT_EQ(plan.quality, DrawQuality::full);
}

}  // namespace
}  // namespace sorvel
