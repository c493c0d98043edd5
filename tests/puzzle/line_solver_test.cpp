#include "puzzle/line_solver.hpp"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

namespace sorvel {
namespace {

using K = Knowledge;

std::vector<bool> flagsOf(std::string_view cells) {
  std::vector<bool> out;
  for (char c : cells) out.push_back(c == '1');
  return out;
}

std::vector<K> knowledgeOf(std::string_view cells) {
  std::vector<K> out;
  for (char c : cells) out.push_back(c == '1' ? K::figure : c == '0' ? K::surplus : K::unknown);
  return out;
}

// The slow, obviously right answer: try every arrangement of the row.
std::optional<std::vector<K>> bruteForce(const Clue& clue, const std::vector<K>& cells) {
  const int length = static_cast<int>(cells.size());
  std::vector<int> figureVotes(length, 0);
  int fits = 0;
  for (unsigned mask = 0; mask < (1u << length); ++mask) {
    std::vector<bool> row(length);
    bool agrees = true;
    for (int i = 0; i < length; ++i) {
      row[i] = (mask >> i) & 1u;
      if (cells[i] != K::unknown && (cells[i] == K::figure) != row[i]) agrees = false;
    }
    if (!agrees || clueFor(row) != 10 * clue.style + clue.count) continue;
    ++fits;
    for (int i = 0; i < length; ++i) figureVotes[i] += row[i] ? 1 : 0;
  }
  if (fits == 0) return std::nullopt;
  std::vector<K> out(length, K::unknown);
  for (int i = 0; i < length; ++i) {
    if (figureVotes[i] == fits) out[i] = K::figure;
    if (figureVotes[i] == 0) out[i] = K::surplus;
  }
  return out;
}

TEST(ClueFor, CountsFigureCubesAndGroupsThem) {
  EXPECT_EQ(clueFor(flagsOf("0000")), 0);
  EXPECT_EQ(clueFor(flagsOf("0110")), 2);
  EXPECT_EQ(clueFor(flagsOf("1111")), 4);
  EXPECT_EQ(clueFor(flagsOf("101")), 12);
  EXPECT_EQ(clueFor(flagsOf("1100111")), 15);
  EXPECT_EQ(clueFor(flagsOf("10101")), 23);
  EXPECT_EQ(clueFor(flagsOf("1011010111")), 27);
}

TEST(ClueFor, RefusesRowsWhoseCountNeedsTwoDigits) {
  EXPECT_EQ(clueFor(flagsOf("111111111")), 9);
  EXPECT_EQ(clueFor(flagsOf("1111111111")), std::nullopt);
}

TEST(ComputeClues, FillsEachListInTheFileOrder) {
  // A 2x3x4 block with cells (1, 1, 2) and (0, 1, 2) and (1, 2, 3) figure.
  const int X = 2, Y = 3, Z = 4;
  std::vector<bool> figure(X * Y * Z, false);
  auto at = [&](int x, int y, int z) { return (y * Z + z) * X + x; };
  figure[at(1, 1, 2)] = figure[at(0, 1, 2)] = figure[at(1, 2, 3)] = true;
  const ClueLists clues = computeClues(X, Y, Z, figure);
  ASSERT_EQ(clues.x.size(), 12u);
  ASSERT_EQ(clues.y.size(), 8u);
  ASSERT_EQ(clues.z.size(), 6u);
  EXPECT_EQ(clues.x[1 * Z + 2], 2);
  EXPECT_EQ(clues.x[2 * Z + 3], 1);
  EXPECT_EQ(clues.x[0], 0);
  EXPECT_EQ(clues.y[2 * X + 1], 1);
  EXPECT_EQ(clues.y[3 * X + 1], 1);
  EXPECT_EQ(clues.y[3 * X + 0], 0);
  EXPECT_EQ(clues.z[1 * X + 1], 1);
  EXPECT_EQ(clues.z[2 * X + 1], 1);
  EXPECT_EQ(clues.z[2 * X + 0], 0);
}

TEST(ComputeClues, LeavesAFullRowOfTenWithoutAClue) {
  const ClueLists clues = computeClues(10, 1, 1, std::vector<bool>(10, true));
  EXPECT_EQ(clues.x[0], -1);
  EXPECT_EQ(clues.y[0], 1);
}

TEST(SolveRow, FindsWhatEveryArrangementAgreesOn) {
  auto solved = solveRow({.count = 2, .style = 1}, knowledgeOf("???"));
  ASSERT_TRUE(solved);
  EXPECT_EQ(*solved, knowledgeOf("101"));
  solved = solveRow({.count = 4, .style = 0}, knowledgeOf("??????"));
  EXPECT_EQ(*solved, knowledgeOf("??11??"));
  solved = solveRow({.count = 3, .style = 0}, knowledgeOf("?1?????"));
  EXPECT_EQ(*solved, knowledgeOf("?11?000"));
  solved = solveRow({.count = 3, .style = 2}, knowledgeOf("?????"));
  EXPECT_EQ(*solved, knowledgeOf("10101"));
}

TEST(SolveRow, ReportsAClueThatNoArrangementFits) {
  EXPECT_FALSE(solveRow({.count = 2, .style = 1}, knowledgeOf("?1?")));
  EXPECT_FALSE(solveRow({.count = 1, .style = 1}, knowledgeOf("????")));
  EXPECT_FALSE(solveRow({.count = 5, .style = 0}, knowledgeOf("????")));
}

TEST(SolveRow, AgreesWithTryingEveryArrangement) {
  std::mt19937 random(7);
  for (int length = 1; length <= 8; ++length) {
    for (int code = 0; code <= 29; ++code) {
      const Clue clue = *decodeClue(code);
      for (int trial = 0; trial < 12; ++trial) {
        std::vector<K> cells(length);
        for (K& cell : cells) cell = static_cast<K>(random() % 3);
        if (trial == 0) cells.assign(length, K::unknown);
        EXPECT_EQ(solveRow(clue, cells), bruteForce(clue, cells)) << "length " << length << " code " << code;
      }
    }
  }
}

TEST(SolveByRows, SolvesAPuzzleThatNeedsSeveralPasses) {
  // 4x1x4 slab: the rows along z only settle once the rows along x have.
  const std::vector<bool> figure = flagsOf("1001" "1101" "0001" "1111");
  ClueLists clues = computeClues(4, 1, 4, figure);
  clues.y.assign(clues.y.size(), -1);
  const SolveReport report = solveByRows(4, 1, 4, clues);
  EXPECT_TRUE(report.consistent);
  ASSERT_TRUE(report.determined);
  EXPECT_GE(report.passes, 2);
  EXPECT_GE(report.rowsUsed, report.passes);
  EXPECT_EQ(report.cellsFound, 16);
  for (size_t i = 0; i < figure.size(); ++i) EXPECT_EQ(report.cells[i] == K::figure, figure[i]) << i;
}

TEST(SolveByRows, DoesNotCallATwoSolutionPuzzleUnique) {
  // The two checkerboards of a 2x2x2 block give every row the clue 1.
  const std::vector<bool> even = flagsOf("1001" "0110");
  const std::vector<bool> odd = flagsOf("0110" "1001");
  const ClueLists clues = computeClues(2, 2, 2, even);
  const ClueLists other = computeClues(2, 2, 2, odd);
  ASSERT_EQ(clues.x, other.x);
  ASSERT_EQ(clues.y, other.y);
  ASSERT_EQ(clues.z, other.z);
  const SolveReport report = solveByRows(2, 2, 2, clues);
  EXPECT_TRUE(report.consistent);
  EXPECT_FALSE(report.determined);
  EXPECT_EQ(report.cellsFound, 0);
}

TEST(SolveByRows, NeverConcludesAgainstTheTrueSolution) {
  std::mt19937 random(11);
  for (int trial = 0; trial < 200; ++trial) {
    const int X = 1 + random() % 5, Y = 1 + random() % 4, Z = 1 + random() % 4;
    std::vector<bool> figure(X * Y * Z);
    for (size_t i = 0; i < figure.size(); ++i) figure[i] = random() % 2;
    ClueLists clues = computeClues(X, Y, Z, figure);
    for (auto* list : {&clues.x, &clues.y, &clues.z}) {
      for (int& code : *list) {
        if (random() % 3 == 0) code = -1;
      }
    }
    const SolveReport report = solveByRows(X, Y, Z, clues);
    ASSERT_TRUE(report.consistent);
    for (size_t i = 0; i < figure.size(); ++i) {
      if (report.cells[i] != K::unknown) {
        ASSERT_EQ(report.cells[i] == K::figure, figure[i]);
      }
    }
  }
}

TEST(SolveByRows, ReportsContradictoryClues) {
  ClueLists clues{.x = {3}, .y = {-1, -1, -1}, .z = {-1, 0, -1}};
  const SolveReport report = solveByRows(3, 1, 1, clues);
  EXPECT_FALSE(report.consistent);
  EXPECT_FALSE(report.determined);
}

TEST(SolveByRows, RefusesListsOfTheWrongLength) {
  ClueLists clues{.x = {1}, .y = {1, 1}, .z = {1}};
  EXPECT_THROW(solveByRows(3, 1, 1, clues), std::invalid_argument);
}

}  // namespace
}  // namespace sorvel
