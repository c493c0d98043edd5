#include "game/block_cursor.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <glm/geometric.hpp>
#include <glm/vec4.hpp>
#include <limits>

namespace sorvel {

namespace {

constexpr std::array<glm::ivec3, 6> kNormals = {
    glm::ivec3(1, 0, 0), glm::ivec3(-1, 0, 0), glm::ivec3(0, 1, 0),
    glm::ivec3(0, -1, 0), glm::ivec3(0, 0, 1), glm::ivec3(0, 0, -1)};

// A face turned less than this towards the eye (the cosine of the angle from
// its normal) is a sliver on screen: the cursor on it could not be seen.
constexpr float kEdgeOn = 0.06f;
// The line of sight aims this far inside the face, so that it ends in the
// face's own cube rather than on its border.
constexpr float kInside = 0.01f;
// A jump across the screen takes a spot within 45 degrees of the asked
// direction, and counts every step aside as two along it.
constexpr float kAsidePenalty = 2;

bool inside(const BlockView& view, glm::ivec3 c) {
  return c.x >= 0 && c.y >= 0 && c.z >= 0 && c.x < view.dims.x && c.y < view.dims.y && c.z < view.dims.z;
}

bool standing(const BlockView& view, glm::ivec3 c) { return inside(view, c) && view.solid(c); }

// The first standing cube on the line of sight from the eye to `to`.
std::optional<glm::ivec3> firstStanding(const BlockView& view, glm::vec3 to) {
  const glm::vec3 from = view.eye;
  const glm::vec3 d = to - from;
  const glm::vec3 hi(view.dims);
  float t0 = 0, t1 = 1;
  for (int axis = 0; axis < 3; ++axis) {
    if (d[axis] == 0) {
      if (from[axis] < 0 || from[axis] > hi[axis]) return std::nullopt;
      continue;
    }
    const float a = -from[axis] / d[axis];
    const float b = (hi[axis] - from[axis]) / d[axis];
    t0 = std::max(t0, std::min(a, b));
    t1 = std::min(t1, std::max(a, b));
  }
  if (!(t0 <= t1)) return std::nullopt;

  constexpr float kNever = std::numeric_limits<float>::infinity();
  const glm::vec3 start = from + d * t0;
  glm::ivec3 cell, step;
  glm::vec3 next, increment;
  for (int axis = 0; axis < 3; ++axis) {
    // Nudged along the line, so that entering on a cell border starts in the
    // cell the line goes into.
    const float at = start[axis] + (d[axis] > 0 ? 1e-4f : d[axis] < 0 ? -1e-4f : 0);
    cell[axis] = std::clamp(static_cast<int>(std::floor(at)), 0, view.dims[axis] - 1);
    step[axis] = d[axis] > 0 ? 1 : -1;
    if (d[axis] == 0) {
      next[axis] = increment[axis] = kNever;
    } else {
      next[axis] = (static_cast<float>(cell[axis] + (d[axis] > 0 ? 1 : 0)) - from[axis]) / d[axis];
      increment[axis] = std::abs(1 / d[axis]);
    }
  }
  while (inside(view, cell)) {
    if (view.solid(cell)) return cell;
    const int axis = next.x < next.y && next.x < next.z ? 0 : next.y < next.z ? 1 : 2;
    if (next[axis] > t1) return std::nullopt;
    cell[axis] += step[axis];
    next[axis] += increment[axis];
  }
  return std::nullopt;
}

// How squarely the spot's face looks at the eye: 1 head-on, 0 edge-on.
float facing(const BlockView& view, CursorSpot spot) {
  const glm::vec3 towardsEye = view.eye - faceCentre(spot);
  const float length = glm::length(towardsEye);
  if (!(length > 0)) return 0;
  return glm::dot(glm::vec3(spot.normal), towardsEye) / length;
}

// A difference of view points measured as on screen, where the view is
// `aspect` times wider than high.
glm::vec2 onScreen(const BlockView& view, glm::vec2 delta) { return {delta.x * view.aspect, delta.y}; }

// The spot a step in world direction `m` (along the face) reaches, before
// asking whether it is seen.
CursorSpot walk(const BlockView& view, CursorSpot from, glm::ivec3 m) {
  const glm::ivec3 c = from.cell;
  const glm::ivec3 n = from.normal;
  if (standing(view, c + m + n)) return {c + m + n, -m};  // a wall rising beside: onto it
  if (standing(view, c + m)) return {c + m, n};           // the same face goes on
  return {c, m};                                          // over the edge
}

// Of the face's four directions, the one that looks most like `dir` on screen.
std::optional<glm::ivec3> worldDirection(const BlockView& view, CursorSpot spot, glm::vec2 origin, glm::vec2 dir) {
  std::optional<glm::ivec3> best;
  float bestCos = -2;
  for (const glm::ivec3 m : kNormals) {
    if (m == spot.normal || m == -spot.normal) continue;
    const auto reached = viewPointOf(view, faceCentre(spot) + 0.5f * glm::vec3(m));
    if (!reached) continue;
    const glm::vec2 delta = onScreen(view, *reached - origin);
    const float length = glm::length(delta);
    if (!(length > 0)) continue;
    const float c = glm::dot(delta, dir) / length;
    if (c > bestCos) {
      bestCos = c;
      best = m;
    }
  }
  return best;
}

// Of every seen spot, the one `score` rates lowest from where it shows on
// screen; a score of nothing leaves the spot out.
template <typename Score>
std::optional<CursorSpot> bestSeen(const BlockView& view, Score score) {
  std::optional<CursorSpot> best;
  float bestScore = std::numeric_limits<float>::infinity();
  for (int x = 0; x < view.dims.x; ++x) {
    for (int y = 0; y < view.dims.y; ++y) {
      for (int z = 0; z < view.dims.z; ++z) {
        for (const glm::ivec3 n : kNormals) {
          const CursorSpot spot{{x, y, z}, n};
          if (!seen(view, spot)) continue;
          const auto p = viewPointOf(view, faceCentre(spot));
          if (!p) continue;
          const std::optional<float> rated = score(spot, *p);
          if (rated && *rated < bestScore) {
            bestScore = *rated;
            best = spot;
          }
        }
      }
    }
  }
  return best;
}

// The nearest seen spot that lies in direction `dir` on screen from `origin`.
std::optional<CursorSpot> jump(const BlockView& view, CursorSpot from, glm::vec2 origin, glm::vec2 dir) {
  return bestSeen(view, [&](CursorSpot spot, glm::vec2 p) -> std::optional<float> {
    if (spot == from) return std::nullopt;
    const glm::vec2 delta = onScreen(view, p - origin);
    const float along = glm::dot(delta, dir);
    const float aside = std::abs(dir.x * delta.y - dir.y * delta.x);
    if (!(along > 1e-5f) || aside > along) return std::nullopt;
    return along + kAsidePenalty * aside;
  });
}

}  // namespace

glm::vec3 faceCentre(CursorSpot spot) { return glm::vec3(spot.cell) + 0.5f + 0.5f * glm::vec3(spot.normal); }

std::optional<glm::vec2> viewPointOf(const BlockView& view, glm::vec3 p) {
  const glm::vec4 clip = view.viewProj * glm::vec4(p, 1);
  if (!(clip.w > 1e-6f) || !std::isfinite(clip.x + clip.y)) return std::nullopt;
  return glm::vec2(clip.x / clip.w * 0.5f + 0.5f, 0.5f - clip.y / clip.w * 0.5f);
}

bool seen(const BlockView& view, CursorSpot spot) {
  if (!standing(view, spot.cell) || standing(view, spot.cell + spot.normal)) return false;
  if (!(facing(view, spot) > kEdgeOn)) return false;
  return firstStanding(view, faceCentre(spot) - kInside * glm::vec3(spot.normal)) == spot.cell;
}

std::optional<CursorSpot> seenFace(const BlockView& view, glm::ivec3 cell) {
  std::optional<CursorSpot> best;
  float bestFacing = 0;
  for (const glm::ivec3 n : kNormals) {
    const CursorSpot spot{cell, n};
    const float f = facing(view, spot);
    if (f > bestFacing && seen(view, spot)) {
      bestFacing = f;
      best = spot;
    }
  }
  return best;
}

std::optional<CursorSpot> nearestSeen(const BlockView& view, glm::vec2 p) {
  return bestSeen(view, [&](CursorSpot, glm::vec2 q) -> std::optional<float> {
    return glm::length(onScreen(view, q - p));
  });
}

CursorSpot stepCursor(const BlockView& view, CursorSpot from, glm::ivec2 step) {
  if (step == glm::ivec2(0)) return from;
  const glm::vec2 dir = glm::normalize(glm::vec2(step));
  const auto origin = viewPointOf(view, faceCentre(from));
  if (!origin) return from;
  if (const auto m = worldDirection(view, from, *origin, dir)) {
    const CursorSpot next = walk(view, from, *m);
    if (seen(view, next)) return next;
  }
  return jump(view, from, *origin, dir).value_or(from);
}

}  // namespace sorvel
