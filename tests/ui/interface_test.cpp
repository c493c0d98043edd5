#include "ui/interface.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
  std::vector<LayerToDraw> overlays() const { return in(Interface::kOverlayPicture, 2); }
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

  const std::uint64_t card = run.cards()[0].picture->version, overlay = run.overlays()[0].picture->version;
  s.mistakes = 1;
  run.at(4, s);
  EXPECT_EQ(run.ui.paintings(), painted + 1);
  EXPECT_NE(run.overlays()[0].picture->version, overlay);
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

  const Interface::Hit start = run.ui.hit(centreOf(tutorialCard(), Action::tutorialDone));
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

}  // namespace
}  // namespace sorvel::ui
