#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "render/layer_compositor.hpp"
#include "ui/interface.hpp"

namespace sorvel::ui {

// The interface's layers on the GPU: each one sent again only when it was
// painted anew, then blended over the picture in the bound framebuffer.
// Needs its GL context current, as the compositor does.
class CompositedInterface {
 public:
  explicit CompositedInterface(const LayerCompositor& compositor) : compositor_(compositor) {}

  void draw(const std::vector<LayerToDraw>& layers, int targetWidth, int targetHeight);

  // Uploads so far, for tests of the redraw economy.
  int uploads() const { return uploads_; }

 private:
  const LayerCompositor& compositor_;
  std::array<OverlayLayer, Interface::kPictures> textures_;
  std::array<std::uint64_t, Interface::kPictures> versions_{};
  int uploads_ = 0;
};

}  // namespace sorvel::ui
