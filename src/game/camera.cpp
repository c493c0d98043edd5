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
  const float d = camera.dist * camera.zoom;
  return camera.target + d * glm::vec3(std::cos(camera.pitch) * std::sin(camera.yaw), std::sin(camera.pitch),
                                       std::cos(camera.pitch) * std::cos(camera.yaw));
}

glm::mat4 Game::viewProj() const {
  return perspective(camera.vfov, camera.aspect) * lookAt(eye(), camera.target, {0, 1, 0});
}

float Game::homeDistance() const {
  const float halfWidth = portrait ? kPortraitHalfWidth : homeWidth * 0.5f;
  const float floor = portrait ? 20.0f : 30.0f;
  const float d = halfWidth / std::tan(horizontalFov(camera) * 0.5f);
  return d > floor ? d : floor;
}

float Game::fitDistance(const Slot& slot) const {
  const Puzzle& p = slot.puzzle;
  const glm::vec3 dims(static_cast<float>(p.X), static_cast<float>(p.Y), static_cast<float>(p.Z));
  const float radius = glm::length(dims) * 0.5f + 0.4f;
  const float hfov = horizontalFov(camera);
  const float fov = hfov < camera.vfov ? hfov : camera.vfov;
  return radius / std::sin(fov * 0.5f) * (portrait ? 0.98f : 1.12f);
}

float Game::playDistanceFactor(const Slot& slot) const {
  if (!slot.isTutorial()) return 1;
  return portrait ? 1.12f : 1.1f;
}

glm::vec3 Game::playTarget(const Slot& slot) const {
  if (!slot.isTutorial()) return slot.center + glm::vec3(0, -0.45f, 0);
  const float t = portrait ? 1.12f : 1.1f;
  const float u = portrait ? 0.22f : 0.18f;
  return slot.center + glm::vec3(0, fitDistance(slot) * t * u * std::tan(camera.vfov * 0.5f), 0);
}

// Solved blocks are framed a little wider and lower, leaving room for the card.
float Game::solvedLift(const Slot& slot) const {
  return -fitDistance(slot) * kSolvedDistance * 0.26f * std::tan(camera.vfov * 0.5f);
}

void Game::aimAtSolved(Slot& slot, float yaw) {
  camera.goalTarget = slot.center + glm::vec3(0, solvedLift(slot), 0);
  camera.goalYaw = yaw;
  camera.goalPitch = 0.32f;
  camera.goalDist = fitDistance(slot) * kSolvedDistance;
}

void Game::snapCamera() {
  camera.yaw = camera.goalYaw;
  camera.pitch = camera.goalPitch;
  camera.dist = camera.goalDist;
  camera.target = camera.goalTarget;
}

void Game::layout() {
  const auto n = static_cast<float>(slots.size());
  float width = 0;
  for (const auto& slot : slots) width += 2 * slot->plinthRadius;
  width += (n - 1) * 2.2f;
  if (slots.empty()) width = 0;

  float cursor = -width / 2;
  for (const auto& slot : slots) {
    const Puzzle& p = slot->puzzle;
    const glm::vec3 half(static_cast<float>(p.X) / 2, static_cast<float>(p.Y) / 2, static_cast<float>(p.Z) / 2);
    glm::vec3 base;  // plinth centre on the table
    if (portrait) {
      base = {slot->index % 2 == 0 ? -2.6f : 2.6f, 0,
              (static_cast<float>(slot->index) - (n - 1) / 2) * 10.5f};
    } else {
      base = {cursor + slot->plinthRadius, 0, 0};
      cursor += 2 * slot->plinthRadius + 2.2f;
    }
    slot->origin = {base.x - half.x, kBlockFloor, base.z - half.z};
    slot->center = {base.x, kBlockFloor + half.y, base.z};
  }
  homeWidth = width + 3;
}

void Game::viewportChanged(float aspect) {
  // A minimised window reports no height; keep the last good shape.
  if (!std::isfinite(aspect) || aspect <= 0) return;
  if (std::abs(aspect - camera.aspect) <= 0.001f) return;
  camera.aspect = aspect;
  const bool nowPortrait = aspect < 0.9f;
  Slot* slot = currentSlot();
  if (nowPortrait != portrait) {
    portrait = nowPortrait;
    layout();
    chips.clear();
    if (screen_ == Screen::home) {
      goHome(false);
    } else if (slot != nullptr && screen_ == Screen::playing) {
      camera.goalDist = fitDistance(*slot) * playDistanceFactor(*slot);
      camera.goalTarget = camera.target = playTarget(*slot);
    } else if (slot != nullptr && screen_ == Screen::solved) {
      camera.goalTarget = camera.target = slot->center + glm::vec3(0, solvedLift(*slot), 0);
    }
  }
  if (slot != nullptr) {
    const float factor = screen_ == Screen::solved ? kSolvedDistance : playDistanceFactor(*slot);
    camera.goalDist = fitDistance(*slot) * factor;
  } else {
    camera.goalDist = homeDistance();
  }
  if (screen_ == Screen::home) camera.dist = camera.goalDist;
}

void Game::drag(glm::vec2 d) {
  if (screen_ == Screen::home) {
    camera.goalYaw = std::clamp(camera.goalYaw + 0.004f * d.x, -0.5f, 0.5f);
    return;
  }
  camera.goalYaw += 0.0085f * d.x;
  camera.goalPitch = std::clamp(camera.goalPitch + 0.0065f * d.y, 0.05f, 1.25f);
  camera.yaw = camera.goalYaw;
  camera.pitch = camera.goalPitch;
  if (peel_ == 0) updatePeelAxis();
}

void Game::zoomBy(float factor) {
  if (screen_ == Screen::home || !std::isfinite(factor) || factor <= 0) return;
  camera.zoom = std::clamp(camera.zoom * factor, Camera::kMinZoom, Camera::kMaxZoom);
}

void Game::placeCamera(float yaw, float pitch, float zoom) {
  camera.goalYaw = yaw;
  camera.goalPitch = pitch;
  camera.zoom = zoom;
  snapCamera();
}

void Game::easeCamera(float d) {
  const float turn = easeFactor(7, d);
  const float glide = easeFactor(4.5f, d);
  camera.yaw += (camera.goalYaw - camera.yaw) * turn;
  camera.pitch += (camera.goalPitch - camera.pitch) * turn;
  camera.dist += (camera.goalDist - camera.dist) * glide;
  camera.target += (camera.goalTarget - camera.target) * glide;
  if (screen_ == Screen::home) {
    homeSway = std::sin(time * 0.25f) * 0.06f;
    camera.yaw += (camera.goalYaw + homeSway - camera.yaw) * easeFactor(2, d);
  }
}

}  // namespace sorvel
