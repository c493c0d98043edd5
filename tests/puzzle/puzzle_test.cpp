#include "puzzle/puzzle.hpp"

#include <gtest/gtest.h>

#include <numeric>

namespace sorvel {
namespace {

// A block whose clue lists hold their own indices, so a lookup shows which
// entry it read.
PuzzleDef numberedDef(int X, int Y, int Z, std::string solution) {
  auto numbered = [](int n, int offset) {
    std::vector<int> list(static_cast<size_t>(n));
    std::iota(list.begin(), list.end(), offset);
    return list;
  };
  return PuzzleDef{.id = "p",
                   .dims = {X, Y, Z},
                   .solution = std::move(solution),
                   .clues = {{"x", numbered(Y * Z, 1000)}, {"y", numbered(X * Z, 2000)}, {"z", numbered(X * Y, 3000)}}};
}

TEST(PuzzleCells, CoordsAndCluesFollowTheCellOrder) {
  const Puzzle p(numberedDef(2, 3, 4, std::string(24, '0')));
  EXPECT_EQ(p.coords(13), glm::ivec3(1, 1, 2));
  for (int i = 0; i < p.cellCount(); ++i) {
    const glm::ivec3 c = p.coords(i);
    EXPECT_EQ(p.index(c.x, c.y, c.z), i);
  }
  // Cell (1, 2, 3): row along x at y*Z+z = 11, column at z*X+x = 7, row along z at y*X+x = 5.
  EXPECT_EQ(p.clues(1, 2, 3), glm::ivec3(1011, 2007, 3005));
}

TEST(PuzzleRules, OnlyCarvedSurplusCubesCountAsDone) {
  Puzzle p(numberedDef(3, 1, 1, "010"));
  EXPECT_EQ(p.remainingToCarve(), 2);
  p.state[0] = CellState::marked;  // a marked surplus cube is still there
  p.state[1] = CellState::broken;  // figure cells do not matter
  p.state[2] = CellState::broken;
  EXPECT_EQ(p.remainingToCarve(), 1);
  EXPECT_FALSE(p.solved());
  p.state[0] = CellState::broken;
  EXPECT_TRUE(p.solved());
  EXPECT_TRUE(Puzzle(numberedDef(2, 2, 1, "1111")).solved());
}

TEST(PuzzleSavedText, RoundTripsAndRefusesWhatDoesNotFit) {
  Puzzle p(numberedDef(3, 3, 3, std::string(27, '0')));
  p.state[0] = CellState::broken;
  p.state[13] = CellState::marked;
  const std::string saved = p.encodeState();
  EXPECT_EQ(saved, "2" + std::string(12, '0') + "1" + std::string(13, '0'));
  Puzzle fresh(numberedDef(3, 3, 3, std::string(27, '0')));
  fresh.restore(saved);
  EXPECT_EQ(fresh.state, p.state);
  // One character too many or too few changes nothing.
  fresh.restore(saved + "0");
  fresh.restore(saved.substr(1));
  EXPECT_EQ(fresh.state, p.state);

  Puzzle five(numberedDef(5, 1, 1, "11111"));
  five.restore("012x3");
  EXPECT_EQ(five.encodeState(), "01200");
  five.restore("2é21ñ");  // a two-byte character is one cell, not two
  EXPECT_EQ(five.encodeState(), "20210");
}

}  // namespace
}  // namespace sorvel
