#include <cmath>
#include <glm/geometric.hpp>

#include "base/maths.hpp"
#include "game/game.hpp"

namespace sorvel {

namespace {

// A narrow window stacks the plinths in two columns: this much table either
// side of the middle must fit across it.
constexpr float kPortraitHalfWidth = 11.5f;
// A solved block is seen from a little further away, leaving room for its card.
constexpr float kSolvedDistance = 1.15f;

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
  return perspective(camera_.vfov, camera_.aspect) * lookAt(eye(), camera_.target, {0, 1, 0});
}

float Game::homeDistance() const {
  const float halfWidth = portrait_ ? kPortraitHalfWidth : homeWidth_ * 0.5f;
  const float floor = portrait_ ? 20.0f : 30.0f;
  const float d = halfWidth / std::tan(horizontalFov(camera_) * 0.5f);
  return d > floor ? d : floor;
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

void Game::layout() {
  const auto n = static_cast<float>(slots_.size());
  float width = 0;
  for (const auto& slot : slots_) width += 2 * slot->plinthRadius;
  width += (n - 1) * 2.2f;
  if (slots_.empty()) width = 0;

  float cursor = -width / 2;
  for (const auto& slot : slots_) {
    const Puzzle& p = slot->puzzle;
    const glm::vec3 half(static_cast<float>(p.X) / 2, static_cast<float>(p.Y) / 2, static_cast<float>(p.Z) / 2);
    glm::vec3 base;  // plinth centre on the table
    if (portrait_) {
      base = {slot->index % 2 == 0 ? -2.6f : 2.6f, 0,
              (static_cast<float>(slot->index) - (n - 1) / 2) * 10.5f};
    } else {
      base = {cursor + slot->plinthRadius, 0, 0};
      cursor += 2 * slot->plinthRadius + 2.2f;
    }
    slot->origin = {base.x - half.x, kBlockFloor, base.z - half.z};
    slot->center = {base.x, kBlockFloor + half.y, base.z};
  }
  homeWidth_ = width + 3;
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
  camera_.goalPitch = std::clamp(camera_.goalPitch + 0.0065f * d.y, 0.05f, 1.25f);
  camera_.yaw = camera_.goalYaw;
  camera_.pitch = camera_.goalPitch;
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
  const float turn = easeFactor(7, d);
  const float glide = easeFactor(4.5f, d);
  camera_.yaw += (camera_.goalYaw - camera_.yaw) * turn;
  camera_.pitch += (camera_.goalPitch - camera_.pitch) * turn;
  camera_.dist += (camera_.goalDist - camera_.dist) * glide;
  camera_.target += (camera_.goalTarget - camera_.target) * glide;
  camera_.zoom += (camera_.goalZoom - camera_.zoom) * glide;
  if (screen_ == Screen::home) {
    homeSway_ = std::sin(time_ * 0.25f) * 0.06f;
    camera_.yaw += (camera_.goalYaw + homeSway_ - camera_.yaw) * easeFactor(2, d);
  }
}

}  // namespace sorvel
