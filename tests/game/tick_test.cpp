#include <cmath>
#include <glm/geometric.hpp>
#include <numbers>

#include "game_fixture.hpp"

namespace sorvel::test {
namespace {

TEST(Tick, ALongFrameAdvancesEverythingByAtMostAFiftiethOfASecond) {
  Rig rig;
  auto game = rig.start();
  game->open(1);
  Slot& boat = slotAt(*game, 1);
  boat.breakT[0] = 0;
  game->tick(0.2);
  EXPECT_FLOAT_EQ(game->time, 0.05f);
  EXPECT_FLOAT_EQ(boat.breakT[0], 0.05f);
  EXPECT_NEAR(boat.puzzle.elapsed, 0.05, 1e-7);

  // The tutorial card stops the play clock.
  game->setShowTutorial(true);
  game->tick(0.05);
  EXPECT_NEAR(boat.puzzle.elapsed, 0.05, 1e-7);
}

TEST(Tick, CellClocksStopWhereTheyShould) {
  Rig rig;
  auto game = rig.start();
  Slot& boat = slotAt(*game, 1);
  boat.breakT[0] = 4.99f;
  boat.shake[0] = 0.3f;
  boat.flash[0] = 0.05f;
  boat.popT[0] = 0;
  game->tick(0.05);
  EXPECT_FLOAT_EQ(boat.breakT[0], 5.04f);
  EXPECT_FLOAT_EQ(boat.shake[0], 0.25f);
  EXPECT_EQ(boat.flash[0], 0);
  EXPECT_FLOAT_EQ(boat.popT[0], 0.05f);
  game->tick(0.05);
  EXPECT_FLOAT_EQ(boat.breakT[0], 5.04f);
  EXPECT_EQ(boat.breakT[1], -1);
  EXPECT_EQ(boat.shake[1], 0);

  boat.puzzle.state[2] = CellState::marked;
  runFor(*game, 1);
  EXPECT_NEAR(boat.mark[2], 1, 1e-3);
}

TEST(Tick, BlocksSinkWhileAnotherIsOpenAndRiseOnTheTable) {
  Rig rig;
  auto game = rig.start();
  game->open(1);
  runFor(*game, 3);
  EXPECT_NEAR(slotAt(*game, 0).presence, 0, 1e-3);
  EXPECT_NEAR(slotAt(*game, 1).presence, 1, 1e-6);
  game->goHome(true);
  runFor(*game, 3);
  for (const auto& slot : game->slots) EXPECT_NEAR(slot->presence, 1, 1e-3);
}

TEST(Tick, ScriptEntriesRunInOrderOnceDue) {
  Rig rig;
  auto game = rig.start();
  std::vector<std::string> ran;
  game->runScript({{0.1f, [&] { ran.push_back("b"); }},
                   {0.05f, [&] { ran.push_back("a"); }},
                   {0.1f,
                    [&] {
                      ran.push_back("c");
                      game->script.push_back({0.0f, [&] { ran.push_back("appended"); }});
                    }},
                   {0.2f, [&] { ran.push_back("late"); }}});
  game->tick(0.05);  // exactly due
  EXPECT_EQ(ran, std::vector<std::string>{"a"});
  game->tick(0.05);
  EXPECT_EQ(ran, (std::vector<std::string>{"a", "b", "c"}));
  game->tick(0.01);  // the appended entry waits behind the later one
  EXPECT_EQ(ran, (std::vector<std::string>{"a", "b", "c"}));
  game->tick(0.05);
  game->tick(0.05);
  EXPECT_EQ(ran, (std::vector<std::string>{"a", "b", "c", "late", "appended"}));
  const float clock = game->scriptT;
  game->tick(0.05);
  EXPECT_EQ(game->scriptT, clock);  // an empty script does not count
}

// One chip dropped straight down with nothing else moving.
Chip fallingChip(glm::vec3 pos, float vy = 0) {
  return Chip{.pos = pos, .vel = {0, vy, 0}, .life = 100, .size = {0.1f, 0.03f, 0.1f}};
}

TEST(Chips, ChipsComeToRestOnAPlinthTopOrOnTheTable) {
  Rig rig;
  auto game = rig.start();
  const Slot& boat = slotAt(*game, 1);
  game->chips = {fallingChip({boat.center.x, 3, boat.center.z + boat.plinthRadius * 0.8f}),
                 fallingChip({boat.center.x, 3, boat.center.z + boat.plinthRadius + 0.5f})};
  runFor(*game, 4);
  EXPECT_NEAR(game->chips[0].pos.y, boat.origin.y, 1e-3);
  EXPECT_NEAR(game->chips[1].pos.y, 0.02f, 1e-3);
}

TEST(Chips, ABounceKeepsAQuarterOfTheSpeedAndHalfTheSpin) {
  Rig rig;
  auto game = rig.start();
  Chip chip = fallingChip({50, 0.05f, 50}, -10);
  chip.vel.x = 1;
  chip.spin = {0, 4, 0};
  game->chips = {chip};
  game->tick(0.05);
  const Chip& after = game->chips[0];
  EXPECT_FLOAT_EQ(after.pos.y, 0.02f);
  EXPECT_FLOAT_EQ(after.vel.y, 0.25f * (10 + 16 * 0.05f));
  EXPECT_FLOAT_EQ(after.vel.x, 0.6f);
  EXPECT_FLOAT_EQ(after.pos.x, 50.05f);  // moved with the speed it had
  EXPECT_FLOAT_EQ(after.spin.y, 2);
  // Spun about the world's y axis by the halved rate.
  EXPECT_NEAR(glm::angle(after.rot), 2 * 0.05f, 1e-5);
}

TEST(Chips, SpentChipsGoWithoutSkippingTheOthers) {
  Rig rig;
  auto game = rig.start();
  game->chips = {fallingChip({50, 5, 50}), fallingChip({50, 5, 50}), fallingChip({50, 5, 50})};
  game->chips[0].life = 0.01f;
  game->chips[2].life = 0.01f;
  game->chips[1].tint = 0.5f;
  game->tick(0.02);
  ASSERT_EQ(game->chips.size(), 1u);
  EXPECT_EQ(game->chips[0].tint, 0.5f);
  EXPECT_FLOAT_EQ(game->chips[0].life, 99.98f);
  EXPECT_LT(game->chips[0].pos.y, 5);
}

TEST(Chips, ACarveThrowsFiveChipsWithinTheirRangesAndASeedPinsThem) {
  Rig rig;
  auto a = rig.start(false, 42);
  auto b = rig.start(false, 42);
  for (Game* game : {a.get(), b.get()}) {
    game->open(1);
    game->act(slotAt(*game, 1), 3, Tool::carve);
  }
  ASSERT_EQ(a->chips.size(), 5u);
  const glm::vec3 centre = slotAt(*a, 1).cellCenter(3);
  for (size_t i = 0; i < 5; ++i) {
    const Chip& chip = a->chips[i];
    EXPECT_EQ(chip.pos, b->chips[i].pos);
    EXPECT_EQ(chip.vel, b->chips[i].vel);
    const glm::vec3 offset = chip.pos - centre;
    EXPECT_LE(std::abs(offset.x), 0.3f + 1e-5f);
    EXPECT_LE(std::abs(offset.z), 0.3f + 1e-5f);
    EXPECT_GE(offset.y, -0.2f - 1e-5f);
    EXPECT_LE(offset.y, 0.3f + 1e-5f);
    EXPECT_GE(chip.vel.y, 2.5f);
    EXPECT_LE(chip.vel.y, 5.5f);
    const float out = std::hypot(chip.vel.x, chip.vel.z);
    EXPECT_GE(out, 1.2f - 1e-5f);
    EXPECT_LE(out, 3.2f + 1e-5f);
    EXPECT_GE(chip.life, 1.6f);
    EXPECT_LE(chip.life, 2.6f);
    EXPECT_EQ(chip.size.y, 0.03f);
    EXPECT_NEAR(glm::length(chip.rot), 1, 1e-5);
  }
  auto c = rig.start(false, 43);
  c->open(1);
  c->act(slotAt(*c, 1), 3, Tool::carve);
  EXPECT_NE(c->chips[0].vel, a->chips[0].vel);
}

TEST(Chips, NoMoreThanSixHundredAreKeptAndTheOldestGoFirst) {
  Rig rig;
  auto game = rig.start();
  game->open(1);
  for (int i = 0; i < 598; ++i) {
    Chip chip = fallingChip({50, 5, 50});
    chip.tint = static_cast<float>(i);
    game->chips.push_back(chip);
  }
  game->act(slotAt(*game, 1), 3, Tool::carve);
  ASSERT_EQ(game->chips.size(), Game::kMaxChips);
  EXPECT_EQ(game->chips.front().tint, 3);
  EXPECT_EQ(game->chips[594].tint, 597);
}

TEST(Chips, TheRevealPopsEveryFigureCubeAndThrowsChipsFromSome) {
  Rig rig;
  auto game = rig.start();
  game->open(1);
  Slot& boat = slotAt(*game, 1);
  while (game->autoCarveStep()) {
  }
  game->chips.clear();  // those of the carving
  runFor(*game, 1.2);
  int throwing = 0;
  for (int i = 0; i < boat.puzzle.cellCount(); ++i) {
    if (!boat.puzzle.sol[static_cast<size_t>(i)]) {
      EXPECT_EQ(boat.popT[static_cast<size_t>(i)], -1);
      continue;
    }
    EXPECT_GE(boat.popT[static_cast<size_t>(i)], 0) << i;
    const glm::vec3 c(boat.puzzle.coords(i));
    const float v = std::sin(37 * c.x + 91 * c.y + 13 * c.z) * 4375.85f;
    if (v - std::floor(v) < 0.6f) ++throwing;
  }
  EXPECT_EQ(game->chips.size(), static_cast<size_t>(throwing));
  EXPECT_FALSE(game->revealCard());
}

TEST(Figures, ATableFigureSwaysWithoutUnwinding) {
  Rig rig;
  auto game = rig.start();
  Slot& peg = slotAt(*game, 2);
  peg.puzzle.state[1] = CellState::broken;
  game->setSolvedIDs({"pieza"});
  peg.toySpin = 6.3f;
  runFor(*game, 10);
  const float twoPi = 2 * std::numbers::pi_v<float>;
  const float sway = -0.55f + 0.22f * std::sin(0.45f * game->time + 1.7f * 2);
  EXPECT_NEAR(peg.toySpin, sway + twoPi, 0.08f);

  // The open figure turns steadily once revealed.
  game->open(2);
  const float before = peg.toySpin;
  game->tick(0.05);
  EXPECT_FLOAT_EQ(peg.toySpin, before + 0.35f * 0.05f);
}

}  // namespace
}  // namespace sorvel::test
