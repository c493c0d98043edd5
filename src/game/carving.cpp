#include <algorithm>
#include <glm/geometric.hpp>
#include <numeric>

#include "game/game.hpp"

namespace sorvel {

void Game::act(int i, Tool tool) {
  Slot* slot = openSlot();
  if (slot == nullptr || screen_ != Screen::playing || i < 0 || i >= slot->puzzle.cellCount()) return;
  act(*slot, i, tool);
}

void Game::act(Slot& slot, int i, Tool tool) {
  Puzzle& p = slot.puzzle;
  const auto cell = static_cast<size_t>(i);
  const CellState before = p.state[cell];
  if (tool == Tool::carve) {
    if (p.state[cell] == CellState::marked) {
      // Marks protect cubes: refuse, and keep the mark.
      slot.shake[cell] = preferences_.reducedMotion ? 0 : 0.15f;
      sound_.play(SoundKind::tick, 1.0f);
      return;
    }
    if (p.sol[cell]) {
      // A cube of the figure is never lost: it stays, marked, and counts as a mistake.
      slot.shake[cell] = preferences_.reducedMotion ? 0 : 0.35f;
      slot.flash[cell] = 1;
      ++p.mistakes;
      setMistakes(p.mistakes);
      p.state[cell] = CellState::marked;
      sound_.play(SoundKind::error, 1.0f);
    } else {
      sound_.play(SoundKind::carve, 0.85f);
      breakOff(slot, i);
    }
  } else if (p.state[cell] == CellState::solid) {
    p.state[cell] = CellState::marked;
    sound_.play(SoundKind::mark, 0.7f);
  } else if (p.state[cell] == CellState::marked) {
    p.state[cell] = CellState::solid;
    sound_.play(SoundKind::unmark, 0.7f);
  }
  if (p.state[cell] != before) recordStep(i, before, p.state[cell]);
  save(slot);
  updateGuide();
}

void Game::breakOff(Slot& slot, int i) {
  Puzzle& p = slot.puzzle;
  const auto cell = static_cast<size_t>(i);
  p.state[cell] = CellState::broken;
  slot.breakT[cell] = 0;
  // A player who carves has read enough: the guide's introduction gives way
  // to its first step.
  guideIntroDone_ = true;
  spawnChips(slot.cellCenter(i), 5, 1);
  if (p.solved()) startReveal(slot);
}

void Game::startReveal(Slot& slot) {
  revealT_ = 0;
  setLastTime(slot.puzzle.elapsed);
  setPeelValue(0);
  hover_ = -1;
  std::set<std::string> solved = solvedIDs_;
  solved.insert(slot.puzzle.def.id);
  setSolvedIDs(std::move(solved));
  saveSolved();
  setScreen(Screen::solved);
  aimAtSolved(slot, camera_.yaw + 0.6f);
}

void Game::autoMark(int count) {
  Slot* slot = openSlot();
  if (slot == nullptr || count <= 0) return;
  const Puzzle& p = slot->puzzle;
  std::vector<int> candidates;
  for (int i = 0; i < p.cellCount(); ++i) {
    if (p.sol[static_cast<size_t>(i)] && p.state[static_cast<size_t>(i)] == CellState::solid) {
      candidates.push_back(i);
    }
  }
  const glm::vec3 e = eye();
  std::stable_sort(candidates.begin(), candidates.end(), [&](int a, int b) {
    return glm::distance(e, slot->cellCenter(a)) < glm::distance(e, slot->cellCenter(b));
  });
  candidates.resize(std::min(candidates.size(), static_cast<size_t>(count)));
  for (int i : candidates) act(*slot, i, Tool::mark);
}

bool Game::autoCarveStep() {
  Slot* slot = openSlot();
  if (screen_ != Screen::playing || slot == nullptr) return false;
  const Puzzle& p = slot->puzzle;
  const glm::vec3 e = eye();
  int best = -1;
  float bestDistance = 0;
  for (int i = 0; i < p.cellCount(); ++i) {
    if (p.sol[static_cast<size_t>(i)] || p.state[static_cast<size_t>(i)] == CellState::broken) continue;
    const float d = glm::distance(e, slot->cellCenter(i));
    if (best < 0 || d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  if (best < 0) return false;
  act(*slot, best, Tool::carve);
  return true;
}

void Game::tapCell(int x, int y, int z) {
  const Slot* slot = currentSlot();
  if (slot == nullptr) return;
  const Puzzle& p = slot->puzzle;
  const glm::vec3 c = slot->origin + glm::vec3(x, y, z) + glm::vec3(0.5f);
  const glm::vec3 towardsEye = glm::normalize(eye() - c);
  // Tap the open face that looks most towards the camera, as a player would.
  float bestScore = -2;
  glm::vec3 normal(0, 1, 0);
  for (int axis = 0; axis < 3; ++axis) {
    for (int side : {1, -1}) {
      glm::ivec3 neighbour(x, y, z);
      neighbour[axis] += side;
      const bool outside = neighbour.x < 0 || neighbour.y < 0 || neighbour.z < 0 || neighbour.x >= p.X ||
                           neighbour.y >= p.Y || neighbour.z >= p.Z;
      if (!outside && visible(*slot, p.index(neighbour.x, neighbour.y, neighbour.z))) continue;
      glm::vec3 n(0);
      n[axis] = static_cast<float>(side);
      const float score = glm::dot(towardsEye, n);
      if (score > bestScore) {
        bestScore = score;
        normal = n;
      }
    }
  }
  const glm::vec4 clip = viewProj() * glm::vec4(c + kCubeHalf * normal, 1);
  const glm::vec2 point(clip.x / clip.w * 0.5f + 0.5f, 0.5f - clip.y / clip.w * 0.5f);
  showTouch(point);
  tap(point, false);
}

}  // namespace sorvel
