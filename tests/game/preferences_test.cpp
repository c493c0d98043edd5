#include "game/preferences.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game_fixture.hpp"

namespace sorvel::test {
namespace {

TEST(Preferences, SavedValuesComeBackAndBadOnesAreIgnoredOneLineEach) {
  Rig rig;
  Preferences chosen{.sound = false, .volume = 30, .interfaceSize = 150, .reducedMotion = true, .patternMarks = true,
                     .fullscreen = true};
  savePreferences(*rig.store, chosen);
  rig.reopenStore();
  std::vector<std::string> said;
  const MessageSink say = [&said](const std::string& line) { said.push_back(line); };
  EXPECT_EQ(loadPreferences(*rig.store, say), chosen);
  EXPECT_TRUE(said.empty());

  rig.store->setString(preference_keys::kSound, "yes");
  rig.store->setInteger(preference_keys::kVolume, 35);
  rig.store->setInteger(preference_keys::kInterfaceSize, 300);
  rig.store->setNumber(preference_keys::kReducedMotion, 1);
  const Preferences loaded = loadPreferences(*rig.store, say);
  EXPECT_TRUE(loaded.sound) << "the default, not a guess";
  EXPECT_EQ(loaded.volume, Preferences{}.volume);
  EXPECT_EQ(loaded.interfaceSize, 100);
  EXPECT_FALSE(loaded.reducedMotion);
  EXPECT_TRUE(loaded.patternMarks) << "a good value beside bad ones still counts";
  ASSERT_EQ(said.size(), 4u);
  EXPECT_EQ(said[0], "sorvel: ignoring the saved preference sorvel.prefs.sound (\"yes\"): not true or false");
  EXPECT_NE(said[1].find("sorvel.prefs.volume (35)"), std::string::npos);
  EXPECT_NE(said[2].find("sorvel.prefs.interfaceSize (300): not 100, 125, 150 or 200"), std::string::npos);
}

TEST(Preferences, TheVolumeStepsByTenWithinItsRange) {
  EXPECT_EQ((Preferences{.volume = 0}).volumeStepped(-1), 0);
  EXPECT_EQ((Preferences{.volume = 90}).volumeStepped(1), 100);
  EXPECT_EQ((Preferences{.volume = 100}).volumeStepped(1), 100);
  EXPECT_EQ((Preferences{.volume = 50}).volumeStepped(-2), 30);
  EXPECT_FLOAT_EQ((Preferences{.sound = false, .volume = 50}).loudness(), 0);
}

TEST(Preferences, TheGameSavesThemApartFromProgressAndKeepsThemAcrossLaunches) {
  Rig rig;
  auto game = rig.start(true);
  const std::uint64_t revision = game->revision();
  Preferences p = game->preferences();
  p.volume = 40;
  p.patternMarks = true;
  game->setPreferences(p);
  EXPECT_GT(game->revision(), revision);
  EXPECT_FLOAT_EQ(game->sound().loudness, 0.4f);
  EXPECT_EQ(rig.store->integer(preference_keys::kVolume), 40);
  game.reset();
  rig.reopenStore();
  EXPECT_EQ(rig.start(true)->preferences(), p);

  // A game that does not persist (a capture) leaves the file alone.
  Rig other;
  auto capture = other.start(false);
  capture->setPreferences(p);
  EXPECT_FALSE(other.store->contains(preference_keys::kVolume));
}

TEST(SettingsCard, OnlyTheSecondAnswerErasesAndTheDemoShowsTheCard) {
  Rig rig;
  auto game = rig.start(true);
  game->confirmErase();
  EXPECT_EQ(game->settingsCard(), SettingsCard::closed) << "erased without being asked";
  game->openSettings();
  game->confirmErase();
  EXPECT_EQ(game->settingsCard(), SettingsCard::open);
  game->askToErase();
  EXPECT_EQ(game->settingsCard(), SettingsCard::confirmErase);
  game->cancelErase();
  EXPECT_EQ(game->settingsCard(), SettingsCard::open);
  game->closeSettings();

  game->demo("settings");
  EXPECT_EQ(game->settingsCard(), SettingsCard::open);
  game->demo("settings:erase");
  EXPECT_EQ(game->settingsCard(), SettingsCard::confirmErase);
}

TEST(SettingsCard, AnyNumberOfPatternPrefixesIsReadOnceAndRunsWhatFollows) {
  Rig rig;
  auto game = rig.start();
  std::string chain;
  for (int i = 0; i < 200'000; ++i) chain += "patterns:";
  game->demo(chain + ":play:2");
  EXPECT_TRUE(game->patternMarks());
  EXPECT_EQ(game->current(), 2);
  game->demo(chain);  // nothing after them: nothing more happens
  EXPECT_EQ(game->current(), 2);
}

}  // namespace
}  // namespace sorvel::test

namespace sorvel::test {
namespace {

class GameLanguage : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto dir = catalogueDir();
    ASSERT_TRUE(dir);
    ASSERT_FALSE(openCatalogue(*dir));
  }
  void TearDown() override { useLanguage(Language::spanish); }
};

TEST_F(GameLanguage, ThePlayersChoiceIsSavedAndALanguageForOneRunIsNot) {
  Rig rig;
  rig.store->setString(preference_keys::kLanguage, "fr");
  auto game = rig.start(true);
  EXPECT_EQ(game->preferences().language, Language::spanish) << "an unknown language is ignored";
  game->open(1);
  EXPECT_EQ(game->playTitle(), "Figura 1 de 2");
  Preferences p = game->preferences();
  p.language = Language::english;
  game->setPreferences(p);
  EXPECT_EQ(game->playTitle(), "Figure 1 of 2");
  EXPECT_EQ(rig.store->string(preference_keys::kLanguage), "en");
  game.reset();

  // --lang es for one run: Spanish shown, the saved English kept, even when
  // another preference is saved meanwhile.
  rig.reopenStore();
  rig.language = Language::spanish;
  game = rig.start(true);
  EXPECT_EQ(currentLanguage(), Language::spanish);
  p = game->preferences();
  p.volume = 30;
  game->setPreferences(p);
  EXPECT_EQ(rig.store->string(preference_keys::kLanguage), "en");
  // Picking a language in the settings is the player's choice again.
  p.language = Language::english;
  game->setPreferences(p);
  p.language = Language::spanish;
  game->setPreferences(p);
  EXPECT_EQ(rig.store->string(preference_keys::kLanguage), "es");
  game.reset();

  rig.reopenStore();
  rig.language.reset();
  EXPECT_EQ(rig.start(true)->preferences().language, Language::spanish);
}

TEST_F(GameLanguage, TheGuideChangesLanguageAtOnce) {
  Rig rig;
  auto game = rig.start();
  game->open(0);
  ASSERT_TRUE(game->guide());
  const std::string spanish = game->guide()->text;
  EXPECT_EQ(game->guide()->button, "Vale");
  Preferences p = game->preferences();
  p.language = Language::english;
  game->setPreferences(p);
  ASSERT_TRUE(game->guide());
  EXPECT_EQ(game->guide()->button, "OK");
  EXPECT_EQ(game->guide()->text.rfind("A figure is hidden inside this block.", 0), 0u) << game->guide()->text;
  p.language = Language::spanish;
  game->setPreferences(p);
  EXPECT_EQ(game->guide()->text, spanish);
}

}  // namespace
}  // namespace sorvel::test
