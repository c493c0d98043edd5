#include "game_fixture.hpp"

namespace sorvel::test {
namespace {

// Cells of the 3x3x2 tutorial named by the guide.
constexpr int kTopFront[] = {15, 16, 17};
constexpr int kBottomFrontMiddle = 4;
constexpr int kBottomBackMiddle = 1;

class GuideSteps : public ::testing::Test {
 protected:
  void SetUp() override {
    game = rig.start();
    game->open(0);
  }
  Slot& tutorial() { return slotAt(*game, 0); }
  void carve(int cell) { game->act(tutorial(), cell, Tool::carve); }
  int step() { return game->guide() ? game->guide()->step : -1; }

  Rig rig;
  std::unique_ptr<Game> game;
};

TEST_F(GuideSteps, TheIntroductionWaitsForVale) {
  ASSERT_TRUE(game->guide());
  EXPECT_EQ(game->guide()->step, 0);
  EXPECT_EQ(game->guide()->total, 3);
  EXPECT_EQ(game->guide()->button, "Vale");
  EXPECT_TRUE(game->guide()->text.starts_with("Dentro de este bloque hay una figura escondida."));
  EXPECT_TRUE(game->guideCells.empty());

  game->acknowledgeGuide();
  EXPECT_EQ(step(), 1);
  EXPECT_FALSE(game->guide()->button);
  EXPECT_TRUE(game->guide()->text.starts_with("La fila de arriba del todo"));
  EXPECT_EQ(game->guideCells, (std::set<int>{15, 16, 17}));
}

TEST_F(GuideSteps, TheHighlightShrinksAsTheRowIsCarvedWithoutANewStep) {
  game->acknowledgeGuide();
  carve(kTopFront[0]);
  EXPECT_EQ(game->guideCells, (std::set<int>{16, 17}));
  EXPECT_EQ(step(), 1);

  carve(kTopFront[1]);
  carve(kTopFront[2]);
  EXPECT_EQ(step(), 2);
  EXPECT_EQ(game->guideCells, std::set<int>{kBottomFrontMiddle});
  carve(kBottomFrontMiddle);
  EXPECT_EQ(step(), 3);
  EXPECT_TRUE(game->guide()->text.starts_with("Arrastra para girar"));
  EXPECT_EQ(game->guideCells, std::set<int>{kBottomBackMiddle});
  carve(kBottomBackMiddle);
  EXPECT_EQ(game->screen(), Screen::solved);
  EXPECT_FALSE(game->guide());
  EXPECT_TRUE(game->guideCells.empty());
}

TEST_F(GuideSteps, AnUnchangedStepIsNotPublishedAgain) {
  game->acknowledgeGuide();
  carve(kTopFront[0]);
  const auto revision = game->revision();
  game->acknowledgeGuide();  // same step, fewer cells: nothing to announce
  EXPECT_EQ(game->revision(), revision);
}

TEST_F(GuideSteps, StepsAreNotSkippedAndAWrongCarveDoesNotCount) {
  game->acknowledgeGuide();
  carve(kBottomBackMiddle);
  EXPECT_EQ(step(), 1);
  carve(kTopFront[0]);
  carve(kTopFront[1]);
  carve(kTopFront[2]);
  EXPECT_EQ(step(), 2);
  carve(kBottomFrontMiddle);
  EXPECT_EQ(game->screen(), Screen::solved);  // every surplus cube is gone
}

TEST(Guide, AllStepsDoneOnAnUnsolvedBlockShowAnEmptyStepThree) {
  FixturePuzzle bigger = tutorialPuzzle();
  bigger.solution[9] = '0';  // one more surplus cube, in the middle layer
  Rig rig({bigger, pegPuzzle()});
  auto game = rig.start();
  game->open(0);
  game->acknowledgeGuide();
  for (int cell : {15, 16, 17, 4, 1}) game->act(slotAt(*game, 0), cell, Tool::carve);
  ASSERT_EQ(game->screen(), Screen::playing);
  ASSERT_TRUE(game->guide());
  EXPECT_EQ(game->guide()->step, 3);
  EXPECT_EQ(game->guide()->text, "");
  EXPECT_FALSE(game->guide()->button);
  EXPECT_TRUE(game->guideCells.empty());
}

TEST(Guide, ReopeningResumesWithoutTheIntroductionOnceACubeIsCarved) {
  Rig rig;
  auto game = rig.start();
  game->open(0);
  game->goHome(false);
  game->open(0);
  EXPECT_EQ(game->guide()->step, 0);
  game->act(slotAt(*game, 0), 15, Tool::carve);  // carved before pressing "Vale"
  game->goHome(false);
  EXPECT_FALSE(game->guide());
  EXPECT_TRUE(game->guideCells.empty());
  game->open(0);
  EXPECT_EQ(game->guide()->step, 1);
  EXPECT_EQ(game->guideCells, (std::set<int>{16, 17}));

  game->open(1);
  EXPECT_FALSE(game->guide());
}

TEST(Guide, ATutorialTooSmallForTheGuidesCellsShowsNoGuide) {
  Rig rig({FixturePuzzle{"mini", 2, 2, 2, "10011001", true, "Mini"}, pegPuzzle()});
  auto game = rig.start();
  game->open(0);
  EXPECT_FALSE(game->guide());
  game->acknowledgeGuide();
  EXPECT_FALSE(game->guide());
  EXPECT_TRUE(game->guideCells.empty());
  game->act(slotAt(*game, 0), 1, Tool::carve);
  EXPECT_FALSE(game->guide());
}

}  // namespace
}  // namespace sorvel::test
