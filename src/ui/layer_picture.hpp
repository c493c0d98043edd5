#pragma once

// A painted interface layer, and what changed in it since the picture
// before, so that the uploader sends only that.

#include <cstdint>
#include <vector>

#include "ui/draw_list.hpp"
#include "ui/painter.hpp"

namespace sorvel::ui {

// One painted layer. `version` changes whenever `pixels` changed, so the
// uploader knows when to send them again.
struct LayerPicture {
  std::vector<std::uint32_t> pixels;  // premultiplied 0xAARRGGBB, top row first
  int width = 0, height = 0;
  std::uint64_t version = 0;
  // Going from version `since` to this one changed only the pixels in
  // `damage`: a texture holding `since` needs just those. With `since` at 0,
  // or a texture holding another version, the whole picture goes.
  std::uint64_t since = 0;
  PixelBox damage;
};

// Paints the pixels in `box` of the picture `list` makes at `scale` into
// `picture`, and returns whether any pixel changed. A picture of the same
// size keeps its version when nothing did, and otherwise takes `version`
// with the box of the pixels that differ as its damage; a new size is
// damaged whole.
bool repaint(LayerPicture& picture, const Painter& painter, const DrawList& list, PixelBox box, float scale,
             std::uint64_t version);

}  // namespace sorvel::ui
