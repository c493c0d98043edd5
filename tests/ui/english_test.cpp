// Every text the screens show, laid out once in Spanish and once in English:
// a text left out of the catalogue, or given without tr(), reads the same in
// both and is caught here.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "base/language.hpp"
#include "ui/views.hpp"

namespace sorvel::ui {
namespace {

class CountingMeasure : public TextMeasure {
 public:
  Size measure(const std::string& text, const Font& font, float wrapWidth) const override {
    const float width = font.size / 2 * static_cast<float>(text.size());
    return {wrapWidth > 0 ? std::min(width, wrapWidth) : width, font.size * 1.2f};
  }
};

// The texts of every screen and card, in reading order. The game's own
// sentences (titles, names, the guide's) are left empty: they are the
// game's to translate, and its tests check them.
std::vector<std::string> everyText() {
  InterfaceState play{.screen = Screen::playing, .mistakes = 2, .peel = 1, .peelMax = 3};
  play.guide = Guide{1, 3, "", ""};
  InterfaceState solved{.screen = Screen::solved, .mistakes = 1, .lastTime = 75, .revealCard = true, .current = 0,
                        .slotCount = 3};
  InterfaceState home{.solvedCount = 3, .figureCount = 10, .chapterBefore = true, .chapterAfter = true};
  InterfaceState closed = home;
  closed.figuresToOpen = 2;
  InterfaceState done = home;
  done.solvedCount = 10;
  InterfaceState muted = home;
  muted.preferences.sound = false;
  const Node screens[] = {screenOverlay(play),
                          screenOverlay(solved),
                          screenOverlay(home),
                          screenOverlay(closed),
                          screenOverlay(done),
                          tutorialCard({1360, 880}),
                          settingsCard({.settings = SettingsCard::open}),
                          settingsCard(muted),
                          settingsCard({.settings = SettingsCard::confirmErase})};
  std::vector<std::string> found;
  for (const Node& screen : screens) {
    for (const DrawCommand& c : layout(screen, {1360, 880}, CountingMeasure{}).drawList) {
      if (const auto* t = std::get_if<TextCommand>(&c)) found.push_back(t->text);
    }
  }
  return found;
}

TEST(English, EveryTextOnEveryScreenIsTranslatedAndSpanishStaysAsItWas) {
  const auto dir = catalogueDir();
  ASSERT_TRUE(dir);
  ASSERT_FALSE(openCatalogue(*dir));
  const std::vector<std::string> spanish = everyText();
  useLanguage(Language::english);
  const std::vector<std::string> english = everyText();
  useLanguage(Language::spanish);
  ASSERT_EQ(english.size(), spanish.size());
  EXPECT_EQ(everyText(), spanish) << "Spanish changed after a turn in English";

  // What reads the same in both: the name, key names, and each language's own name.
  const std::set<std::string> same = {"Sorvel", "W A S D", "Ctrl + Z", "Tab", "Esc", "F2  ·  F11", "Español", "English"};
  for (std::size_t i = 0; i < spanish.size(); ++i) {
    const bool words = spanish[i].find_first_of("abcdefghijklmnopqrstuvwxyz") != std::string::npos;
    if (!words || same.contains(spanish[i])) continue;
    EXPECT_NE(english[i], spanish[i]) << "not translated: " << spanish[i];
  }
  // A few whole sentences, numbers in their places.
  const auto shown = [&english](const std::string& text) {
    return std::find(english.begin(), english.end(), text) != english.end();
  };
  EXPECT_TRUE(shown("3 of 10 figures carved"));
  EXPECT_TRUE(shown("Carve 2 more figures from the previous chapter to open this one"));
  EXPECT_TRUE(shown("Carved in 1:15 · 1 mistake"));
  EXPECT_TRUE(shown("Chapter complete"));
}

}  // namespace
}  // namespace sorvel::ui
