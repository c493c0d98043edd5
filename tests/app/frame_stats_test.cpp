// What SORVEL_STATS says on quitting: the frames drawn while something
// moved, stretch by stretch, apart from the time at rest and the pictures
// drawn in it.
#include "app/frame_stats.hpp"

#include <gtest/gtest.h>

#include <string>

namespace sorvel {
namespace {

TEST(FrameStats, MovingStretchesAndRestsAreCountedApartInTheirOwnLines) {
  FrameStats stats;
  stats.enabled = true;
  const Clock::time_point t0 = Clock::now() - std::chrono::seconds(10);
  const auto at = [&](double seconds) {
    return t0 + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  };
  ::testing::internal::CaptureStderr();
  // A first stretch of 11 frames over a second, a rest with its one whole
  // picture 0.4 s in, a second stretch of 5 frames over half a second, then
  // rest until the end.
  for (int i = 0; i <= 10; ++i) stats.frameShown(20, 0.5f, true, at(0.1 * i), at(0.1 * i + 0.02));
  stats.atRest(at(1.1));
  stats.atRest(at(1.2));  // said again while it lasts
  stats.frameShown(300, 1, false, at(1.2), at(1.5));
  for (int i = 0; i < 5; ++i) stats.frameShown(20, 0.5f, true, at(4 + 0.1 * i), at(4 + 0.1 * i + 0.1));
  stats.atRest(at(4.5));
  stats.end();
  const std::string said = ::testing::internal::GetCapturedStderr();

  EXPECT_EQ(stats.movingFrames, 16);
  EXPECT_NEAR(stats.movingSeconds, 1.02 + 0.5, 1e-6);
  EXPECT_EQ(stats.restFrames, 1);
  // From 1.1 to the next motion at 4, and from 4.5 to now (10 s after t0).
  EXPECT_NEAR(stats.restSeconds, 2.9 + 5.5, 0.2);
  EXPECT_EQ(stats.refines, 1);
  EXPECT_NEAR(stats.refineMsMost, 400, 1e-6);
  EXPECT_NE(said.find("sorvel: moving: 16 frames in 1.5 s (10.5 a second)\n"), std::string::npos) << said;
  EXPECT_NE(said.find("sorvel: at rest: 8."), std::string::npos) << said;
  EXPECT_NE(said.find(" s, 1 frames drawn\n"), std::string::npos) << said;
}

TEST(FrameStats, SaysNothingUnlessAsked) {
  FrameStats stats;
  ::testing::internal::CaptureStderr();
  stats.frameShown(20, 1, true, Clock::now(), Clock::now());
  stats.end();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace sorvel
