#pragma once

#include <glm/vec3.hpp>
#include <optional>
#include <vector>

#include "game/types.hpp"
#include "puzzle/puzzle.hpp"

namespace sorvel {

// Each block stands on a plinth this tall, its bottom layer resting a hair
// above the plinth's top.
inline constexpr float kPlinthHeight = 0.42f;
inline constexpr float kBlockFloor = 0.44f;

// How long a carved cube is seen breaking off, and a revealed one popping
// out of the block, in seconds of its clock.
inline constexpr float kBreakSeconds = 0.22f;
inline constexpr float kPopSeconds = 0.28f;

// One block standing on the table, with its per-cell animation clocks (all in
// the puzzle's cell order).
struct Slot {
  Slot(PuzzleDef def, int slotIndex)
      : puzzle(std::move(def)),
        index(slotIndex),
        breakT(static_cast<size_t>(puzzle.cellCount()), -1.0f),
        shake(static_cast<size_t>(puzzle.cellCount()), 0.0f),
        flash(static_cast<size_t>(puzzle.cellCount()), 0.0f),
        mark(static_cast<size_t>(puzzle.cellCount()), 0.0f),
        popT(static_cast<size_t>(puzzle.cellCount()), -1.0f) {}

  Puzzle puzzle;
  int index;
  glm::vec3 origin{0};  // corner of cell (0, 0, 0); y is kBlockFloor
  glm::vec3 center{0};
  MeshHandle plinth;
  float plinthRadius = 0;
  std::optional<MeshHandle> toy;
  std::optional<TextureHandle> toyTex;

  std::vector<float> breakT;  // -1 idle, counts up from 0 while breaking off
  std::vector<float> shake;   // decays to 0
  std::vector<float> flash;   // decays to 0
  std::vector<float> mark;    // eases towards the marked state
  std::vector<float> popT;    // -1 idle, counts up once the reveal pops it
  float toySpin = 0;
  float presence = 1;  // 0 sunk into the table, 1 standing
  float lift = 0;      // 1 raised under the pointer on the table, 0 at rest

  glm::vec3 cellCenter(int i) const {
    const glm::ivec3 c = puzzle.coords(i);
    return origin + glm::vec3(c) + glm::vec3(0.5f);
  }
  bool isTutorial() const { return puzzle.def.isTutorial(); }
};

}  // namespace sorvel
