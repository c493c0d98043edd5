#include "game/preferences.hpp"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>

#include "base/settings_store.hpp"

namespace sorvel {

namespace {

using nlohmann::json;

// A stored value, or nothing after saying why it cannot be used.
class Reader {
 public:
  Reader(const SettingsStore& store, const MessageSink& say) : store_(store), say_(say) {}

  void flag(const char* key, bool& into) const {
    const std::optional<json> value = store_.entry(key);
    if (!value) return;
    if (value->is_boolean()) {
      into = value->get<bool>();
    } else {
      ignore(key, *value, "not true or false");
    }
  }

  // A whole number that `fits`, described by `what` when it does not.
  template <typename Fits>
  void number(const char* key, int& into, Fits fits, const char* what) const {
    const std::optional<json> value = store_.entry(key);
    if (!value) return;
    if (!value->is_number_integer() || !fits(value->get<long long>())) {
      ignore(key, *value, what);
      return;
    }
    into = static_cast<int>(value->get<long long>());
  }

  void language(const char* key, Language& into) const {
    const std::optional<json> value = store_.entry(key);
    if (!value) return;
    const std::optional<Language> known =
        value->is_string() ? languageFromCode(value->get<std::string>()) : std::nullopt;
    if (known) {
      into = *known;
    } else {
      ignore(key, *value, "not \"es\" or \"en\"");
    }
  }

 private:
  void ignore(const char* key, const json& value, const char* what) const {
    std::string shown = value.dump();
    if (shown.size() > 40) shown = shown.substr(0, 37) + "...";
    say_("sorvel: ignoring the saved preference " + std::string(key) + " (" + shown + "): " + what);
  }

  const SettingsStore& store_;
  const MessageSink& say_;
};

}  // namespace

int Preferences::volumeStepped(int steps) const {
  const int stepped = (volume / kVolumeStep + steps) * kVolumeStep;
  return std::clamp(stepped, 0, 100);
}

Preferences loadPreferences(const SettingsStore& store, const MessageSink& say) {
  Preferences p;
  const Reader read(store, say);
  read.flag(preference_keys::kSound, p.sound);
  read.number(
      preference_keys::kVolume, p.volume,
      [](long long v) { return v >= 0 && v <= 100 && v % Preferences::kVolumeStep == 0; },
      "not a volume from 0 to 100 in steps of 10");
  read.number(
      preference_keys::kInterfaceSize, p.interfaceSize,
      [](long long v) {
        return std::find(Preferences::kInterfaceSizes.begin(), Preferences::kInterfaceSizes.end(), v) !=
               Preferences::kInterfaceSizes.end();
      },
      "not 100, 125, 150 or 200");
  read.flag(preference_keys::kReducedMotion, p.reducedMotion);
  read.flag(preference_keys::kPatternMarks, p.patternMarks);
  read.flag(preference_keys::kFullscreen, p.fullscreen);
  read.language(preference_keys::kLanguage, p.language);
  return p;
}

void savePreferences(SettingsStore& store, const Preferences& p, bool withLanguage) {
  const auto flag = [&store](const char* key, bool value) {
    if (store.entry(key) != json(value)) store.setBoolean(key, value);
  };
  const auto number = [&store](const char* key, int value) {
    if (store.entry(key) != json(value)) store.setInteger(key, value);
  };
  flag(preference_keys::kSound, p.sound);
  number(preference_keys::kVolume, p.volume);
  number(preference_keys::kInterfaceSize, p.interfaceSize);
  flag(preference_keys::kReducedMotion, p.reducedMotion);
  flag(preference_keys::kPatternMarks, p.patternMarks);
  flag(preference_keys::kFullscreen, p.fullscreen);
  const std::string code(languageCode(p.language));
  if (withLanguage && store.entry(preference_keys::kLanguage) != json(code)) {
    store.setString(preference_keys::kLanguage, code);
  }
}

}  // namespace sorvel
