#pragma once

#include <string>

namespace sorvel {

// The text put before every shader stage: the GLSL version, then a #define
// for each value the shaders share with C++ (cube size, clue codes and
// flags, the neighbour mask, the glyph grid, attribute locations), written
// from the C++ constants so the two cannot drift apart. `remapDepth` tells
// the vertex stages to move depth to GL's default range themselves.
std::string shaderPrelude(bool remapDepth);

}  // namespace sorvel
