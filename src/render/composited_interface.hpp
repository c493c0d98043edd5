#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "render/layer_compositor.hpp"
#include "ui/interface.hpp"

namespace sorvel {

// The interface's layers on the GPU: each one sent again only when it was
// painted anew, then blended over the picture in the bound framebuffer.
// Needs its GL context current, as the compositor does.
class CompositedInterface {
 public:
  explicit CompositedInterface(const LayerCompositor& compositor) : compositor_(compositor) {}

  void draw(const std::vector<ui::LayerToDraw>& layers, int targetWidth, int targetHeight);

 private:
  const LayerCompositor& compositor_;
  // One texture per picture the interface keeps, and the version it holds.
  std::array<OverlayLayer, ui::Interface::kPictures> textures_;
  std::array<std::uint64_t, ui::Interface::kPictures> versions_{};
};

}  // namespace sorvel
