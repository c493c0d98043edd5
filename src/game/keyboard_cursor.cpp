#include <algorithm>
#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <vector>

#include "game/game.hpp"

namespace sorvel {

BlockView Game::cursorView(const Slot& slot) const {
  const Puzzle& p = slot.puzzle;
  return {.dims = {p.X, p.Y, p.Z},
          .solid = [this, &slot](glm::ivec3 c) { return visible(slot, slot.puzzle.index(c.x, c.y, c.z)); },
          .viewProj = viewProj() * glm::translate(glm::mat4(1), slot.origin),
          .eye = eye() - slot.origin,
          .aspect = camera_.aspect};
}

std::optional<CursorSpot> Game::spotAt(const Slot& slot, const BlockView& view, glm::vec2 p) const {
  if (const auto cell = pick(slot, p)) {
    if (const auto spot = seenFace(view, slot.puzzle.coords(*cell))) return spot;
  }
  return nearestSeen(view, p);
}

std::optional<CursorSpot> Game::cursorSpot() const {
  const Slot* slot = currentSlot();
  if (!cursor_ || slot == nullptr || screen_ != Screen::playing) return std::nullopt;
  const BlockView view = cursorView(*slot);
  if (seen(view, *cursor_)) return cursor_;
  // Worked out afresh each time rather than moved for good: while the camera
  // is still on its way, the spot may come back into sight.
  const auto there = viewPointOf(view, glm::vec3(cursor_->cell) + 0.5f);
  if (!there) return nearestSeen(view, {0.5f, 0.5f});
  return spotAt(*slot, view, *there);
}

std::optional<int> Game::cursor() const {
  const auto spot = cursorSpot();
  if (!spot) return std::nullopt;
  return currentSlot()->puzzle.index(spot->cell.x, spot->cell.y, spot->cell.z);
}

void Game::moveCursor(int dx, int dy) {
  const Slot* slot = currentSlot();
  if (slot == nullptr || screen_ != Screen::playing) return;
  hover_ = -1;
  const BlockView view = cursorView(*slot);
  if (!cursor_) {
    cursor_ = spotAt(*slot, view, {0.5f, 0.5f});
    return;
  }
  cursor_ = cursorSpot();
  if (cursor_) cursor_ = stepCursor(view, *cursor_, {dx, dy});
}

void Game::applyAtCursor(bool otherTool) {
  Slot* slot = openSlot();
  if (slot == nullptr || screen_ != Screen::playing) return;
  if (!cursor_) {
    moveCursor(0, 0);
    return;
  }
  cursor_ = cursorSpot();
  if (!cursor_) return;
  const Tool other = tool_ == Tool::carve ? Tool::mark : Tool::carve;
  act(*slot, slot->puzzle.index(cursor_->cell.x, cursor_->cell.y, cursor_->cell.z), otherTool ? other : tool_);
}

void Game::hideCursor() { cursor_.reset(); }

void Game::moveHighlight(int step) {
  if (screen_ != Screen::home || slots_.empty() || !chapterOpen(shownChapter_)) return;
  const glm::mat4 vp = viewProj();
  std::vector<std::pair<glm::vec2, int>> order;
  for (const auto& slot : slots_) {
    const glm::vec4 clip = vp * glm::vec4(slot->center, 1);
    if (!(clip.w > 0)) continue;
    order.emplace_back(glm::vec2(clip.x, -clip.y) / clip.w, slot->index);
  }
  if (order.empty()) return;
  // The narrow table runs down the screen in a zigzag, the wide one across
  // it; two rows are read as a page is, the back row first.
  const int along = portrait_ ? 1 : 0;
  if (!twoRows_) {
    std::stable_sort(order.begin(), order.end(),
                     [along](const auto& a, const auto& b) { return a.first[along] < b.first[along]; });
  }
  const auto at = std::find_if(order.begin(), order.end(), [this](const auto& e) { return e.second == hoveredSlot_; });
  if (at == order.end()) {
    const auto nearest = std::min_element(order.begin(), order.end(), [](const auto& a, const auto& b) {
      return glm::length(a.first) < glm::length(b.first);
    });
    hoveredSlot_ = nearest->second;
    return;
  }
  const auto last = static_cast<long>(order.size()) - 1;
  const long to = std::clamp(static_cast<long>(at - order.begin()) + step, 0L, last);
  hoveredSlot_ = order[static_cast<size_t>(to)].second;
}

void Game::openHighlighted() {
  if (screen_ != Screen::home || !hoveredSlot_) return;
  openFromTable(*hoveredSlot_);
}

}  // namespace sorvel
