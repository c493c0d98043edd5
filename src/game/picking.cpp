#include <cmath>
#include <glm/geometric.hpp>
#include <glm/mat4x4.hpp>

#include "game/game.hpp"

namespace sorvel {

namespace {

constexpr float kParallel = 1e-8f;
constexpr float kFar = 1e9f;

// Slab test of a ray against an axis-aligned box; the entry distance on a hit.
std::optional<float> enterBox(glm::vec3 o, glm::vec3 d, glm::vec3 lo, glm::vec3 hi) {
  float tmin = 0, tmax = kFar;
  for (int axis = 0; axis < 3; ++axis) {
    if (std::abs(d[axis]) < kParallel) {
      if (o[axis] < lo[axis] || o[axis] > hi[axis]) return std::nullopt;
      continue;
    }
    const float t0 = (lo[axis] - o[axis]) / d[axis];
    const float t1 = (hi[axis] - o[axis]) / d[axis];
    tmin = std::max(tmin, std::min(t0, t1));
    tmax = std::min(tmax, std::max(t0, t1));
  }
  if (tmin > tmax) return std::nullopt;
  return tmin;
}

}  // namespace

std::pair<glm::vec3, glm::vec3> Game::ray(glm::vec2 p) const {
  const glm::mat4 inverse = glm::inverse(viewProj());
  const float nx = 2 * p.x - 1, ny = 1 - 2 * p.y;
  glm::vec4 nearPoint = inverse * glm::vec4(nx, ny, 0, 1);
  glm::vec4 farPoint = inverse * glm::vec4(nx, ny, 1, 1);
  const glm::vec3 origin = glm::vec3(nearPoint) / nearPoint.w;
  return {origin, glm::normalize(glm::vec3(farPoint) / farPoint.w - origin)};
}

std::optional<int> Game::pick(const Slot& slot, glm::vec2 p) const {
  const Puzzle& puzzle = slot.puzzle;
  const auto [worldOrigin, d] = ray(p);
  const glm::vec3 o = worldOrigin - slot.origin;
  // A degenerate camera (a window with no height) gives no ray at all.
  if (!std::isfinite(d.x + d.y + d.z + o.x + o.y + o.z)) return std::nullopt;
  const glm::ivec3 dims(puzzle.X, puzzle.Y, puzzle.Z);
  const auto entry = enterBox(o, d, glm::vec3(0), glm::vec3(dims));
  if (!entry) return std::nullopt;

  // Walk the grid cell by cell from where the ray enters, looking through
  // carved and peeled cells.
  const glm::vec3 start = o + d * (*entry + 1e-4f);
  glm::ivec3 cell, step;
  glm::vec3 next, increment;
  for (int axis = 0; axis < 3; ++axis) {
    cell[axis] = std::clamp(static_cast<int>(std::floor(start[axis])), 0, dims[axis] - 1);
    step[axis] = d[axis] > 0 ? 1 : -1;
    if (std::abs(d[axis]) < kParallel) {
      next[axis] = increment[axis] = kFar;
    } else {
      next[axis] = (static_cast<float>(cell[axis] + (d[axis] > 0 ? 1 : 0)) - o[axis]) / d[axis];
      increment[axis] = std::abs(1 / d[axis]);
    }
  }
  for (;;) {
    for (int axis = 0; axis < 3; ++axis) {
      if (cell[axis] < 0 || cell[axis] >= dims[axis]) return std::nullopt;
    }
    const int index = puzzle.index(cell.x, cell.y, cell.z);
    if (visible(slot, index)) return index;
    const int axis = next.x < next.y && next.x < next.z ? 0 : next.y < next.z ? 1 : 2;
    cell[axis] += step[axis];
    next[axis] += increment[axis];
  }
}

void Game::tap(glm::vec2 p, bool alternate) {
  if (screen_ == Screen::playing) {
    Slot* slot = openSlot();
    if (slot == nullptr) return;
    if (auto cell = pick(*slot, p)) {
      const Tool other = tool_ == Tool::carve ? Tool::mark : Tool::carve;
      act(*slot, *cell, alternate ? other : tool_);
    }
    return;
  }
  if (screen_ != Screen::home) return;
  if (const auto index = slotAt(p)) openFromTable(*index);
}

std::optional<int> Game::slotAt(glm::vec2 p) const {
  const auto [o, d] = ray(p);
  std::optional<int> winner;
  float nearest = 0;
  for (const auto& slot : slots_) {
    const float r = slot->plinthRadius;
    const glm::vec3 lo(slot->center.x - r, 0, slot->center.z - r);
    const glm::vec3 hi(slot->center.x + r, slot->origin.y + static_cast<float>(slot->puzzle.Y),
                       slot->center.z + r);
    if (auto t = enterBox(o, d, lo, hi); t && (!winner || *t < nearest)) {
      winner = slot->index;
      nearest = *t;
    }
  }
  return winner;
}

void Game::showTouch(glm::vec2 p) {
  if (preferences_.reducedMotion) return;
  setTouchFX(TouchFX{.x = p.x, .y = p.y, .id = touchFX_ ? touchFX_->id + 1 : 1});
}

void Game::hoverAt(std::optional<glm::vec2> p) {
  // A pointer leaving the view says nothing of the keyboard's cursor.
  if (p) hideCursor();
  // A closed chapter's blocks do not rise: nothing opens them.
  hoveredSlot_ = p && screen_ == Screen::home && chapterOpen(shownChapter_) ? slotAt(*p) : std::nullopt;
  const Slot* slot = currentSlot();
  if (!p || screen_ != Screen::playing || slot == nullptr) {
    hover_ = -1;
    return;
  }
  hover_ = pick(*slot, *p).value_or(-1);
}

}  // namespace sorvel
