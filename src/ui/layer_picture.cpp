#include "ui/layer_picture.hpp"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

namespace sorvel::ui {

namespace {

// The box round every pixel where `a` and `b`, both `width` wide, differ.
PixelBox differing(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int width) {
  const auto w = static_cast<std::size_t>(width);
  const auto rows = static_cast<int>(a.size() / w);
  const auto row = [&](const std::vector<std::uint32_t>& v, int y) {
    return v.data() + static_cast<std::size_t>(y) * w;
  };
  const auto same = [&](int y) { return std::memcmp(row(a, y), row(b, y), w * sizeof(std::uint32_t)) == 0; };
  int top = 0;
  while (top < rows && same(top)) ++top;
  if (top == rows) return {};
  int bottom = rows - 1;
  while (same(bottom)) --bottom;
  int left = width, right = -1;
  for (int y = top; y <= bottom; ++y) {
    const std::uint32_t* pa = row(a, y);
    const std::uint32_t* pb = row(b, y);
    for (int x = 0; x < left; ++x) {
      if (pa[x] != pb[x]) {
        left = x;
        break;
      }
    }
    for (int x = width - 1; x > right; --x) {
      if (pa[x] != pb[x]) {
        right = x;
        break;
      }
    }
  }
  return {left, top, right - left + 1, bottom - top + 1};
}

}  // namespace

bool repaint(LayerPicture& picture, const Painter& painter, const DrawList& list, PixelBox box, float scale,
             std::uint64_t version) {
  const int width = box.width, height = box.height;
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  const bool sameSize = picture.width == width && picture.height == height && picture.pixels.size() == count;
  std::vector<std::uint32_t> fresh(count);
  painter.paint(list, {fresh, width, height, box.x, box.y}, scale);
  PixelBox damage{0, 0, width, height};
  if (sameSize) {
    damage = differing(picture.pixels, fresh, width);
    if (damage.width == 0) return false;
  }
  picture.since = sameSize ? picture.version : 0;
  picture.damage = damage;
  picture.pixels = std::move(fresh);
  picture.width = width;
  picture.height = height;
  picture.version = version;
  return true;
}

}  // namespace sorvel::ui
