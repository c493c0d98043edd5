#pragma once

// The player's own settings: how the game sounds, looks and moves. Saved in
// the settings file under keys of their own, apart from progress, so that
// erasing progress keeps them.

#include <array>
#include <string>

#include "base/language.hpp"
#include "base/message_sink.hpp"

namespace sorvel {

class SettingsStore;

struct Preferences {
  bool sound = true;
  int volume = 80;  // percent, a multiple of kVolumeStep
  int interfaceSize = 100;  // percent, one of kInterfaceSizes, on top of the display's own scale
  bool reducedMotion = false;
  bool patternMarks = false;  // marks that do not rely on colour alone
  bool fullscreen = false;
  Language language = Language::spanish;

  static constexpr int kVolumeStep = 10;
  static constexpr std::array<int, 4> kInterfaceSizes = {100, 125, 150, 200};

  // The volume one step up or down, kept within 0..100.
  int volumeStepped(int steps) const;
  // The linear gain the player hears sounds at.
  float loudness() const { return sound ? static_cast<float>(volume) / 100.0f : 0.0f; }
  float interfaceScale() const { return static_cast<float>(interfaceSize) / 100.0f; }

  bool operator==(const Preferences&) const = default;
};

namespace preference_keys {
inline constexpr const char* kSound = "sorvel.prefs.sound";
inline constexpr const char* kVolume = "sorvel.prefs.volume";
inline constexpr const char* kInterfaceSize = "sorvel.prefs.interfaceSize";
inline constexpr const char* kReducedMotion = "sorvel.prefs.reducedMotion";
inline constexpr const char* kPatternMarks = "sorvel.prefs.patternMarks";
inline constexpr const char* kFullscreen = "sorvel.prefs.fullscreen";
inline constexpr const char* kLanguage = "sorvel.prefs.language";
}  // namespace preference_keys

// What `store` holds, each missing value at its default. A value of the
// wrong kind or out of range is ignored, its default kept, with one line to
// `say` naming the key and what was wrong.
Preferences loadPreferences(const SettingsStore& store, const MessageSink& say);
// Writes the values that differ from what `store` holds; the language only
// `withLanguage`, since one chosen for a single run is not the player's choice.
void savePreferences(SettingsStore& store, const Preferences& preferences, bool withLanguage = true);

}  // namespace sorvel
