#pragma once

#include <glm/vec3.hpp>

namespace sorvel {

// How a block of X by Y by Z cubes numbers its cells and its rows; every
// per-cell list, the saved text, the puzzle files and the author tool share
// it. Cell (x, y, z) has index (y*Z + z)*X + x: x fastest, then z, then y, so
// the cells come in horizontal layers from the bottom up. A row is numbered
// by the two coordinates it does not run along, in the same spirit.
//
// Nothing is checked: the coordinates must lie inside the block.
struct CellOrder {
  int X = 0, Y = 0, Z = 0;

  constexpr int index(int x, int y, int z) const { return (y * Z + z) * X + x; }
  glm::ivec3 coords(int i) const { return {i % X, i / (X * Z), (i / X) % Z}; }

  // The row along x through (y, z), the column along y through (x, z) and
  // the row along z through (x, y).
  constexpr int rowAlongX(int y, int z) const { return y * Z + z; }
  constexpr int rowAlongY(int x, int z) const { return z * X + x; }
  constexpr int rowAlongZ(int x, int y) const { return y * X + x; }
};

}  // namespace sorvel
