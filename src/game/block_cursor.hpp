#pragma once

// The keyboard cursor's walk over a block: from cube to cube across the
// faces the player sees, in the screen's directions. Knows nothing of the
// game; everything is in the block's own coordinates, where cell (x, y, z)
// spans [x, x + 1] by [y, y + 1] by [z, z + 1].

#include <functional>
#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <optional>

namespace sorvel {

// Where the cursor rests: a cube, and the face of it it is seen on.
struct CursorSpot {
  glm::ivec3 cell{0};
  glm::ivec3 normal{0, 0, 1};  // one of the six axis directions, out of the cube
  bool operator==(const CursorSpot&) const = default;
};

struct BlockView {
  glm::ivec3 dims{0};
  // Whether a cube stands at a cell inside `dims` (one carved or peeled
  // away does not); never asked about cells outside.
  std::function<bool(glm::ivec3)> solid;
  glm::mat4 viewProj{1};  // block coordinates to clip space
  glm::vec3 eye{0};
  float aspect = 1;  // the view's width over its height, so that screen directions are true
};

glm::vec3 faceCentre(CursorSpot spot);

// The view point (x right, y down, 0 to 1 across the view) at which a point
// of the block appears; none behind the eye or through a broken camera.
std::optional<glm::vec2> viewPointOf(const BlockView& view, glm::vec3 p);

// Whether the player sees the spot: its cube stands, its face is open, turned
// towards the eye (a face seen edge-on is as good as hidden) and nothing
// stands between the eye and the face's centre.
bool seen(const BlockView& view, CursorSpot spot);

// The face of `cell` seen most squarely; none when no face of it is seen.
std::optional<CursorSpot> seenFace(const BlockView& view, glm::ivec3 cell);

// Of all the spots seen, the one whose face centre appears nearest `p`.
std::optional<CursorSpot> nearestSeen(const BlockView& view, glm::vec2 p);

// One step from `from` in screen direction `step` (x right, y down): across
// the face, up a step onto the wall of a hollow, or over the block's edge
// onto the next face. A step onto a spot the player would not see goes
// instead to the nearest seen spot that lies that way on screen (another
// part of the block, a floor behind a wall); with none, the cursor stays.
CursorSpot stepCursor(const BlockView& view, CursorSpot from, glm::ivec2 step);

}  // namespace sorvel
