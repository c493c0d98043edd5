#include <algorithm>
#include <string_view>
#include <vector>

#include "base/settings_store.hpp"
#include "game/game.hpp"
#include "game/saved_keys.hpp"

namespace sorvel {

namespace {

// The block as it stood before its first action.
void makeFresh(Slot& slot) {
  Puzzle& p = slot.puzzle;
  std::fill(p.state.begin(), p.state.end(), CellState::solid);
  p.mistakes = 0;
  p.elapsed = 0;
  for (auto* clock : {&slot.breakT, &slot.popT}) std::fill(clock->begin(), clock->end(), -1.0f);
  for (auto* fade : {&slot.shake, &slot.flash, &slot.mark}) std::fill(fade->begin(), fade->end(), 0.0f);
}

}  // namespace

void Game::restoreProgress(Slot& slot) {
  Puzzle& p = slot.puzzle;
  const SettingsStore& store = *options_.store;
  if (auto text = store.string(saved_keys::cells(p.def.id))) p.restore(*text);
  p.mistakes = static_cast<int>(std::clamp<std::int64_t>(store.integer(saved_keys::mistakes(p.def.id)), 0, 1 << 30));
  p.elapsed = store.number(saved_keys::playTime(p.def.id));
}

void Game::save(const Slot& slot) {
  if (!persist_) return;
  const Puzzle& p = slot.puzzle;
  options_.store->setString(saved_keys::cells(p.def.id), p.encodeState());
  options_.store->setInteger(saved_keys::mistakes(p.def.id), p.mistakes);
  options_.store->setNumber(saved_keys::playTime(p.def.id), p.elapsed);
}

void Game::saveSolved() {
  if (!persist_) return;
  options_.store->setStringList(saved_keys::kSolved,
                                std::vector<std::string>(solvedIDs_.begin(), solvedIDs_.end()));
}

void Game::eraseProgress() {
  // The open block is left first: leaving saves it, and that must not
  // outlive the erasing.
  goHome(true);
  for (const auto& slot : slots_) makeFresh(*slot);
  for (const auto& parked : parkedSlots_) {
    for (const auto& slot : parked) makeFresh(*slot);
  }
  clearHistory();
  setSolvedIDs({});
  setMistakes(0);
  setLastTime(0);
  setShowTutorial(false);
  // The chapters that opened with the progress close with it.
  if (!chapterOpen(shownChapter_)) showChapter(0);
  if (!persist_) return;
  // Everything else in the store is progress, whatever chapter saved it.
  options_.store->removeIf(
      [](std::string_view key) { return !key.starts_with(saved_keys::kPreferencesPrefix); });
}

void Game::saveOpenPuzzle() {
  if (const Slot* slot = currentSlot()) save(*slot);
}

}  // namespace sorvel
