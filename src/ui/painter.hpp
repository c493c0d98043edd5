#pragma once

// Paints the interface's draw list into a pixel buffer that the renderer
// uploads as a texture and blends over the scene.

#include <cstdint>
#include <span>

#include "ui/draw_list.hpp"
#include "ui/fonts.hpp"
#include "ui/pango_measure.hpp"

namespace sorvel::ui {

// A box of whole pixels, origin at the top left.
struct PixelBox {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const PixelBox&, const PixelBox&) = default;
};

// Where painting goes: `width` x `height` pixels of premultiplied ARGB32, one
// native-endian word 0xAARRGGBB per pixel (BGRA bytes on a little-endian
// machine, ready for upload as such), rows packed with no padding. The
// caller owns the pixels; the painter only writes them.
struct PixelTarget {
  std::span<std::uint32_t> pixels;
  int width = 0;
  int height = 0;
  // Where the top-left pixel lies in the picture the list was laid out for,
  // when the target holds only a piece of it. The piece gets the very pixels
  // the whole picture has there: the offset is added after scaling, where
  // whole pixels move paths exactly, while moving the list by points would
  // round its coordinates otherwise.
  int x = 0, y = 0;
};

// Not for use from more than one thread (its text layouts are kept).
class Painter {
 public:
  explicit Painter(InterfaceFonts fonts = interfaceFonts());

  // Lays text out exactly as paint() draws it; hand it to the layout.
  const PangoMeasure& textMeasure() const { return text_; }

  // Clears the whole target to transparent and paints `list` over it, in
  // order, at `scale` pixels to the point. Throws std::invalid_argument when
  // the span is smaller than width x height or the scale is not positive.
  void paint(const DrawList& list, const PixelTarget& target, float scale) const;

  // The same, but only within `damage` (points): the pixels it touches are
  // cleared and repainted, every other pixel is left as it was. Returns the
  // pixels touched, in the target (empty when `damage` misses it), for an
  // upload of just those.
  PixelBox paint(const DrawList& list, const PixelTarget& target, float scale, Rect damage) const;

 private:
  PangoMeasure text_;
};

}  // namespace sorvel::ui
