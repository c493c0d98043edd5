#include <vector>

#include "game/game.hpp"

namespace sorvel {

namespace {
std::string stateKey(const std::string& id) { return "sorvel.state." + id; }
std::string mistakesKey(const std::string& id) { return "sorvel.mistakes." + id; }
std::string timeKey(const std::string& id) { return "sorvel.time." + id; }
}  // namespace

void Game::restoreProgress(Slot& slot) {
  Puzzle& p = slot.puzzle;
  const SettingsStore& store = *options_.store;
  if (auto text = store.string(stateKey(p.def.id))) p.restore(*text);
  p.mistakes = static_cast<int>(std::clamp<std::int64_t>(store.integer(mistakesKey(p.def.id)), 0, 1 << 30));
  p.elapsed = store.number(timeKey(p.def.id));
}

void Game::save(const Slot& slot) {
  if (!persist_) return;
  const Puzzle& p = slot.puzzle;
  options_.store->setString(stateKey(p.def.id), p.encodeState());
  options_.store->setInteger(mistakesKey(p.def.id), p.mistakes);
  options_.store->setNumber(timeKey(p.def.id), p.elapsed);
}

void Game::saveSolved() {
  if (!persist_) return;
  options_.store->setStringList("sorvel.solved",
                                std::vector<std::string>(solvedIDs_.begin(), solvedIDs_.end()));
}

void Game::saveOpenPuzzle() {
  if (const Slot* slot = currentSlot()) save(*slot);
}

}  // namespace sorvel
