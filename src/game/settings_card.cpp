#include "base/settings_store.hpp"
#include "game/game.hpp"

namespace sorvel {

void Game::setPreferences(Preferences preferences) {
  if (preferences == preferences_) return;
  publish(preferences_, std::move(preferences));
  if (persist_) savePreferences(*options_.store, preferences_);
  applyPreferences();
}

void Game::applyPreferences() { sound_.loudness = preferences_.loudness(); }

void Game::openSettings() { setSettingsCard(SettingsCard::open); }

void Game::closeSettings() { setSettingsCard(SettingsCard::closed); }

void Game::askToErase() {
  if (settingsCard_ == SettingsCard::open) setSettingsCard(SettingsCard::confirmErase);
}

void Game::cancelErase() {
  if (settingsCard_ == SettingsCard::confirmErase) setSettingsCard(SettingsCard::open);
}

void Game::confirmErase() {
  // Only the second answer erases: a stray Enter on the first button must
  // not cost anyone their progress.
  if (settingsCard_ != SettingsCard::confirmErase) return;
  setSettingsCard(SettingsCard::closed);
  eraseProgress();
}

}  // namespace sorvel
