#pragma once

#include <cmath>
#include <glm/geometric.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

namespace sorvel {

// Right-handed view matrix (column-major, column vectors), as the camera and
// the shaders expect it.
inline glm::mat4 lookAt(glm::vec3 eye, glm::vec3 target, glm::vec3 up) {
  const glm::vec3 z = glm::normalize(eye - target);
  const glm::vec3 x = glm::normalize(glm::cross(up, z));
  const glm::vec3 y = glm::cross(z, x);
  glm::mat4 m(1.0f);
  m[0] = {x.x, y.x, z.x, 0};
  m[1] = {x.y, y.y, z.y, 0};
  m[2] = {x.z, y.z, z.z, 0};
  m[3] = {-glm::dot(x, eye), -glm::dot(y, eye), -glm::dot(z, eye), 1};
  return m;
}

inline constexpr float kNearPlane = 0.5f;
inline constexpr float kFarPlane = 300.0f;

// Right-handed perspective with depth from 0 at the near plane to 1 at the
// far plane.
inline glm::mat4 perspective(float vfov, float aspect, float far = kFarPlane) {
  const float f = 1.0f / std::tan(vfov * 0.5f);
  glm::mat4 m(0.0f);
  m[0][0] = f / aspect;
  m[1][1] = f;
  m[2][2] = far / (kNearPlane - far);
  m[2][3] = -1.0f;
  m[3][2] = kNearPlane * far / (kNearPlane - far);
  return m;
}

// The shadow map's camera: an orthographic box of half-extent r around
// `center`, looking back along `lightDir` from 2r away, with depth running
// from 0 at 0.1 to 1 at 4r. A zero light direction falls back to straight
// overhead, and an area of no size to a small one, rather than poisoning the
// matrix with NaNs.
inline glm::mat4 lightViewProjection(glm::vec3 lightDir, glm::vec3 center, float r) {
  if (!(r >= 0.05f)) r = 0.05f;
  const float length = glm::length(lightDir);
  const glm::vec3 l = length > 1e-12f ? lightDir / length : glm::vec3(0, 1, 0);
  const glm::vec3 up = std::abs(l.y) > 0.95f ? glm::vec3(0, 0, 1) : glm::vec3(0, 1, 0);
  const glm::mat4 view = lookAt(center + 2.0f * r * l, center, up);
  const float n = 0.1f, f = 4.0f * r;
  glm::mat4 projection(0.0f);
  projection[0][0] = 1.0f / r;
  projection[1][1] = 1.0f / r;
  projection[2][2] = 1.0f / (n - f);
  projection[3][2] = n / (n - f);
  projection[3][3] = 1.0f;
  return projection * view;
}

// Exponential easing towards a goal: frame-rate independent.
inline float easeFactor(float rate, float dt) { return 1.0f - std::exp(-rate * dt); }

}  // namespace sorvel
