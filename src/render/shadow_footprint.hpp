#pragma once

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

namespace sorvel {

// Where in the shadow map anything is drawn: the smallest rectangle, in map
// coordinates (0 to 1 across), that holds every caster seen from the light.
// Outside it the map keeps its cleared depth, so a point there is lit and
// the shaders need not sample the map at all; on a table of open floor that
// is most of the picture.
class ShadowFootprint {
 public:
  explicit ShadowFootprint(const glm::mat4& lightViewProj);

  // A caster within the box from `low` to `high` of its own space, placed in
  // the world by `model`. A box, not a sphere: flat things, a plinth say, cast
  // far less than the sphere around them would claim.
  void addBox(const glm::mat4& model, glm::vec3 low, glm::vec3 high);

  // min x, min y, max x, max y. With no caster the rectangle is empty: its
  // minimum lies above its maximum, so no point falls inside.
  glm::vec4 bounds() const { return bounds_; }

 private:
  void addPoint(glm::vec3 world);

  glm::mat4 lightViewProj_;
  glm::vec4 bounds_;
};

}  // namespace sorvel
