#pragma once

#include <functional>
#include <glm/vec2.hpp>
#include <optional>
#include <string>

#include "render/offscreen_target.hpp"
#include "render/renderer.hpp"

namespace sorvel {

// A whole picture goes through a target of our own, as it does for a still,
// and is then copied to the window: the window and the captures share one
// path, no driver's idea of an sRGB window matters, and the picture is kept
// for when the window is uncovered. A moving scene drawn smaller than the
// window goes through a small target and is scaled up straight into the
// window, the interface drawn over it there at full resolution.
class Presenter {
 public:
  // Draws `frame` at `scene` pixels in `quality`, then `overlay` over it at
  // the window's `pixels`, and copies the whole to the window's own
  // framebuffer. False, with nothing shown, when no target of that size can
  // be had.
  bool present(Renderer& renderer, const Frame& frame, glm::ivec2 pixels, glm::ivec2 scene, DrawQuality quality,
               const std::function<void(const RenderTarget& target)>& overlay);
  // Copies the last picture to the window again (it was uncovered); false
  // when none of that size was kept.
  bool showAgain(glm::ivec2 pixels) const;

 private:
  bool fit(std::optional<OffscreenTarget>& target, glm::ivec2 size, const char* what);
  // Says once, until a picture is shown again, what the driver refused.
  void reportOnce(const std::string& what);

  std::optional<OffscreenTarget> target_;
  std::optional<OffscreenTarget> sceneTarget_;
  bool reported_ = false;
  bool kept_ = false;  // target_ holds the picture last shown
};

}  // namespace sorvel
