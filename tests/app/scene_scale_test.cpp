// The window's scene scale: down when frames are slow, back up when they are
// quick, never below a third, and only as the player pins it when pinned.
#include <gtest/gtest.h>

#include "app/scene_scale.hpp"

namespace sorvel {
namespace {

void show(SceneScale& scale, int frames, double seconds) {
  for (int i = 0; i < frames; ++i) scale.frameShown(seconds);
}

TEST(SceneScale, StepsDownWhileFramesAreSlowAndBackUpWhenTheyAreQuick) {
  SceneScale scale(false, std::nullopt);
  EXPECT_EQ(scale.scale(), 1.0f);
  // One slow frame in a stretch of quick ones is not a slow stretch.
  show(scale, SceneScale::kStretch - 1, 0.02);
  show(scale, 1, 0.2);
  EXPECT_EQ(scale.scale(), 1.0f);
  // A stretch of slow frames steps down once per stretch, to a third and no lower.
  show(scale, SceneScale::kStretch - 1, 0.05);
  EXPECT_EQ(scale.scale(), 1.0f);
  show(scale, 1, 0.05);
  EXPECT_EQ(scale.scale(), 0.875f);
  show(scale, 10 * SceneScale::kStretch, 0.2);
  EXPECT_EQ(scale.scale(), SceneScale::kLowest);
  // Between quick and slow it stays where it is.
  show(scale, 5 * SceneScale::kStretch, 0.025);
  EXPECT_EQ(scale.scale(), SceneScale::kLowest);
  // Quick frames bring it back a step a stretch, to the full picture.
  show(scale, SceneScale::kStretch, 0.01);
  EXPECT_EQ(scale.scale(), SceneScale::kLowest + SceneScale::kStep);
  show(scale, 10 * SceneScale::kStretch, 0.01);
  EXPECT_EQ(scale.scale(), 1.0f);
  // A clock that jumps backwards says nothing about speed.
  show(scale, SceneScale::kStretch, -5.0);
  EXPECT_EQ(scale.scale(), 1.0f);
}

TEST(SceneScale, StartsAtTheLowestOnTheCpuAndHoldsAPinnedScale) {
  EXPECT_EQ(SceneScale(true, std::nullopt).scale(), SceneScale::kLowest);
  SceneScale pinned(true, 0.75f);
  show(pinned, 10 * SceneScale::kStretch, 0.5);
  EXPECT_EQ(pinned.scale(), 0.75f);
  show(pinned, 10 * SceneScale::kStretch, 0.001);
  EXPECT_EQ(pinned.scale(), 0.75f);
}

TEST(SceneScale, TheScenesPictureFollowsTheWindowAndIsNeverEmpty) {
  SceneScale half(false, 0.5f);
  EXPECT_EQ(half.sceneSize({1360, 880}), glm::ivec2(680, 440));
  EXPECT_EQ(half.sceneSize({1, 3}), glm::ivec2(1, 2));
  EXPECT_EQ(SceneScale(false, 1.0f).sceneSize({1361, 881}), glm::ivec2(1361, 881));
}

TEST(SceneScale, APinnedScaleMustBeANumberFromHalfToOne) {
  EXPECT_FALSE(parsePinnedSceneScale(nullptr).scale);
  EXPECT_FALSE(parsePinnedSceneScale("").scale);
  EXPECT_EQ(parsePinnedSceneScale("0.5").scale, 0.5f);
  EXPECT_EQ(parsePinnedSceneScale("1").scale, 1.0f);
  for (const char* bad : {"0.4", "1.5", "half", "0.75x", "nan", "-1"}) {
    const PinnedSceneScale read = parsePinnedSceneScale(bad);
    EXPECT_FALSE(read.scale) << bad;
    EXPECT_NE(read.problem.find(bad), std::string::npos) << read.problem;
  }
}

TEST(SceneScale, KnowsTheRasterisersThatRunOnTheCpu) {
  EXPECT_TRUE(isSoftwareRenderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
  EXPECT_TRUE(isSoftwareRenderer("softpipe"));
  EXPECT_FALSE(isSoftwareRenderer("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
  EXPECT_FALSE(isSoftwareRenderer(""));
}

}  // namespace
}  // namespace sorvel
