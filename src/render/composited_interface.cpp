#include "render/composited_interface.hpp"

#include <span>

namespace sorvel {

void CompositedInterface::draw(const std::vector<ui::LayerToDraw>& layers, int targetWidth, int targetHeight) {
  for (const ui::LayerToDraw& layer : layers) {
    if (layer.picture == nullptr || layer.pictureId < 0 || layer.pictureId >= ui::Interface::kPictures) continue;
    const auto texture = static_cast<std::size_t>(layer.pictureId);
    const ui::LayerPicture& picture = *layer.picture;
    if (versions_[texture] != picture.version) {
      const auto bytes = std::as_bytes(std::span(picture.pixels));
      const std::span<const std::uint8_t> texels{reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
      // A texture one change behind needs only what that change touched.
      if (picture.since != 0 && versions_[texture] == picture.since) {
        const ui::PixelBox& d = picture.damage;
        textures_[texture].upload(texels, picture.width, picture.height, {d.x, d.y, d.width, d.height});
      } else {
        textures_[texture].upload(texels, picture.width, picture.height);
      }
      versions_[texture] = picture.version;
    }
    const ui::Placement& p = layer.placement;
    compositor_.draw(textures_[texture],
                     {.opacity = p.opacity, .offsetX = p.offsetX, .offsetY = p.offsetY, .scale = p.scale,
                      .anchorX = p.anchorX, .anchorY = p.anchorY, .width = p.width, .height = p.height},
                     targetWidth, targetHeight);
  }
}

}  // namespace sorvel
