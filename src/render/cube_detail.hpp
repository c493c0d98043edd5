#pragma once

#include <array>

#include "game/gpu_records.hpp"

namespace sorvel {

// The rounded cubes come in these levels of detail: strips per rounded edge.
inline constexpr std::array<int, 3> kCubeDetailSteps = {1, 2, 4};

// How finely a frame's cubes must be drawn in a width x height picture: by
// how many pixels the nearest cube's rounded edge covers. Under a pixel and a
// half a chamfer looks the same as a curve, and under ten two strips do. Most
// of a fine cube's triangles lie in its rounded corners, where each covers a
// fraction of a pixel yet costs a whole triangle's set-up, and the driver
// shades whole blocks of pixels around it.
int cubeDetailSteps(const Frame& frame, int width, int height);

}  // namespace sorvel
