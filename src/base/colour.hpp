#pragma once

#include <cmath>
#include <cstdint>
#include <glm/vec3.hpp>

namespace sorvel {

// A 0xRRGGBB sRGB code as linear RGB, for colours written the way designers
// pick them. The top byte is ignored.
inline glm::vec3 hexLinear(std::uint32_t code) {
  auto channel = [](std::uint32_t byte) {
    const float v = static_cast<float>(byte & 0xFFu) / 255.0f;
    return v <= 0.04045f ? v / 12.92f : std::pow((v + 0.055f) / 1.055f, 2.4f);
  };
  return {channel(code >> 16), channel(code >> 8), channel(code)};
}

}  // namespace sorvel
