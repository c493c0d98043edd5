#include "game/game.hpp"

namespace sorvel {

void Game::recordStep(int cell, CellState before, CellState after) {
  // A new action after undos leaves nothing to redo.
  history_.resize(historyDone_);
  history_.push_back({cell, before, after});
  historyDone_ = history_.size();
}

void Game::clearHistory() {
  history_.clear();
  historyDone_ = 0;
}

// Once the reveal starts the block is finished: nothing is taken back.
bool Game::canUndo() const { return screen_ == Screen::playing && currentSlot() != nullptr && historyDone_ > 0; }

bool Game::canRedo() const {
  return screen_ == Screen::playing && currentSlot() != nullptr && historyDone_ < history_.size();
}

void Game::undo() {
  if (!canUndo()) return;
  Slot& slot = *openSlot();
  const Step& step = history_[--historyDone_];
  const auto cell = static_cast<size_t>(step.cell);
  // The mistake counter stays as it is: a mistake undone was still made.
  slot.puzzle.state[cell] = step.before;
  // A cube carved back stands there at once; its chips may fly on.
  if (step.after == CellState::broken) slot.breakT[cell] = -1;
  sound_.play(SoundKind::unmark, 0.5f);
  save(slot);
  updateGuide();
}

void Game::redo() {
  if (!canRedo()) return;
  Slot& slot = *openSlot();
  const Step& step = history_[historyDone_++];
  sound_.play(SoundKind::mark, 0.5f);
  if (step.after == CellState::broken) {
    breakOff(slot, step.cell);
  } else {
    // A mistaken carve done again marks the cube without counting twice.
    slot.puzzle.state[static_cast<size_t>(step.cell)] = step.after;
  }
  save(slot);
  updateGuide();
}

}  // namespace sorvel
