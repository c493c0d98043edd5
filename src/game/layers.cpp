#include <cmath>

#include "game/game.hpp"

namespace sorvel {

int Game::peelDepth(const Slot& slot) const { return peelAxis_ == 0 ? slot.puzzle.X : slot.puzzle.Z; }

void Game::updatePeelAxis() {
  const Slot* slot = currentSlot();
  if (slot == nullptr) return;
  // Where the camera is going rather than where it is on the way: the
  // layer control must not change under a click made mid-flight.
  const float s = std::sin(camera_.goalYaw);
  const float k = std::cos(camera_.goalYaw);
  // Peel across the axis the camera looks along most, from the side it sees.
  const bool alongX = std::abs(k) < std::abs(s);
  peelAxis_ = alongX ? 0 : 2;
  peelSign_ = (alongX ? s : k) > 0 ? 1.0f : -1.0f;
  setPeelMax(std::max(peelDepth(*slot) - 1, 1));
}

void Game::setPeel(int n) {
  const Slot* slot = currentSlot();
  if (slot == nullptr || screen_ != Screen::playing) return;
  if (peel_ == 0) updatePeelAxis();
  const int value = std::clamp(n, 0, peelDepth(*slot) - 1);
  if (value == peel_) return;
  sound_.play(SoundKind::tick, 0.6f);
  setPeelValue(value);
  hover_ = -1;
}

bool Game::visible(const Slot& slot, int i) const {
  const Puzzle& p = slot.puzzle;
  if (p.state[static_cast<size_t>(i)] == CellState::broken) return false;
  if (peel_ < 1 || current_ != slot.index) return true;
  const glm::ivec3 c = p.coords(i);
  const int along = peelAxis_ == 0 ? c.x : c.z;
  return peelSign_ > 0 ? along < peelDepth(slot) - peel_ : along >= peel_;
}

}  // namespace sorvel
