#include "puzzle/line_solver.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

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

TEST(SolveRow, AgreesWithTryingEveryArrangement) {
  // The clues the slow answer relies on, a row of ten without one included.
  const std::pair<const char*, std::optional<int>> rows[] = {
      {"0000", 0}, {"0110", 2}, {"101", 12}, {"1100111", 15}, {"10101", 23}, {"1011010111", 27},
      {"111111111", 9}, {"1111111111", std::nullopt}};
  for (const auto& [row, clue] : rows) EXPECT_EQ(clueFor(flagsOf(row)), clue) << row;
  EXPECT_EQ(computeClues(10, 1, 1, std::vector<bool>(10, true)).x[0], -1);

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

TEST(SolveByRows, SettlesOnlyWhatTheCluesForce) {
  const std::string slabFigure = "1001" "1101" "0001" "1111";
  ClueLists slab = computeClues(4, 1, 4, flagsOf(slabFigure));
  slab.y.assign(slab.y.size(), -1);  // the rows along z settle only once those along x have
  struct Case { const char* why; int X, Y, Z; ClueLists clues; bool consistent, determined; int passes; std::string answer; };
  const Case cases[] = {
      {"needs several passes", 4, 1, 4, slab, true, true, 2, slabFigure},
      // Both checkerboards of the block give every row the clue 1.
      {"two answers", 2, 2, 2, computeClues(2, 2, 2, flagsOf("1001" "0110")), true, false, 0, "????????"},
      {"contradiction", 3, 1, 1, {.x = {3}, .y = {-1, -1, -1}, .z = {-1, 0, -1}}, false, false, 0, ""}};
  for (const Case& c : cases) {
    const SolveReport report = solveByRows(c.X, c.Y, c.Z, c.clues);
    EXPECT_EQ(report.consistent, c.consistent) << c.why;
    EXPECT_EQ(report.determined, c.determined) << c.why;
    EXPECT_GE(report.passes, c.passes) << c.why;
    if (c.consistent) {
      EXPECT_EQ(report.cells, knowledgeOf(c.answer)) << c.why;
    }
  }
  EXPECT_THROW(solveByRows(3, 1, 1, {.x = {1}, .y = {1, 1}, .z = {1}}), std::invalid_argument);
}

}  // namespace
}  // namespace sorvel
