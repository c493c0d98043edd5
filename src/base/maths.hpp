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

// Right-handed perspective with depth from 0 at the near plane (0.5) to 1 at
// the far plane (300).
inline glm::mat4 perspective(float vfov, float aspect) {
  const float f = 1.0f / std::tan(vfov * 0.5f);
  glm::mat4 m(0.0f);
  m[0][0] = f / aspect;
  m[1][1] = f;
  m[2][2] = -1.00166941f;
  m[2][3] = -1.0f;
  m[3][2] = -0.500834703f;
  return m;
}

// Exponential easing towards a goal: frame-rate independent.
inline float easeFactor(float rate, float dt) { return 1.0f - std::exp(-rate * dt); }

}  // namespace sorvel
