#include "ui/composite.hpp"

#include <span>

namespace sorvel::ui {

void CompositedInterface::draw(const std::vector<LayerToDraw>& layers, int targetWidth, int targetHeight) {
  for (const LayerToDraw& layer : layers) {
    if (layer.picture == nullptr || layer.slot < 0 || layer.slot >= Interface::kSlots) continue;
    const auto slot = static_cast<std::size_t>(layer.slot);
    const LayerPicture& picture = *layer.picture;
    if (versions_[slot] != picture.version) {
      const auto bytes = std::as_bytes(std::span(picture.pixels));
      textures_[slot].upload({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, picture.width,
                             picture.height);
      versions_[slot] = picture.version;
    }
    const Placement& p = layer.placement;
    compositor_.draw(textures_[slot],
                     {.opacity = p.opacity, .offsetX = p.offsetX, .offsetY = p.offsetY, .scale = p.scale,
                      .anchorX = p.anchorX, .anchorY = p.anchorY},
                     targetWidth, targetHeight);
  }
}

}  // namespace sorvel::ui
