#include "render/shadow_footprint.hpp"

#include <glm/common.hpp>
#include <limits>

namespace sorvel {

ShadowFootprint::ShadowFootprint(const glm::mat4& lightViewProj)
    : lightViewProj_(lightViewProj),
      bounds_(std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
              std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest()) {}

void ShadowFootprint::addPoint(glm::vec3 world) {
  const glm::vec4 clip = lightViewProj_ * glm::vec4(world, 1);
  const glm::vec2 map = glm::vec2(clip) / clip.w * 0.5f + 0.5f;
  bounds_ = glm::vec4(glm::min(glm::vec2(bounds_.x, bounds_.y), map), glm::max(glm::vec2(bounds_.z, bounds_.w), map));
}

void ShadowFootprint::addBox(const glm::mat4& model, glm::vec3 low, glm::vec3 high) {
  for (int corner = 0; corner < 8; ++corner) {
    const glm::vec3 local((corner & 1) != 0 ? high.x : low.x, (corner & 2) != 0 ? high.y : low.y,
                          (corner & 4) != 0 ? high.z : low.z);
    addPoint(glm::vec3(model * glm::vec4(local, 1)));
  }
}

}  // namespace sorvel
