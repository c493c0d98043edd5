#include "ui/views.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "base/language.hpp"

namespace sorvel::ui {
namespace {

// Each character half the font size wide, lines 1.2 times the size apart,
// broken at any character.
class FakeMeasure : public TextMeasure {
 public:
  Size measure(const std::string& text, const Font& font, float wrapWidth) const override {
    const float width = font.size / 2 * static_cast<float>(text.size());
    const float lines = wrapWidth > 0 ? std::max(1.f, std::ceil(width / wrapWidth)) : 1;
    return {wrapWidth > 0 ? std::min(width, wrapWidth) : width, font.size * 1.2f * lines};
  }
};

const Size kWindow{1360, 880};

Layout lay(const Node& root, Size window = kWindow) { return layout(root, window, FakeMeasure{}); }

std::vector<TextCommand> texts(const Layout& l) {
  std::vector<TextCommand> found;
  for (const DrawCommand& c : l.drawList) {
    if (const auto* t = std::get_if<TextCommand>(&c)) found.push_back(*t);
  }
  return found;
}

bool shows(const Layout& l, std::string_view text) {
  const auto all = texts(l);
  return std::any_of(all.begin(), all.end(), [&](const TextCommand& t) { return t.text.find(text) == 0; });
}

InterfaceState playing() {
  InterfaceState s;
  s.screen = Screen::playing;
  s.playTitle = "Barco de vela";
  s.peel = 2;
  s.peelMax = 5;
  return s;
}

TEST(UiViews, HomeShowsTheTitleTopLeftAndTheProgressCentredAtTheBottom) {
  InterfaceState s;
  s.solvedCount = 3;
  s.figureCount = 12;
  const Layout l = lay(screenOverlay(s));
  EXPECT_EQ(l.frameOf("title")->x, 28);
  EXPECT_EQ(l.frameOf("title")->y, 22);
  const Rect progress = *l.frameOf("progress");
  EXPECT_FLOAT_EQ(progress.x + progress.width / 2, kWindow.width / 2);
  EXPECT_GT(progress.y, kWindow.height - 100);
  EXPECT_TRUE(shows(l, "3 de 12 figuras talladas"));

  s.solvedCount = 12;
  EXPECT_TRUE(shows(lay(homeOverlay(s)), "Capítulo completo"));

  // A closed chapter says what opens it, in place of the count and the hint.
  s.figuresToOpen = 1;
  EXPECT_TRUE(shows(lay(homeOverlay(s)), "Talla 1 figura más del capítulo anterior para abrirlo"));
  s.figuresToOpen = 3;
  const Layout closed = lay(homeOverlay(s));
  EXPECT_TRUE(shows(closed, "Talla 3 figuras más del capítulo anterior para abrirlo"));
  EXPECT_FALSE(shows(closed, "Toca un bloque para empezar a tallar"));
}

TEST(UiViews, TheChevronsBesideTheChapterGoOnlyWhereThereIsAChapterAndKeepTheTitleStill) {
  InterfaceState s{.chapterTitle = "Capítulo 2 · El bosque", .chapterBefore = true, .chapterAfter = true};
  const Layout both = lay(homeOverlay(s));
  const Rect title = *both.frameOf("chapterTitle");
  EXPECT_LT(both.frameOf("chapterBefore")->x, title.x);
  EXPECT_GT(both.frameOf("chapterAfter")->x, title.x + title.width);
  s.chapterAfter = false;
  const Layout last = lay(homeOverlay(s));
  EXPECT_FALSE(last.frameOf("chapterAfter"));
  EXPECT_EQ(last.frameOf("chapterTitle")->x, title.x);
}

TEST(UiViews, TheBottomBarKeepsTheToolPickerCentred) {
  for (float width : {700.f, 1360.f}) {
    const Rect picker = *lay(playOverlay(playing()), {width, 880}).frameOf("toolPicker");
    EXPECT_FLOAT_EQ(picker.x + picker.width / 2, width / 2);
  }
}

TEST(UiViews, TheGaugeFillsOnePipPerLayerShownFromTheBottom) {
  const Layout l = lay(layerControl(2, 5));
  const Rect gauge = *l.frameOf("layerGauge");
  std::vector<ShapeCommand> pips;
  for (const DrawCommand& c : l.drawList) {
    const auto* s = std::get_if<ShapeCommand>(&c);
    if (s && gauge.contains({s->rect.x, s->rect.y})) pips.push_back(*s);
  }
  ASSERT_EQ(pips.size(), 5u);
  std::sort(pips.begin(), pips.end(), [](const auto& a, const auto& b) { return a.rect.y < b.rect.y; });
  for (int i = 0; i < 5; ++i) EXPECT_EQ(pips[size_t(i)].paint.fill, i >= 3 ? kInk : kInk.withOpacity(0.16f)) << i;

  EXPECT_EQ(lay(layerControl(0, 0)).frameOf("layerGauge")->height, 20);
}

TEST(UiViews, TheMistakesLineTurnsRedAtTheFirstMistake) {
  InterfaceState s = playing();
  auto colour = [&](int mistakes) {
    s.mistakes = mistakes;
    const Layout l = lay(playOverlay(s));
    const Rect line = *l.frameOf("mistakes");
    for (const TextCommand& t : texts(l)) {
      if (t.origin == Point{line.x, line.y}) return t.colour;
    }
    return Colour{};
  };
  EXPECT_EQ(colour(0), kInk.withOpacity(0.45f));
  EXPECT_EQ(colour(1), kMistakeRed);
}

TEST(UiViews, PartsShowOnlyWhenTheyHaveSomethingToSay) {
  InterfaceState s;
  s.screen = Screen::solved;
  s.revealCard = true;
  s.slotCount = 3;
  s.current = 1;
  EXPECT_TRUE(shows(lay(solvedOverlay(s)), "Siguiente"));
  s.current = 2;
  EXPECT_FALSE(shows(lay(solvedOverlay(s)), "Siguiente"));
  s.revealCard = false;
  EXPECT_FALSE(lay(solvedOverlay(s)).frameOf("solvedCard"));

  EXPECT_FALSE(shows(lay(guideCard({0, 3, "Hola", "Vale"})), "Paso"));
  EXPECT_TRUE(shows(lay(guideCard({1, 3, "Hola", "Vale"})), "Paso 1 de 3"));
  s = playing();
  s.guide = Guide{1, 3, "", std::nullopt};
  EXPECT_FALSE(lay(playOverlay(s)).frameOf("guideCard"));
}

TEST(UiViews, TheCardAndTheRestSplitWithoutMoving) {
  InterfaceState play = playing();
  play.guide = Guide{0, 3, "Talla los cubos que sobran.", "Vale"};
  for (const InterfaceState& s : {play, InterfaceState{.screen = Screen::solved, .revealCard = true}}) {
    const Layout all = lay(screenOverlay(s)), card = lay(screenOverlay(s, Part::cardOnly));
    const Layout rest = lay(screenOverlay(s, Part::withoutCard));
    const Rect frame = *all.frameOf(kCardTag);
    EXPECT_EQ(card.frameOf(kCardTag), frame);
    EXPECT_EQ(rest.drawList.size() + card.drawList.size(), all.drawList.size());
    EXPECT_EQ(rest.controls.size() + card.controls.size(), all.controls.size());
    for (const TextCommand& t : texts(card)) EXPECT_TRUE(frame.contains(t.origin)) << t.text;
  }
}

TEST(UiViews, TheHelpCardPutsTheKeysBesideHowToPlayOrUnderItWhenNarrow) {
  const Size narrowWindow{360, 880};
  const Layout wideCard = lay(tutorialCard(kWindow));
  const Layout narrowCard = lay(tutorialCard(narrowWindow), narrowWindow);
  const Rect wide = *wideCard.frameOf("tutorialCard");
  const Rect narrow = *narrowCard.frameOf("tutorialCard");
  EXPECT_GT(wide.width, 2 * 400);
  EXPECT_EQ(narrow.width, 360 - 2 * 20);
  EXPECT_GT(narrow.height, wide.height);
  for (const Layout* card : {&wideCard, &narrowCard}) {
    EXPECT_TRUE(shows(*card, "Cómo se talla"));
    EXPECT_TRUE(shows(*card, "Ctrl + Z"));
    EXPECT_TRUE(shows(*card, "Mando"));
  }
}

TEST(UiViews, EveryButtonIsHitInItsFrameAndTheSceneElsewhere) {
  InterfaceState play = playing();
  play.guide = Guide{1, 3, "Talla los cubos que sobran.", "Siguiente"};
  InterfaceState solved;
  solved.screen = Screen::solved;
  solved.revealCard = true;
  solved.slotCount = 3;
  solved.current = 0;
  using enum Action;
  const std::pair<Node, std::set<Action>> screens[] = {
      {screenOverlay(play), {back, help, guideNext, carveTool, markTool, peelUp, peelDown}},
      {screenOverlay(solved), {back, home, next, carveAgain}},
      {tutorialCard(kWindow), {tutorialDone}},
      {homeOverlay(InterfaceState{}), {settings}},
      {homeOverlay(InterfaceState{.chapterBefore = true, .chapterAfter = true}), {settings, chapterBefore, chapterAfter}},
      {settingsCard({.settings = SettingsCard::open}),
       {settingsDone, soundToggle, volumeDown, volumeUp, interfaceSize100, interfaceSize125, interfaceSize150,
        interfaceSize200, reducedMotionToggle, patternMarksToggle, fullscreenToggle, languageSpanish, languageEnglish,
        eraseAsk}},
      {settingsCard({.settings = SettingsCard::confirmErase}), {eraseCancel, eraseConfirm}}};
  for (const auto& [root, actions] : screens) {
    const Layout l = lay(root);
    std::set<Action> hit;
    for (const Control& c : l.controls) {
      const auto top = l.hit({c.frame.x + c.frame.width / 2, c.frame.y + c.frame.height / 2});
      if (top) hit.insert(static_cast<Action>(top->action));
    }
    EXPECT_EQ(hit, actions);
  }
  const Layout l = lay(screenOverlay(play));
  for (Point empty : {Point{680, 440}, Point{100, 440}, Point{1300, 300}, Point{200, 850}}) {
    EXPECT_FALSE(l.hit(empty)) << empty.x << "," << empty.y;
  }
  EXPECT_FALSE(lay(screenOverlay(InterfaceState{})).hit({680, 440}));
}

TEST(UiViews, TheSettingsCardShowsThePreferencesAndOffersNoStepPastTheEnds) {
  InterfaceState state{.settings = SettingsCard::open};
  state.preferences.volume = 100;
  const Layout loud = lay(settingsCard(state));
  EXPECT_TRUE(shows(loud, "Ajustes"));
  EXPECT_TRUE(shows(loud, "100 %"));
  EXPECT_TRUE(shows(loud, "Borrar el progreso"));
  const auto offers = [](const Layout& l, Action a) {
    return std::any_of(l.controls.begin(), l.controls.end(), [a](const Control& c) { return c.action == int(a); });
  };
  EXPECT_FALSE(offers(loud, Action::volumeUp));
  EXPECT_TRUE(offers(loud, Action::volumeDown));
  state.preferences.sound = false;
  const Layout silent = lay(settingsCard(state));
  EXPECT_TRUE(shows(silent, "sin sonido"));
  EXPECT_FALSE(offers(silent, Action::volumeDown));
  // The question before erasing shows nothing of the preferences.
  const Layout asking = lay(settingsCard({.settings = SettingsCard::confirmErase}));
  EXPECT_TRUE(shows(asking, "¿Borrar el progreso?"));
  EXPECT_FALSE(shows(asking, "Volumen"));
}

// Every text the screens show, laid out once in Spanish and once in English:
// a text left out of the catalogue, or given without tr(), reads the same in
// both and is caught here.
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
                          tutorialCard(kWindow),
                          settingsCard({.settings = SettingsCard::open}),
                          settingsCard(muted),
                          settingsCard({.settings = SettingsCard::confirmErase})};
  std::vector<std::string> found;
  for (const Node& screen : screens) {
    for (const DrawCommand& c : lay(screen).drawList) {
      if (const auto* t = std::get_if<TextCommand>(&c)) found.push_back(t->text);
    }
  }
  return found;
}

TEST(UiViews, EveryTextOnEveryScreenIsInEnglishOnceChosenAndSpanishStaysAsItWas) {
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
