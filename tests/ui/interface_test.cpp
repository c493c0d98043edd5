#include "ui/interface.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace sorvel::ui {
namespace {

using testing::FloatNear;
using testing::Pointwise;

// Small, at one pixel a point, to keep painting cheap.
const Size kWindow{480, 360};
// Past a moment by less than any transition shows.
constexpr double kJust = 1e-6;

const Painter& painter() {
  static const Painter shared;
  return shared;
}

struct Session {
  Interface ui{painter()};
  void at(double now, const InterfaceState& state) { ui.update(state, std::nullopt, kWindow, 1, now); }
  // Bottom to top, the layers in `count` slots from `first`.
  std::vector<LayerToDraw> in(int first, int count = 1) const {
    std::vector<LayerToDraw> found;
    for (const LayerToDraw& l : ui.layers()) {
      if (l.pictureId >= first && l.pictureId < first + count) found.push_back(l);
    }
    return found;
  }
  // Bottom to top, one layer for each overlay shown (its first piece), once
  // every piece of it is seen to fade alike.
  std::vector<LayerToDraw> overlays() const {
    std::vector<LayerToDraw> found;
    std::vector<int> slots;
    for (const LayerToDraw& l : in(Interface::kOverlayPicture, 2 * Interface::kOverlayPieces)) {
      const int slot = (l.pictureId - Interface::kOverlayPicture) / Interface::kOverlayPieces;
      const auto seen = std::find(slots.begin(), slots.end(), slot);
      if (seen == slots.end()) {
        slots.push_back(slot);
        found.push_back(l);
      } else {
        EXPECT_EQ(l.placement.opacity, found[std::size_t(seen - slots.begin())].placement.opacity);
      }
    }
    return found;
  }
  std::vector<std::uint64_t> overlayVersions() const {
    std::vector<std::uint64_t> found;
    for (const LayerToDraw& l : in(Interface::kOverlayPicture, 2 * Interface::kOverlayPieces)) {
      found.push_back(l.picture->version);
    }
    return found;
  }
  std::vector<LayerToDraw> cards() const { return in(Interface::kCardPicture, Interface::kCards); }
};

std::vector<float> opacities(std::vector<LayerToDraw> layers, const std::vector<LayerToDraw>& more = {}) {
  layers.insert(layers.end(), more.begin(), more.end());
  std::vector<float> found;
  for (const LayerToDraw& l : layers) found.push_back(l.placement.opacity);
  return found;
}
#define EXPECT_OPACITIES(found, ...) EXPECT_THAT(found, Pointwise(FloatNear(1e-4f), std::vector<float>__VA_ARGS__))

InterfaceState playing(std::optional<int> step) {
  InterfaceState s{.screen = Screen::playing, .peel = 1, .peelMax = 3, .playTitle = "Barco"};
  if (step) s.guide = Guide{*step, 3, "Talla los cubos que sobran.", *step == 0 ? std::optional("Vale") : std::nullopt};
  return s;
}

Point centreOf(const Node& root, Action action) {
  for (const Control& c : layout(root, kWindow, painter().textMeasure()).controls) {
    if (c.action == static_cast<int>(action)) return {c.frame.x + c.frame.width / 2, c.frame.y + c.frame.height / 2};
  }
  ADD_FAILURE() << "no such control";
  return {};
}

TEST(UiInterface, PaintsALayerAgainOnlyWhenWhatItShowsChanged) {
  Session run;
  InterfaceState s = playing(1);
  run.at(0, s);
  const int painted = run.ui.paintings();
  for (double t : {0.1, 0.5, 3.0}) run.at(t, s);
  EXPECT_EQ(run.ui.paintings(), painted);

  const std::uint64_t card = run.cards()[0].picture->version;
  const std::vector<std::uint64_t> overlay = run.overlayVersions();
  s.mistakes = 1;
  run.at(4, s);
  EXPECT_EQ(run.ui.paintings(), painted + 1) << "only the piece with the count in it";
  EXPECT_NE(run.overlayVersions(), overlay);
  EXPECT_EQ(run.cards()[0].picture->version, card);

  // A new guide step paints just the new card, and its fade paints nothing.
  s.guide = playing(2).guide;
  for (double t : {5.0, 5.1, 5.2}) run.at(t, s);
  EXPECT_EQ(run.cards().size(), 2u) << "the old step's card is still fading out";
  EXPECT_EQ(run.ui.paintings(), painted + 2);
}

TEST(UiInterface, AScreenChangeCrossFadesTheOverlaysAndTheCardGoesWithItsScreen) {
  Session run;
  run.at(0, InterfaceState{});
  run.at(1, playing(1));
  // The old overlay, the new one and the new one's card.
  EXPECT_OPACITIES(opacities(run.overlays(), run.cards()), ({1, 0, 0}));
  const LayerPicture* coming = run.overlays()[1].picture;
  run.at(1.175, playing(1));  // halfway, eased out
  EXPECT_OPACITIES(opacities(run.overlays(), run.cards()), ({0.25f, 0.75f, 0.75f}));
  run.at(1.35 + kJust, playing(1));
  EXPECT_OPACITIES(opacities(run.overlays(), run.cards()), ({1, 1}));
  EXPECT_EQ(run.overlays()[0].picture, coming);

  run.at(2, InterfaceState{});
  run.at(2.175, InterfaceState{});
  EXPECT_OPACITIES(opacities(run.overlays(), run.cards()), ({0.25f, 0.75f, 0.25f}));
  run.at(2.35 + kJust, InterfaceState{});
  EXPECT_OPACITIES(opacities(run.overlays(), run.cards()), ({1}));
}

TEST(UiInterface, TheTutorialCardScalesInOverADimmingAndTakesEveryPress) {
  Session run;
  InterfaceState s = playing(std::nullopt);
  run.at(0, s);
  s.showTutorial = true;
  run.at(1, s);
  run.at(1 + kJust, s);
  EXPECT_NEAR(run.in(Interface::kTutorialPicture).at(0).placement.scale, 0.97f, 1e-4);
  run.at(1.25 + kJust, s);
  EXPECT_FLOAT_EQ(run.in(Interface::kDimPicture).at(0).placement.opacity, 0.18f);
  EXPECT_FLOAT_EQ(run.in(Interface::kTutorialPicture).at(0).placement.scale, 1);

  const Interface::Hit start = run.ui.hit(centreOf(tutorialCard(kWindow), Action::tutorialDone));
  EXPECT_EQ(start.action, Action::tutorialDone);
  EXPECT_FALSE(start.sceneMayHave);
  for (Point under : {Point{2, 2}, centreOf(playOverlay(s), Action::back)}) {
    EXPECT_FALSE(run.ui.hit(under).action);
    EXPECT_FALSE(run.ui.hit(under).sceneMayHave);
  }
}

TEST(UiInterface, TheSolvedCardRisesFromTheBottomEdgeFadingIn) {
  Session run;
  InterfaceState s{.screen = Screen::solved, .currentName = "Barco", .lastTime = 62, .current = 0, .slotCount = 3};
  run.at(0, s);
  s.revealCard = true;
  run.at(1, s);
  const Point next = centreOf(solvedOverlay(s), Action::next);
  const LayerToDraw start = run.cards().at(0);
  EXPECT_EQ(start.placement.opacity, 0);
  EXPECT_NE(run.ui.hit(next).action, Action::next);  // the button is not there yet

  run.at(1.45 + kJust, s);
  const LayerToDraw end = run.cards().at(0);
  EXPECT_NEAR(end.placement.opacity, 1, 1e-4);
  EXPECT_EQ(run.ui.hit(next).action, Action::next);
  // It set out with its top on the window's bottom edge, and came to rest
  // exactly where the whole overlay has it, pixel for pixel.
  const Rect frame = *layout(solvedOverlay(s), kWindow, painter().textMeasure()).frameOf("solvedCard");
  EXPECT_NEAR(start.placement.offsetY - end.placement.offsetY, kWindow.height - frame.y, 0.5);
  std::vector<std::uint32_t> whole(std::size_t(kWindow.width * kWindow.height));
  painter().paint(layout(solvedOverlay(s), kWindow, painter().textMeasure()).drawList,
                  {whole, int(kWindow.width), int(kWindow.height)}, 1);
  const LayerPicture& card = *end.picture;
  int differ = 0;
  for (int y = 0; y < card.height; ++y) {
    for (int x = 0; x < card.width; ++x) {
      const int wx = x + int(end.placement.offsetX), wy = y + int(end.placement.offsetY);
      differ += card.pixels[std::size_t(y * card.width + x)] != whole[std::size_t(wy * int(kWindow.width) + wx)];
    }
  }
  EXPECT_EQ(differ, 0);

  s.revealCard = false;
  run.at(2, s);
  run.at(2.2, s);
  EXPECT_GT(run.cards().at(0).placement.offsetY, end.placement.offsetY);
  run.at(2.45 + kJust, s);
  EXPECT_TRUE(run.cards().empty());
}

TEST(UiInterface, AGuideStepCrossFadesTheCards) {
  Session run;
  run.at(0, playing(0));
  EXPECT_OPACITIES(opacities(run.cards()), ({1}));  // already up: no fade
  const Point vale = centreOf(playOverlay(playing(0)), Action::guideNext);
  EXPECT_EQ(run.ui.hit(vale).action, Action::guideNext);

  run.at(1, playing(1));
  EXPECT_OPACITIES(opacities(run.cards()), ({1, 0}));
  EXPECT_NE(run.ui.hit(vale).action, Action::guideNext);
  const LayerPicture* coming = run.cards()[1].picture;
  run.at(1.15, playing(1));
  EXPECT_OPACITIES(opacities(run.cards()), ({0.25f, 0.75f}));
  run.at(1.3 + kJust, playing(1));
  EXPECT_OPACITIES(opacities(run.cards()), ({1}));
  EXPECT_EQ(run.cards()[0].picture, coming);

  run.at(2, playing(std::nullopt));
  run.at(2.15, playing(std::nullopt));
  EXPECT_OPACITIES(opacities(run.cards()), ({0.25f}));
  run.at(2.3 + kJust, playing(std::nullopt));
  EXPECT_TRUE(run.cards().empty());
}

TEST(UiInterface, AChangeRepaintsOnlyTheOverlayPieceItTouchesAndDamagesOnlyWhatChanged) {
  Session run;
  InterfaceState s = playing(std::nullopt);
  run.at(0, s);
  const std::vector<LayerToDraw> before = run.in(Interface::kOverlayPicture, Interface::kOverlayPieces);
  std::vector<std::uint64_t> versions;
  for (const LayerToDraw& l : before) versions.push_back(l.picture->version);

  s.peel = 2;  // one more pip of the gauge in ink
  run.at(1, s);
  const std::vector<LayerToDraw> after = run.in(Interface::kOverlayPicture, Interface::kOverlayPieces);
  ASSERT_EQ(after.size(), before.size());
  const Rect gauge = *layout(playOverlay(s), kWindow, painter().textMeasure()).frameOf("layerGauge");
  int changed = 0;
  for (std::size_t i = 0; i < after.size(); ++i) {
    const LayerPicture& p = *after[i].picture;
    if (p.version == versions[i]) continue;
    ++changed;
    // Sent as a change to the picture before, and only within the gauge.
    EXPECT_EQ(p.since, versions[i]);
    const float x = after[i].placement.offsetX + float(p.damage.x), y = after[i].placement.offsetY + float(p.damage.y);
    EXPECT_GE(x, gauge.x);
    EXPECT_GE(y, gauge.y);
    EXPECT_LE(x + float(p.damage.width), gauge.x + gauge.width);
    EXPECT_LE(y + float(p.damage.height), gauge.y + gauge.height);
  }
  EXPECT_EQ(changed, 1);
}

TEST(UiInterface, TheTutorialCardIsPaintedRoundItsFrameAndGrowsAboutTheWindowsMiddle) {
  Session run;
  InterfaceState s = playing(std::nullopt);
  s.showTutorial = true;
  run.at(0, s);
  const LayerToDraw card = run.in(Interface::kTutorialPicture).at(0);
  const LayerPicture& picture = *card.picture;
  const Layout whole = layout(tutorialCard(kWindow), kWindow, painter().textMeasure());
  const Rect frame = *whole.frameOf("tutorialCard");
  EXPECT_LE(picture.width, int(frame.width) + 6);
  EXPECT_LE(picture.height, int(frame.height) + 6);

  // Pixel for pixel where the card painted over the whole window has it.
  std::vector<std::uint32_t> window(std::size_t(kWindow.width * kWindow.height));
  painter().paint(whole.drawList, {window, int(kWindow.width), int(kWindow.height)}, 1);
  int differ = 0;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const int wx = x + int(card.placement.offsetX), wy = y + int(card.placement.offsetY);
      differ += picture.pixels[std::size_t(y * picture.width + x)] != window[std::size_t(wy * int(kWindow.width) + wx)];
    }
  }
  EXPECT_EQ(differ, 0);

  // The dimming: one opaque black pixel stretched over the window.
  const LayerToDraw dim = run.in(Interface::kDimPicture).at(0);
  EXPECT_EQ(dim.picture->pixels, std::vector<std::uint32_t>{0xff000000});
  EXPECT_EQ(dim.placement.width, kWindow.width);
  EXPECT_EQ(dim.placement.height, kWindow.height);

  // Going, the card's corner lands where the whole window's picture,
  // scaled about the middle, would put that pixel.
  s.showTutorial = false;
  run.at(1, s);
  run.at(1.1, s);
  const Placement p = run.in(Interface::kTutorialPicture).at(0).placement;
  ASSERT_LT(p.scale, 1);
  const float landsX = p.anchorX + (0 - p.anchorX) * p.scale + p.offsetX;
  const float landsY = p.anchorY + (0 - p.anchorY) * p.scale + p.offsetY;
  const Point middle{kWindow.width / 2, kWindow.height / 2};
  EXPECT_NEAR(landsX, middle.x + (card.placement.offsetX - middle.x) * p.scale, 1e-3);
  EXPECT_NEAR(landsY, middle.y + (card.placement.offsetY - middle.y) * p.scale, 1e-3);
}

TEST(UiInterface, ACardThatAppearsTakesTheFocusAndTabWalksTheScreenInReadingOrder) {
  Session run;
  run.at(0, playing(0));
  // The guide's introduction: Enter answers its button at once.
  EXPECT_EQ(run.ui.focused(), Action::guideNext);
  EXPECT_TRUE(run.in(Interface::kFocusPicture).empty()) << "no ring until the keys are used";
  run.ui.moveFocus(1);
  EXPECT_EQ(run.in(Interface::kFocusPicture).size(), 1u);

  // A step without a button: nothing has the focus, so Enter goes to the block.
  run.at(1, playing(1));
  EXPECT_FALSE(run.ui.focused());
  std::vector<Action> visited;
  for (int i = 0; i < 7; ++i) {
    run.ui.moveFocus(1);
    visited.push_back(*run.ui.focused());
  }
  using enum Action;
  EXPECT_EQ(visited, (std::vector<Action>{back, help, carveTool, markTool, peelUp, peelDown, back}));
  run.ui.moveFocus(-1);
  EXPECT_EQ(run.ui.focused(), peelDown);
  // Twice the pixels a point: the ring is painted again at the new scale.
  const int ringWidth = run.in(Interface::kFocusPicture).at(0).picture->width;
  run.ui.update(playing(1), std::nullopt, kWindow, 2, 2);
  EXPECT_NEAR(run.in(Interface::kFocusPicture).at(0).picture->width, 2 * ringWidth, 2);

  // The pointer hides the ring; the focus itself stays for the next Tab.
  run.ui.showFocus(false);
  EXPECT_TRUE(run.in(Interface::kFocusPicture).empty());
  EXPECT_EQ(run.ui.focused(), peelDown);
}

TEST(UiInterface, TheSettingsCardIsModalAndItsQuestionFocusesTheSafeAnswer) {
  Session run;
  InterfaceState s;
  run.at(0, s);
  s.settings = SettingsCard::open;
  run.at(1, s);
  run.at(1.25 + kJust, s);
  EXPECT_EQ(run.in(Interface::kSettingsPicture).size(), 1u);
  EXPECT_FLOAT_EQ(run.in(Interface::kDimPicture).at(0).placement.opacity, 0.18f);
  EXPECT_EQ(run.ui.focused(), Action::settingsDone);
  // Only its own controls take the focus and the pointer.
  for (int i = 0; i < 20; ++i) {
    run.ui.moveFocus(1);
    EXPECT_NE(run.ui.focused(), Action::settings);
  }
  EXPECT_FALSE(run.ui.hit({2, 2}).sceneMayHave);

  const int painted = run.ui.paintings();
  s.preferences.volume = 50;
  run.at(2, s);
  EXPECT_GT(run.ui.paintings(), painted) << "a changed preference shows at once";

  s.settings = SettingsCard::confirmErase;
  run.at(3, s);
  EXPECT_EQ(run.ui.focused(), Action::eraseCancel);
}

TEST(UiInterface, ReducedMotionShowsEveryChangeAtOnceAndNoRipple) {
  Session run;
  InterfaceState s;
  s.preferences.reducedMotion = true;
  run.at(0, s);
  InterfaceState play = playing(1);
  play.preferences.reducedMotion = true;
  run.at(1, play);
  EXPECT_OPACITIES(opacities(run.overlays(), run.cards()), ({1, 1}));
  play.showTutorial = true;
  run.at(2, play);
  EXPECT_FLOAT_EQ(run.in(Interface::kTutorialPicture).at(0).placement.opacity, 1);
  EXPECT_FLOAT_EQ(run.in(Interface::kTutorialPicture).at(0).placement.scale, 1);
  run.ui.update(play, TouchFX{.x = 0.5f, .y = 0.5f, .id = 1}, kWindow, 1, 3);
  EXPECT_TRUE(run.in(Interface::kRipplePicture).empty());
}

}  // namespace
}  // namespace sorvel::ui
