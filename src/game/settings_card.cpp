#include "base/settings_store.hpp"
#include "game/game.hpp"

namespace sorvel {

void Game::setPreferences(Preferences preferences) {
  if (preferences == preferences_) return;
  const bool languagePicked = preferences.language != preferences_.language;
  if (languagePicked) languageForRun_ = false;
  publish(preferences_, std::move(preferences));
  if (persist_) savePreferences(*options_.store, preferences_, !languageForRun_);
  applyPreferences();
  // The guide's sentence is chosen when its step changes; a new language
  // must not wait for the next step.
  if (languagePicked) updateGuide();
}

void Game::applyPreferences() {
  sound_.loudness = preferences_.loudness();
  useLanguage(preferences_.language);
  if (preferences_.language == Language::english && !catalogueOpen() && !saidNoEnglish_) {
    saidNoEnglish_ = true;
    options_.say("sorvel: the English texts are not installed; the game stays in Spanish");
  }
}

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
