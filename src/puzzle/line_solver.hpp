#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sorvel {

// What reasoning has established about a cell so far.
enum class Knowledge : std::uint8_t { unknown, figure, surplus };

// A shown clue taken apart: `count` figure cubes in the row, grouped by
// `style` (0: one group or none, 1: two groups, 2: three or more).
struct Clue {
  int count = 0;
  int style = 0;
};

// Nothing for a hidden clue (negative code). Codes above 29 never reach here
// (the loader refuses them).
std::optional<Clue> decodeClue(int code);

// The clue a row of figure flags deserves, or nothing when the row holds more
// than nine figure cubes: a clue shows a single digit, so such a row must stay
// without one.
std::optional<int> clueFor(const std::vector<bool>& row);

// Clue codes of every row of a block, laid out as the puzzle files hold them.
struct ClueLists {
  std::vector<int> x;  // by CellOrder::rowAlongX
  std::vector<int> y;  // by CellOrder::rowAlongY
  std::vector<int> z;  // by CellOrder::rowAlongZ
};

// Every clue of a solution (one flag per cell in block order). A row whose
// clue cannot be written gets -1, as if hidden.
ClueLists computeClues(int X, int Y, int Z, const std::vector<bool>& figure);

// One row: every arrangement that fits the clue and the cells already known is
// considered, and a cell becomes known when all of them agree on it. Nothing
// when no arrangement fits (the clue contradicts what is known).
std::optional<std::vector<Knowledge>> solveRow(const Clue& clue, std::span<const Knowledge> cells);

struct SolveReport {
  std::vector<Knowledge> cells;  // block order
  bool consistent = true;  // false when some row had no arrangement left
  bool determined = false;  // every cell known: the clues allow one answer only
  int passes = 0;  // sweeps over all rows that found something
  int rowsUsed = 0;  // row solves that found something, over all sweeps
  int cellsFound = 0;
};

// Row-by-row reasoning from the shown clues alone (negative codes are hidden),
// repeated until a sweep over every row finds nothing new. The lists must have
// the lengths a block of this size needs.
SolveReport solveByRows(int X, int Y, int Z, const ClueLists& clues);

}  // namespace sorvel
