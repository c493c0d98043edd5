#include "puzzle/puzzle.hpp"

#include "puzzle/text.hpp"

namespace sorvel {

namespace {

std::vector<bool> figureCells(std::string_view solution) {
  std::vector<bool> cells;
  cells.reserve(solution.size());
  for (char byte : solution) {
    if (startsCharacter(byte)) cells.push_back(byte == '1');
  }
  return cells;
}

std::vector<int> clueList(const PuzzleDef& def, const char* axis) {
  const auto found = def.clues.find(axis);
  return found == def.clues.end() ? std::vector<int>{} : found->second;
}

int dimension(const PuzzleDef& def, size_t axis) { return axis < def.dims.size() ? def.dims[axis] : 0; }

}  // namespace

Puzzle::Puzzle(PuzzleDef definition)
    : def(std::move(definition)),
      X(dimension(def, 0)),
      Y(dimension(def, 1)),
      Z(dimension(def, 2)),
      sol(figureCells(def.solution)),
      state(sol.size(), CellState::solid),
      clueX(clueList(def, "x")),
      clueY(clueList(def, "y")),
      clueZ(clueList(def, "z")) {}

int Puzzle::remainingToCarve() const {
  int remaining = 0;
  for (size_t i = 0; i < state.size(); ++i) {
    if (!sol[i] && state[i] != CellState::broken) ++remaining;
  }
  return remaining;
}

std::string Puzzle::encodeState() const {
  std::string text(state.size(), '0');
  for (size_t i = 0; i < state.size(); ++i) {
    text[i] = static_cast<char>('0' + static_cast<int>(state[i]));
  }
  return text;
}

void Puzzle::restore(std::string_view text) {
  if (countCharacters(text) != state.size()) return;
  std::vector<CellState> restored;
  restored.reserve(state.size());
  for (char byte : text) {
    if (!startsCharacter(byte)) continue;
    restored.push_back(byte == '1' ? CellState::marked
                       : byte == '2' ? CellState::broken
                                     : CellState::solid);
  }
  state = std::move(restored);
}

}  // namespace sorvel
