#pragma once

#include <cmath>
#include <glm/geometric.hpp>
#include <glm/vec3.hpp>

#include "base/maths.hpp"

namespace sorvel::settling {

// Eased values close in on their goals for ever; these are where they land
// on them instead, each where what is left would move the picture by less
// than a pixel at any size the window takes. Landed, the scene is still and
// the window need not draw it again.
//
// A camera angle 5e-4 radians off turns the far corner of the largest block
// by a fifth of a pixel.
inline constexpr float kAngle = 5e-4f;
// Of the camera's distance, for its distance, target and zoom.
inline constexpr float kShare = 1e-4f;
// A 0..1 ease (the clues' fade, a block rising or sinking, a mark's glaze):
// a fifth of an 8-bit step at most.
inline constexpr float kUnit = 2e-3f;

// Moves `value` the share `factor` of the way to `goal`, landing on the goal
// once within `landing`.
inline void easeBy(float& value, float goal, float factor, float landing) {
  value += (goal - value) * factor;
  if (std::abs(goal - value) <= landing) value = goal;
}

// Eases `value` towards `goal` at `rate` for `d` seconds, landing on the
// goal once within `landing`.
inline void easeTo(float& value, float goal, float rate, float d, float landing) {
  easeBy(value, goal, easeFactor(rate, d), landing);
}

inline void easeTo(glm::vec3& value, glm::vec3 goal, float rate, float d, float landing) {
  value += (goal - value) * easeFactor(rate, d);
  if (glm::length(goal - value) <= landing) value = goal;
}

}  // namespace sorvel::settling
