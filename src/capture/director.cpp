#include "capture/director.hpp"

#include <algorithm>
#include <cmath>
#include <string>

namespace sorvel::film {
namespace {

constexpr CarvePace kFirstPace{0.16, 0.11};
constexpr CarvePace kLaterPace{0.12, 0.075};
constexpr int kTurnFrames = 19;

}  // namespace

int carveHold(std::int64_t i, double m, CarvePace pace) {
  const double fraction = std::min(static_cast<double>(i) / m, 1.0);
  return static_cast<int>(std::round(kFps * (pace.a - pace.b * fraction)));
}

std::int64_t carvePhaseFrames(std::int64_t surplus, CarvePace pace) {
  const double m = std::max(static_cast<double>(surplus), 1.0);
  std::int64_t frames = 0;
  for (std::int64_t i = 1; i <= surplus; ++i) frames += carveHold(i, m, pace);
  return frames;
}

std::int64_t expectedFrames(const Game& game) {
  if (game.slotCount() < kBlocksNeeded) return kFixedFrames;
  const auto surplus = [&](int block) { return game.slot(block).puzzle.remainingToCarve(); };
  return kFixedFrames + carvePhaseFrames(surplus(1), kFirstPace) + carvePhaseFrames(surplus(2), kLaterPace) +
         carvePhaseFrames(surplus(3), kLaterPace);
}

Result<void> canFilmChapter(const Game& game) {
  if (game.slotCount() >= kBlocksNeeded) return {};
  return Reason{"the film opens the chapter's first " + std::to_string(kBlocksNeeded) + " blocks, but \"" +
                game.chapter().id + "\" has " + std::to_string(game.slotCount())};
}

bool Director::record(std::int64_t frames, std::optional<glm::vec2> drag) {
  for (std::int64_t n = 0; n < frames; ++n) {
    if (drag) game_.drag(*drag);
    game_.tick(kTick);
    if (!shoot_()) return false;
  }
  return true;
}

bool Director::carvePhase(CarvePace pace, glm::vec2 drag) {
  const Slot* slot = game_.currentSlot();
  const double surplus = slot ? static_cast<double>(slot->puzzle.remainingToCarve()) : 0.5;
  const double m = std::max(surplus, 1.0);
  // Each step carves one surplus cube; one that carved nothing (a marked
  // surplus cube refuses the chisel) must not hold the film forever.
  const std::int64_t maxSteps = slot ? slot->puzzle.cellCount() : 0;
  for (std::int64_t i = 1; i <= maxSteps && game_.autoCarveStep(); ++i) {
    if (!record(carveHold(i, m, pace), drag)) return false;
  }
  return true;
}

bool Director::markAndTurn(int times, glm::vec2 drag) {
  for (int n = 0; n < times; ++n) {
    game_.autoMark(1);
    if (!record(kTurnFrames, drag)) return false;
  }
  return true;
}

bool Director::playWholeFilm() {
  // The first block is solved off camera, so the table opens with a figure.
  game_.open(0);
  while (game_.autoCarveStep()) {
  }
  game_.goHome(false);
  for (int n = 0; n < 240; ++n) game_.tick(kTick);
  game_.goHome(false);

  struct Block {
    int index;
    int openFrames;
    int marks;
    glm::vec2 drag;
    CarvePace pace;
    int revealFrames;
    int homeFrames;
  };
  const Block blocks[] = {
      {1, 102, 3, {0.55f, 0}, kFirstPace, 300, 132},
      {2, 90, 2, {-0.5f, 0}, kLaterPace, 276, 120},
      {3, 90, 2, {0.5f, 0}, kLaterPace, 288, 240},
  };
  if (!record(156)) return false;
  for (const Block& block : blocks) {
    game_.open(block.index);
    if (!record(block.openFrames) || !markAndTurn(block.marks, block.drag) ||
        !carvePhase(block.pace, block.drag) || !record(block.revealFrames)) {
      return false;
    }
    game_.goHome(true);
    if (!record(block.homeFrames)) return false;
  }
  return true;
}

}  // namespace sorvel::film
