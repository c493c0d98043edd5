#include <vector>

#include "base/settings_store.hpp"
#include "game/game.hpp"
#include "game/saved_keys.hpp"

namespace sorvel {

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

void Game::saveOpenPuzzle() {
  if (const Slot* slot = currentSlot()) save(*slot);
}

}  // namespace sorvel
