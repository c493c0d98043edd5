#include <cmath>

#include "game/game.hpp"
#include "game/reveal_timing.hpp"

namespace sorvel {
namespace {

// On the table the camera sways about its goal for good, up to 0.06 radians
// each way; only a flight further off is more than the sway.
constexpr float kSwayReach = 0.07f;

}  // namespace

Motion Game::motion() const {
  // Eased values land on their goals exactly (see settling.hpp), so anything
  // short of its goal is still on its way.
  const bool swaying = screen_ == Screen::home && !preferences_.reducedMotion;
  const bool turning =
      swaying ? std::abs(camera_.yaw - camera_.goalYaw) > kSwayReach : camera_.yaw != camera_.goalYaw;
  if (!script_.empty() || !chips_.empty() || turning || camera_.pitch != camera_.goalPitch ||
      camera_.dist != camera_.goalDist || camera_.target != camera_.goalTarget || camera_.zoom != camera_.goalZoom ||
      clueAlpha_ != (screen_ == Screen::playing ? 1.0f : 0.0f) ||
      (revealT_ >= 0 && revealT_ < reveal::kCubesGone)) {
    return Motion::moving;
  }
  bool ambient = swaying;
  for (const auto& slotPtr : slots_) {
    const Slot& slot = *slotPtr;
    const bool shown = screen_ == Screen::home || current_ == slot.index;
    const bool raised = screen_ == Screen::home && hoveredSlot_ == slot.index;
    if (slot.presence != (shown ? 1.0f : 0.0f) || slot.lift != (raised ? 1.0f : 0.0f)) return Motion::moving;
    if (!shown) continue;
    const auto& state = slot.puzzle.state;
    for (std::size_t i = 0; i < state.size(); ++i) {
      const float markGoal = state[i] == CellState::marked ? 1.0f : 0.0f;
      if ((slot.breakT[i] >= 0 && slot.breakT[i] <= kBreakSeconds) || slot.shake[i] > 0 || slot.flash[i] > 0 ||
          (slot.popT[i] >= 0 && slot.popT[i] <= kPopSeconds) || slot.mark[i] != markGoal) {
        return Motion::moving;
      }
    }
    // A solved figure turns on its plinth, or sways on the table.
    if (solvedIDs_.contains(slot.puzzle.def.id) && slot.puzzle.solved() && slot.toy) ambient = true;
  }
  // The guide's cubes breathe.
  if (screen_ == Screen::playing && !guideCells_.empty()) ambient = true;
  return ambient ? Motion::ambient : Motion::still;
}

}  // namespace sorvel
