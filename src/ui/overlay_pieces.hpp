#pragma once

// A screen's overlay is mostly bare: a title at the top, a bar at the
// bottom, a few round buttons. Painted whole it costs a window of pixels to
// keep, send and blend every frame; split into pieces, each painted just
// round what it shows, it costs only what it shows.

#include <vector>

#include "ui/draw_list.hpp"
#include "ui/painter.hpp"

namespace sorvel::ui {

// Room round what a piece shows for antialiasing and an outline's outer
// half, in points.
inline constexpr float kPieceMargin = 2;

// The whole pixels `frame` (points) covers at `scale`, with `margin` points
// round it, within a window of `width` x `height` pixels: empty when it
// lies outside the window.
PixelBox pixelBoxAround(Rect frame, float margin, float scale, int width, int height);

// One piece of an overlay: where it lands in the window, and what it paints
// there.
struct Piece {
  PixelBox box;
  DrawList drawList;
  friend bool operator==(const Piece&, const Piece&) = default;
};

// Splits `list`, laid out in a window of `width` x `height` pixels at
// `scale`, into at most `most` pieces (1 or more) whose boxes share no
// pixel, in the order of what each paints first. Each painted as the part of
// the window its box holds (PixelTarget's place) gives the same pixels as
// the whole list painted over the window: everything a command can touch
// lies in its piece's box, so a pixel outside every box stays clear.
// Commands that paint nothing take no piece.
std::vector<Piece> piecesOf(const DrawList& list, const TextMeasure& measure, float scale, int width, int height,
                            int most);

}  // namespace sorvel::ui
