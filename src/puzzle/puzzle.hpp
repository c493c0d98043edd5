#pragma once

#include <cstdint>
#include <glm/vec3.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "puzzle/cell_order.hpp"
#include "puzzle/puzzle_def.hpp"

namespace sorvel {

enum class CellState : std::uint8_t { solid = 0, marked = 1, broken = 2 };

// The live state of one block. Every per-cell list and the saved text follow
// the block's CellOrder.
//
// The definition is trusted to be consistent (the loader checks it): indices
// given to coords, clues and index must lie inside the block.
class Puzzle {
 public:
  explicit Puzzle(PuzzleDef definition);

  const PuzzleDef def;
  const int X, Y, Z;
  const std::vector<bool> sol;  // true: a figure cube, which stays
  std::vector<CellState> state;
  const std::vector<int> clueX;  // rows along x, by CellOrder::rowAlongX
  const std::vector<int> clueY;  // columns along y, by CellOrder::rowAlongY
  const std::vector<int> clueZ;  // rows along z, by CellOrder::rowAlongZ
  int mistakes = 0;
  double elapsed = 0;  // seconds played

  int cellCount() const { return static_cast<int>(state.size()); }
  CellOrder order() const { return {X, Y, Z}; }
  int index(int x, int y, int z) const { return order().index(x, y, z); }
  glm::ivec3 coords(int i) const { return order().coords(i); }
  // The clue codes of the three rows through a cell: along x, y and z.
  glm::ivec3 clues(int x, int y, int z) const {
    const CellOrder o = order();
    return {clueX[o.rowAlongX(y, z)], clueY[o.rowAlongY(x, z)], clueZ[o.rowAlongZ(x, y)]};
  }

  // Surplus cubes not yet carved away (marked ones still count).
  int remainingToCarve() const;
  bool solved() const { return remainingToCarve() == 0; }

  // One digit per cell: 0 solid, 1 marked, 2 broken.
  std::string encodeState() const;
  // Takes a saved text back. A text of the wrong length (the puzzle file
  // changed since) is ignored; characters other than 1 and 2 read as solid.
  void restore(std::string_view text);
};

}  // namespace sorvel
