#include <cmath>
#include <glm/geometric.hpp>

#include "game_fixture.hpp"

namespace sorvel::test {
namespace {

// The boat: cell 0 is a figure cube, cell 3 a surplus one.
constexpr int kFigure = 0;
constexpr int kSurplus = 3;

class Carving : public ::testing::Test {
 protected:
  void SetUp() override {
    game = rig.start(true);
    game->goHome(false);
    game->open(1);
    rig.heard.clear();
  }
  Slot& boat() { return slotAt(*game, 1); }
  std::optional<std::string> savedState() { return rig.store().string("sorvel.state.barco"); }

  Rig rig;
  std::unique_ptr<Game> game;
};

TEST_F(Carving, CarvingASurplusCubeBreaksItThrowsChipsAndSaves) {
  game->act(boat(), kSurplus, Tool::carve);
  EXPECT_EQ(stateOf(*game, 1, kSurplus), CellState::broken);
  EXPECT_EQ(boat().breakT[kSurplus], 0);
  EXPECT_EQ(game->chips.size(), 5u);
  ASSERT_EQ(rig.heard.size(), 1u);
  EXPECT_EQ(rig.heard[0].kind, SoundKind::carve);
  EXPECT_FLOAT_EQ(rig.heard[0].volume, 0.85f);
  EXPECT_EQ(savedState()->at(kSurplus), '2');
  EXPECT_EQ(game->mistakes(), 0);
}

TEST_F(Carving, AWrongCarveKeepsTheCubeMarkedAndCountsOnce) {
  game->act(boat(), kFigure, Tool::carve);
  EXPECT_EQ(stateOf(*game, 1, kFigure), CellState::marked);
  EXPECT_EQ(game->mistakes(), 1);
  EXPECT_EQ(boat().puzzle.mistakes, 1);
  EXPECT_FLOAT_EQ(boat().shake[kFigure], 0.35f);
  EXPECT_EQ(boat().flash[kFigure], 1);
  EXPECT_TRUE(game->chips.empty());
  EXPECT_EQ(rig.store().integer("sorvel.mistakes.barco"), 1);

  // The mark now protects it: the second carve is refused, not counted.
  game->act(boat(), kFigure, Tool::carve);
  EXPECT_EQ(game->mistakes(), 1);
  EXPECT_FLOAT_EQ(boat().shake[kFigure], 0.15f);
  ASSERT_EQ(rig.heard.size(), 2u);
  EXPECT_EQ(rig.heard[0].kind, SoundKind::error);
  EXPECT_FLOAT_EQ(rig.heard[0].volume, 1.0f);
  EXPECT_EQ(rig.heard[1].kind, SoundKind::tick);
}

TEST_F(Carving, ARefusedCarveOnAMarkedCubeNeitherSavesNorMovesTheGuide) {
  game->act(boat(), kSurplus, Tool::mark);
  rig.store().setString("sorvel.state.barco", "sentinel");
  game->act(boat(), kSurplus, Tool::carve);
  EXPECT_EQ(stateOf(*game, 1, kSurplus), CellState::marked);
  EXPECT_EQ(savedState(), "sentinel");
  EXPECT_EQ(rig.kinds(), (std::vector<SoundKind>{SoundKind::mark, SoundKind::tick}));
}

TEST_F(Carving, MarkingTogglesAndSavesEachTimeButLeavesCarvedCubesAlone) {
  game->act(boat(), kSurplus, Tool::mark);
  EXPECT_EQ(savedState()->at(kSurplus), '1');
  game->act(boat(), kSurplus, Tool::mark);
  EXPECT_EQ(savedState()->at(kSurplus), '0');
  EXPECT_EQ(stateOf(*game, 1, kSurplus), CellState::solid);
  EXPECT_EQ(rig.kinds(), (std::vector<SoundKind>{SoundKind::mark, SoundKind::unmark}));
  EXPECT_FLOAT_EQ(rig.heard[1].volume, 0.7f);

  game->act(boat(), 5, Tool::carve);
  rig.heard.clear();
  game->act(boat(), 5, Tool::mark);
  EXPECT_EQ(stateOf(*game, 1, 5), CellState::broken);
  EXPECT_TRUE(rig.heard.empty());

  // Marking every figure cube never solves the block.
  for (int i = 0; i < boat().puzzle.cellCount(); ++i) {
    if (boat().puzzle.sol[static_cast<size_t>(i)]) game->act(boat(), i, Tool::mark);
  }
  EXPECT_EQ(game->screen(), Screen::playing);
}

TEST_F(Carving, AutoMarkTakesTheFigureCubesNearestTheCamera) {
  game->autoMark(0);
  EXPECT_TRUE(rig.heard.empty());

  const glm::vec3 eye = game->eye();
  std::vector<std::pair<float, int>> figure;
  for (int i = 0; i < boat().puzzle.cellCount(); ++i) {
    if (boat().puzzle.sol[static_cast<size_t>(i)]) figure.push_back({glm::distance(eye, boat().cellCenter(i)), i});
  }
  std::stable_sort(figure.begin(), figure.end(), [](auto a, auto b) { return a.first < b.first; });

  game->autoMark(3);
  EXPECT_EQ(rig.kinds(), std::vector<SoundKind>(3, SoundKind::mark));
  for (size_t k = 0; k < figure.size(); ++k) {
    EXPECT_EQ(stateOf(*game, 1, figure[k].second), k < 3 ? CellState::marked : CellState::solid) << k;
  }
  game->autoMark(100);  // fewer left than asked: all of them
  EXPECT_EQ(rig.heard.size(), 9u);
}

TEST_F(Carving, AutoCarveStepCarvesTheNearestSurplusCubeAndStopsOnceSolved) {
  const glm::vec3 eye = game->eye();
  int nearest = -1;
  for (int i = 0; i < boat().puzzle.cellCount(); ++i) {
    if (boat().puzzle.sol[static_cast<size_t>(i)]) continue;
    if (nearest < 0 || glm::distance(eye, boat().cellCenter(i)) < glm::distance(eye, boat().cellCenter(nearest))) {
      nearest = i;
    }
  }
  EXPECT_TRUE(game->autoCarveStep());
  EXPECT_EQ(stateOf(*game, 1, nearest), CellState::broken);

  int steps = 1;
  while (game->autoCarveStep()) ++steps;
  EXPECT_EQ(steps, 9);  // the step that carves the last cube still says true
  EXPECT_EQ(game->screen(), Screen::solved);
  EXPECT_EQ(game->mistakes(), 0);

  game->goHome(false);
  EXPECT_FALSE(game->autoCarveStep());
}

TEST_F(Carving, AMarkedSurplusCubeNearestTheCameraIsRefusedAgainAndAgain) {
  for (int i = 0; i < boat().puzzle.cellCount(); ++i) {
    if (!boat().puzzle.sol[static_cast<size_t>(i)]) game->act(boat(), i, Tool::mark);
  }
  rig.heard.clear();
  EXPECT_TRUE(game->autoCarveStep());
  EXPECT_TRUE(game->autoCarveStep());
  EXPECT_EQ(rig.kinds(), std::vector<SoundKind>(2, SoundKind::tick));
  EXPECT_EQ(boat().puzzle.remainingToCarve(), 9);
}

TEST_F(Carving, CarvingTheLastSurplusCubeStartsTheReveal) {
  Slot& peg = slotAt(*game, 2);
  game->open(2);
  runFor(*game, 0.5);
  peg.puzzle.elapsed = 7.25;
  const float yaw = game->camera.yaw;
  game->act(peg, 1, Tool::carve);

  EXPECT_EQ(game->screen(), Screen::solved);
  EXPECT_TRUE(game->solvedIDs().contains("pieza"));
  EXPECT_EQ(game->revealT, 0);
  EXPECT_EQ(game->lastTime(), 7.25);
  EXPECT_FALSE(game->revealCard());
  EXPECT_FLOAT_EQ(game->camera.goalYaw, yaw + 0.6f);
  EXPECT_FLOAT_EQ(game->camera.goalDist, game->fitDistance(peg) * 1.15f);
  EXPECT_FLOAT_EQ(game->camera.goalTarget.y,
                  peg.center.y - game->fitDistance(peg) * 1.15f * 0.26f * std::tan(game->camera.vfov / 2));
  EXPECT_EQ(rig.store().stringList("sorvel.solved"), std::vector<std::string>{"pieza"});
  EXPECT_EQ(rig.store().string("sorvel.state.pieza"), "02");  // the solving carve is saved too
}

TEST_F(Carving, TheRevealPlaysItsSoundAtHalfASecondAndRaisesTheCardAtTwoPointThree) {
  Slot& peg = slotAt(*game, 2);
  game->open(2);
  float soundAt = -1, cardAt = -1;
  game->sound.recorder = [&](std::span<const float> samples, float volume) {
    if (soundKindOf(*game, samples.data()) == SoundKind::solved) {
      EXPECT_EQ(soundAt, -1) << "the jingle plays once";
      EXPECT_EQ(volume, 1.0f);
      soundAt = game->revealT;
    }
  };
  game->act(peg, 1, Tool::carve);
  for (int i = 0; i < 400; ++i) {
    game->tick(0.01);
    if (cardAt < 0 && game->revealCard()) cardAt = game->revealT;
  }
  EXPECT_GE(soundAt, 0.55f);
  EXPECT_LT(soundAt, 0.56f);
  EXPECT_GE(cardAt, 2.3f);
  EXPECT_LT(cardAt, 2.31f);
  EXPECT_GE(peg.popT[0], 0);  // the figure cube popped
  EXPECT_EQ(peg.popT[1], -1);

  // Opened again later, it counts as long revealed: no second jingle.
  game->goHome(false);
  game->open(2);
  soundAt = -1;
  runFor(*game, 3);
  EXPECT_EQ(soundAt, -1);
}

}  // namespace
}  // namespace sorvel::test
