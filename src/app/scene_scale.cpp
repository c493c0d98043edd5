#include "app/scene_scale.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace sorvel {

SceneScale::SceneScale(bool softwareRenderer, std::optional<float> pinned)
    : scale_(pinned ? std::clamp(*pinned, kLowestPinned, 1.0f) : softwareRenderer ? kLowest : 1.0f),
      pinned_(pinned.has_value()) {}

void SceneScale::frameShown(double seconds) {
  if (pinned_ || !(seconds >= 0)) return;
  seconds_ += seconds;
  if (++frames_ < kStretch) return;
  const double mean = seconds_ / frames_;
  frames_ = 0;
  seconds_ = 0;
  if (mean > kSlowFrame) scale_ = std::max(kLowest, scale_ - kStep);
  if (mean < kQuickFrame) scale_ = std::min(1.0f, scale_ + kStep);
}

glm::ivec2 SceneScale::sceneSize(glm::ivec2 window) const {
  const auto side = [&](int pixels) { return std::max(1, static_cast<int>(std::lround(pixels * scale_))); };
  return {side(window.x), side(window.y)};
}

PinnedSceneScale parsePinnedSceneScale(const char* text) {
  if (text == nullptr || *text == '\0') return {};
  const std::string_view view(text);
  float value = 0;
  const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
  if (error != std::errc() || end != view.data() + view.size() || !(value >= SceneScale::kLowestPinned && value <= 1)) {
    return {std::nullopt, "SORVEL_SCENE_SCALE=\"" + std::string(view) +
                              "\" is not a scale from 0.5 to 1; the scene's scale follows the frame rate"};
  }
  return {value, {}};
}

bool isSoftwareRenderer(std::string_view rendererName) {
  for (const std::string_view name : {"llvmpipe", "softpipe", "Software Rasterizer"}) {
    if (rendererName.find(name) != std::string_view::npos) return true;
  }
  return false;
}

}  // namespace sorvel
