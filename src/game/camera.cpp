#include <algorithm>
#include <cmath>
#include <numbers>
#include <glm/geometric.hpp>

#include "base/maths.hpp"
#include "game/game.hpp"
#include "game/settling.hpp"

namespace sorvel {

namespace {

// A narrow window stacks the plinths in two columns: this much table either
// side of the middle must fit across it.
constexpr float kPortraitHalfWidth = 11.5f;
// The two columns stand this far either side of the middle, and each block
// this much further along the table than the one before.
constexpr float kPortraitColumn = 2.6f;
constexpr float kPortraitStep = 10.5f;
// Room kept between neighbouring blocks, and between plinths.
constexpr float kPortraitGap = 1.0f;
// A chapter of large blocks would stand in a row too long to see them by:
// past this width the wide table sets them out in two rows, the back one
// brought into view over the front by a steeper look.
constexpr float kLongestRow = 130.0f;
constexpr float kTwoRowPitch = 0.5f;
constexpr float kPlinthGap = 2.2f;
// Share of the view's half width and half height the table may fill: all its
// width, as the shipped table always has, but not the top and the bottom,
// where the title and the footer stand.
constexpr float kTableAcross = 1.0f;
constexpr float kTableUpward = 0.7f;
// A solved block is seen from a little further away, leaving room for its card.
constexpr float kSolvedDistance = 1.15f;
// A block in play is seen from no lower than just above its bottom and no
// higher than nearly overhead, however it is turned.
constexpr float kLowestPitch = 0.05f;
constexpr float kHighestPitch = 1.25f;
// One press of a turn key: a twelfth of the way round; a tilt key a little
// more than a tenth of the pitch's range.
constexpr float kTurnStep = std::numbers::pi_v<float> / 6;
constexpr float kTiltStep = 0.2f;

float horizontalFov(const Camera& camera) {
  return 2 * std::atan(std::tan(camera.vfov * 0.5f) * camera.aspect);
}

}  // namespace

glm::vec3 Game::eye() const {
  const float d = camera_.dist * camera_.zoom;
  return camera_.target + d * glm::vec3(std::cos(camera_.pitch) * std::sin(camera_.yaw), std::sin(camera_.pitch),
                                        std::cos(camera_.pitch) * std::cos(camera_.yaw));
}

glm::mat4 Game::viewProj() const {
  return perspective(camera_.vfov, camera_.aspect, farPlane()) * lookAt(eye(), camera_.target, {0, 1, 0});
}

float Game::homeDistance() const {
  const float halfWidth = portrait_ ? kPortraitHalfWidth : homeWidth_ * 0.5f;
  const float floor = portrait_ ? 20.0f : 30.0f;
  const float d = halfWidth / std::tan(horizontalFov(camera_) * 0.5f);
  // The width alone frames a row of small blocks; tall blocks, large ones and
  // the long portrait columns need the camera further back.
  return std::max(d > floor ? d : floor, tableFitDistance());
}

glm::vec3 Game::homeTarget() const { return portrait_ ? glm::vec3(0, 1.9f, 2) : glm::vec3(0, 5, 0); }

float Game::homePitch() const {
  if (portrait_) return 0.78f;
  return twoRows_ ? kTwoRowPitch : 0.3f;
}

// How far back the table's camera must stand for every block and plinth to be
// in view. Seen straight on (the sway aside), a point needs the distance that
// puts it at the view's edge, plus how far it stands towards the eye.
float Game::tableFitDistance() const {
  const float pitch = homePitch();
  const glm::vec3 target = homeTarget();
  const glm::vec3 back(0, std::sin(pitch), std::cos(pitch));
  const glm::vec3 up(0, std::cos(pitch), -std::sin(pitch));
  const float across = std::tan(horizontalFov(camera_) * 0.5f) * kTableAcross;
  const float upward = std::tan(camera_.vfov * 0.5f) * kTableUpward;
  float d = 0;
  const auto hold = [&](glm::vec3 point) {
    const glm::vec3 q = point - target;
    const float towards = glm::dot(q, back);
    d = std::max({d, std::abs(q.x) / across + towards, std::abs(glm::dot(q, up)) / upward + towards});
  };
  constexpr int kRimPoints = 48;
  for (const auto& slot : slots_) {
    const Puzzle& p = slot->puzzle;
    for (int corner = 0; corner < 8; ++corner) {
      hold(slot->origin + glm::vec3((corner & 1) != 0 ? static_cast<float>(p.X) : 0,
                                    (corner & 2) != 0 ? static_cast<float>(p.Y) : 0,
                                    (corner & 4) != 0 ? static_cast<float>(p.Z) : 0));
    }
    for (int k = 0; k < kRimPoints; ++k) {
      const float angle = static_cast<float>(k) * 2 * std::numbers::pi_v<float> / kRimPoints;
      const glm::vec3 rim(slot->center.x + slot->plinthRadius * std::cos(angle), 0,
                          slot->center.z + slot->plinthRadius * std::sin(angle));
      hold(rim);
      hold(rim + glm::vec3(0, kPlinthHeight, 0));
    }
  }
  return d;
}

// The usual 300 holds any view of a chapter as large as the shipped one; a
// wider table pushes it out to the far side of its furthest block.
float Game::farPlane() const {
  const glm::vec3 e = eye();
  float reach = 0;
  for (const auto& slot : slots_) {
    const Puzzle& p = slot->puzzle;
    // Holds the block, its plinth, a figure bouncing on it and chips about it.
    const float radius =
        glm::length(glm::vec3(static_cast<float>(p.X), static_cast<float>(p.Y), static_cast<float>(p.Z))) * 0.5f +
        slot->plinthRadius + 4;
    reach = std::max(reach, glm::distance(e, slot->center) + radius);
  }
  return std::max(kFarPlane, reach);
}

float Game::fitDistance(const Slot& slot) const {
  const Puzzle& p = slot.puzzle;
  const glm::vec3 dims(static_cast<float>(p.X), static_cast<float>(p.Y), static_cast<float>(p.Z));
  const float radius = glm::length(dims) * 0.5f + 0.4f;
  const float hfov = horizontalFov(camera_);
  const float fov = hfov < camera_.vfov ? hfov : camera_.vfov;
  return radius / std::sin(fov * 0.5f) * (portrait_ ? 0.98f : 1.12f);
}

float Game::playDistanceFactor(const Slot& slot) const {
  if (!slot.isTutorial()) return 1;
  return portrait_ ? 1.12f : 1.1f;
}

glm::vec3 Game::playTarget(const Slot& slot) const {
  if (!slot.isTutorial()) return slot.center + glm::vec3(0, -0.45f, 0);
  const float t = portrait_ ? 1.12f : 1.1f;
  const float u = portrait_ ? 0.22f : 0.18f;
  return slot.center + glm::vec3(0, fitDistance(slot) * t * u * std::tan(camera_.vfov * 0.5f), 0);
}

// Solved blocks are framed a little wider and lower, leaving room for the card.
float Game::solvedLift(const Slot& slot) const {
  return -fitDistance(slot) * kSolvedDistance * 0.26f * std::tan(camera_.vfov * 0.5f);
}

void Game::aimAtSolved(Slot& slot, float yaw) {
  camera_.goalTarget = slot.center + glm::vec3(0, solvedLift(slot), 0);
  camera_.goalYaw = yaw;
  camera_.goalPitch = 0.32f;
  camera_.goalDist = fitDistance(slot) * kSolvedDistance;
}

void Game::snapCamera() {
  camera_.yaw = camera_.goalYaw;
  camera_.pitch = camera_.goalPitch;
  camera_.dist = camera_.goalDist;
  camera_.target = camera_.goalTarget;
  camera_.zoom = camera_.goalZoom;
}

// The narrow table's zigzag keeps its spacing while neighbouring blocks stand
// clear of each other and the plinths of one column do not meet; larger
// blocks get columns and steps wide enough that no two plinths meet.
glm::vec2 Game::portraitSpacing() const {
  bool clear = true;
  float widest = 0;
  for (size_t i = 0; i < slots_.size(); ++i) {
    const Slot& a = *slots_[i];
    widest = std::max(widest, a.plinthRadius);
    if (i + 1 < slots_.size()) {
      const Puzzle& p = a.puzzle;
      const Puzzle& q = slots_[i + 1]->puzzle;
      const bool apartAlong = kPortraitStep >= static_cast<float>(p.Z + q.Z) * 0.5f + kPortraitGap;
      const bool apartAcross = 2 * kPortraitColumn >= static_cast<float>(p.X + q.X) * 0.5f + kPortraitGap;
      clear = clear && (apartAlong || apartAcross);
    }
    if (i + 2 < slots_.size()) {
      clear = clear && 2 * kPortraitStep >= a.plinthRadius + slots_[i + 2]->plinthRadius + kPortraitGap;
    }
  }
  if (clear) return {kPortraitColumn, kPortraitStep};
  const float half = widest + kPortraitGap * 0.5f;
  return {std::max(kPortraitColumn, half), std::max(kPortraitStep, half)};
}

void Game::layout() {
  const auto n = static_cast<float>(slots_.size());
  const glm::vec2 spacing = portrait_ ? portraitSpacing() : glm::vec2(0);
  // The plinths from `first` up to `last`, side by side.
  const auto rowWidth = [this](size_t first, size_t last) {
    float width = 0;
    for (size_t i = first; i < last; ++i) width += 2 * slots_[i]->plinthRadius + (i > first ? kPlinthGap : 0);
    return width;
  };
  const float oneRow = rowWidth(0, slots_.size());
  twoRows_ = !portrait_ && slots_.size() >= 4 && oneRow > kLongestRow;
  // In two rows the first half of the chapter stands at the back.
  const size_t backRow = twoRows_ ? (slots_.size() + 1) / 2 : slots_.size();
  float deepest = 0;
  for (const auto& slot : slots_) deepest = std::max(deepest, slot->plinthRadius);
  const float rowOffset = twoRows_ ? deepest + kPlinthGap / 2 : 0;

  float cursor = -rowWidth(0, backRow) / 2;
  for (const auto& slot : slots_) {
    const Puzzle& p = slot->puzzle;
    const glm::vec3 half(static_cast<float>(p.X) / 2, static_cast<float>(p.Y) / 2, static_cast<float>(p.Z) / 2);
    const auto i = static_cast<size_t>(slot->index);
    if (i == backRow) cursor = -rowWidth(backRow, slots_.size()) / 2;
    glm::vec3 base;  // plinth centre on the table
    if (portrait_) {
      base = {slot->index % 2 == 0 ? -spacing.x : spacing.x, 0,
              (static_cast<float>(slot->index) - (n - 1) / 2) * spacing.y};
    } else {
      base = {cursor + slot->plinthRadius, 0, i < backRow ? -rowOffset : rowOffset};
      cursor += 2 * slot->plinthRadius + kPlinthGap;
    }
    slot->origin = {base.x - half.x, kBlockFloor, base.z - half.z};
    slot->center = {base.x, kBlockFloor + half.y, base.z};
  }
  homeWidth_ = (twoRows_ ? std::max(rowWidth(0, backRow), rowWidth(backRow, slots_.size())) : oneRow) + 3;
}

void Game::viewportChanged(float aspect) {
  // A minimised window reports no height; keep the last good shape.
  if (!std::isfinite(aspect) || aspect <= 0) return;
  if (std::abs(aspect - camera_.aspect) <= 0.001f) return;
  camera_.aspect = aspect;
  const bool nowPortrait = aspect < 0.9f;
  const Slot* slot = currentSlot();
  if (nowPortrait != portrait_) {
    portrait_ = nowPortrait;
    layout();
    chips_.clear();
    if (screen_ == Screen::home) {
      goHome(false);
    } else if (slot != nullptr && screen_ == Screen::playing) {
      camera_.goalDist = fitDistance(*slot) * playDistanceFactor(*slot);
      camera_.goalTarget = camera_.target = playTarget(*slot);
    } else if (slot != nullptr && screen_ == Screen::solved) {
      camera_.goalTarget = camera_.target = slot->center + glm::vec3(0, solvedLift(*slot), 0);
    }
  }
  if (slot != nullptr) {
    const float factor = screen_ == Screen::solved ? kSolvedDistance : playDistanceFactor(*slot);
    camera_.goalDist = fitDistance(*slot) * factor;
  } else {
    camera_.goalDist = homeDistance();
  }
  if (screen_ == Screen::home) camera_.dist = camera_.goalDist;
}

void Game::drag(glm::vec2 d) {
  if (screen_ == Screen::home) {
    camera_.goalYaw = std::clamp(camera_.goalYaw + 0.004f * d.x, -0.5f, 0.5f);
    return;
  }
  camera_.goalYaw += 0.0085f * d.x;
  camera_.goalPitch = std::clamp(camera_.goalPitch + 0.0065f * d.y, kLowestPitch, kHighestPitch);
  camera_.yaw = camera_.goalYaw;
  camera_.pitch = camera_.goalPitch;
  if (peel_ == 0) updatePeelAxis();
}

void Game::turnStep(int yawSteps, int pitchSteps) {
  if (screen_ == Screen::home) return;
  camera_.goalYaw += kTurnStep * static_cast<float>(yawSteps);
  camera_.goalPitch = std::clamp(camera_.goalPitch + kTiltStep * static_cast<float>(pitchSteps), kLowestPitch,
                                 kHighestPitch);
  if (peel_ == 0) updatePeelAxis();
}

void Game::zoomBy(float factor) {
  if (screen_ == Screen::home || !std::isfinite(factor) || factor <= 0) return;
  camera_.zoom = camera_.goalZoom = std::clamp(camera_.zoom * factor, Camera::kMinZoom, Camera::kMaxZoom);
}

void Game::placeCamera(float yaw, float pitch, float zoom) {
  camera_.goalYaw = yaw;
  camera_.goalPitch = pitch;
  camera_.goalZoom = zoom;
  snapCamera();
}

void Game::easeCamera(float d) {
  // A player who asked for less motion sees each new view at once, and a
  // table that holds still.
  if (preferences_.reducedMotion) {
    homeSway_ = 0;
    snapCamera();
    return;
  }
  using settling::easeTo;
  const float nearby = settling::kShare * camera_.goalDist;
  easeTo(camera_.yaw, camera_.goalYaw, 7, d, settling::kAngle);
  easeTo(camera_.pitch, camera_.goalPitch, 7, d, settling::kAngle);
  easeTo(camera_.dist, camera_.goalDist, 4.5f, d, nearby);
  easeTo(camera_.target, camera_.goalTarget, 4.5f, d, nearby);
  easeTo(camera_.zoom, camera_.goalZoom, 4.5f, d, settling::kShare * camera_.goalZoom);
  if (screen_ == Screen::home) {
    homeSway_ = std::sin(time_ * 0.25f) * 0.06f;
    camera_.yaw += (camera_.goalYaw + homeSway_ - camera_.yaw) * easeFactor(2, d);
  }
}

}  // namespace sorvel
