// Puzzle files sit in the resource folder where anyone can edit them. A bad
// one must stop the load with a LoadError naming it; any other exception, or
// a puzzle the live block cannot trust, is a fault.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.hpp"
#include "puzzle/library.hpp"
#include "puzzle/puzzle.hpp"

using namespace sorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PuzzleDef def;
  try {
    def = Library::parsePuzzle(fuzz::text(data, size), "fuzz/puzzle.json");
  } catch (const LoadError&) {
    return 0;
  }

  // The live block relies on the loader for its bounds and reads without
  // checking them; every one of those reads must stay inside.
  const Puzzle puzzle(def);
  fuzz::require(puzzle.X >= 1 && puzzle.Y >= 1 && puzzle.Z >= 1, "an accepted block has cubes");
  fuzz::require(puzzle.X <= Library::kMaxSide && puzzle.Y <= Library::kMaxSide && puzzle.Z <= Library::kMaxSide,
                "an accepted block keeps within the largest side");
  fuzz::require(def.id.size() <= Library::kMaxIdBytes, "an accepted id keeps within its length");
  const auto cells = static_cast<std::size_t>(puzzle.X) * static_cast<std::size_t>(puzzle.Y) *
                     static_cast<std::size_t>(puzzle.Z);
  fuzz::require(puzzle.state.size() == cells && puzzle.sol.size() == cells, "one solution entry per cell");
  fuzz::require(puzzle.clueX.size() == static_cast<std::size_t>(puzzle.Y * puzzle.Z) &&
                    puzzle.clueY.size() == static_cast<std::size_t>(puzzle.Z * puzzle.X) &&
                    puzzle.clueZ.size() == static_cast<std::size_t>(puzzle.Y * puzzle.X),
                "one clue per row of the block");
  for (int i = 0; i < puzzle.cellCount(); ++i) {
    const auto c = puzzle.coords(i);
    fuzz::require(puzzle.index(c.x, c.y, c.z) == i, "a cell's coordinates lead back to it");
    const auto codes = puzzle.clues(c.x, c.y, c.z);
    fuzz::require(codes.x <= 29 && codes.y <= 29 && codes.z <= 29, "every clue has a glyph");
  }

  // The saved state of a block must read back as it was.
  Puzzle restored(def);
  restored.restore(puzzle.encodeState());
  fuzz::require(restored.state == puzzle.state, "a block's saved state restores it");
  fuzz::require(puzzle.remainingToCarve() >= 0 && puzzle.remainingToCarve() <= puzzle.cellCount(),
                "no more cubes to carve than the block has");
  return 0;
}
