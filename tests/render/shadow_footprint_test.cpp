// The shaders skip the shadow map outside the casters' footprint, so a
// footprint that misses any part of a caster would cut its shadow short.
#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include "base/maths.hpp"
#include "render/shadow_footprint.hpp"

namespace sorvel {
namespace {

glm::vec2 toMap(const glm::mat4& light, glm::vec3 world) {
  const glm::vec4 clip = light * glm::vec4(world, 1);
  return glm::vec2(clip) / clip.w * 0.5f + 0.5f;
}

TEST(ShadowFootprint, HoldsEveryPointOfEveryCasterAndNoMore) {
  const glm::mat4 light = lightViewProjection({0.5f, 1.0f, 0.3f}, {0, 2, 0}, 12);
  // A plinth, flat and wide, turned and moved; a cube standing on it.
  const glm::mat4 plinth = glm::rotate(glm::translate(glm::mat4(1), {1, 0, -2}), 0.7f, {0, 1, 0});
  const glm::vec3 plinthLow(-5, 0, -5), plinthHigh(5, 0.4f, 5);
  const glm::vec3 cubeLow(0.5f, 0.4f, 0.5f), cubeHigh(1.5f, 1.4f, 1.5f);
  ShadowFootprint footprint(light);
  footprint.addBox(plinth, plinthLow, plinthHigh);
  footprint.addBox(glm::mat4(1), cubeLow, cubeHigh);
  const glm::vec4 b = footprint.bounds();

  glm::vec4 reached(1, 1, 0, 0);
  const auto check = [&](glm::vec3 world) {
    const glm::vec2 p = toMap(light, world);
    EXPECT_TRUE(p.x >= b.x - 1e-6f && p.y >= b.y - 1e-6f && p.x <= b.z + 1e-6f && p.y <= b.w + 1e-6f)
        << world.x << "," << world.y << "," << world.z;
    reached = glm::vec4(glm::min(glm::vec2(reached), p), glm::max(glm::vec2(reached.z, reached.w), p));
  };
  constexpr int kSteps = 12;
  for (int i = 0; i <= kSteps; ++i) {
    for (int j = 0; j <= kSteps; ++j) {
      for (int k = 0; k <= kSteps; ++k) {
        const glm::vec3 t = glm::vec3(i, j, k) / static_cast<float>(kSteps);
        check(glm::vec3(plinth * glm::vec4(glm::mix(plinthLow, plinthHigh, t), 1)));
        check(glm::mix(cubeLow, cubeHigh, t));
      }
    }
  }
  // Tight: the casters' own corners reach every side of it.
  EXPECT_NEAR(reached.x, b.x, 1e-5f);
  EXPECT_NEAR(reached.y, b.y, 1e-5f);
  EXPECT_NEAR(reached.z, b.z, 1e-5f);
  EXPECT_NEAR(reached.w, b.w, 1e-5f);
}

TEST(ShadowFootprint, WithoutCastersHoldsNothing) {
  const glm::vec4 b = ShadowFootprint(lightViewProjection({0, 1, 0}, {0, 0, 0}, 5)).bounds();
  EXPECT_GT(b.x, b.z);
  EXPECT_GT(b.y, b.w);
}

}  // namespace
}  // namespace sorvel
