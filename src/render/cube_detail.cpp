#include "render/cube_detail.hpp"

#include <algorithm>
#include <glm/geometric.hpp>
#include <limits>

namespace sorvel {

int cubeDetailSteps(const Frame& frame, int width, int height) {
  const glm::mat4& toClip = frame.uniforms.viewProj;
  // The nearest cube in front of the eye is drawn largest.
  const CubeInst* nearest = nullptr;
  float nearestDepth = std::numeric_limits<float>::max();
  for (const CubeInst& cube : frame.cubes) {
    const float depth = (toClip * glm::vec4(glm::vec3(cube.posScale), 1)).w;
    if (depth > 1e-3f && depth < nearestDepth) {
      nearestDepth = depth;
      nearest = &cube;
    }
  }
  if (nearest == nullptr) return kCubeDetailSteps.back();

  const glm::vec3 centre(nearest->posScale);
  const float radius = kCubeBevel * nearest->posScale.w;
  const auto pixel = [&](glm::vec3 p) {
    const glm::vec4 clip = toClip * glm::vec4(p, 1);
    return glm::vec2(clip.x / clip.w * static_cast<float>(width), clip.y / clip.w * static_cast<float>(height)) * 0.5f;
  };
  // Along whichever axis the view foreshortens least.
  float pixels = 0;
  for (int axis = 0; axis < 3; ++axis) {
    glm::vec3 step(0);
    step[axis] = radius;
    pixels = std::max(pixels, glm::distance(pixel(centre + step), pixel(centre)));
  }
  // With two strips a side the widest strip turns through atan(1/2), so its
  // chord strays from the curve by under a thirty-seventh of the rounding:
  // about a quarter of a pixel at 10. The chamfer's coarser shading shows
  // sooner than its outline, hence its lower bound.
  if (pixels < 1.5f) return kCubeDetailSteps[0];
  if (pixels < 10.0f) return kCubeDetailSteps[1];
  return kCubeDetailSteps[2];
}

}  // namespace sorvel
