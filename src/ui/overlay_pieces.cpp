#include "ui/overlay_pieces.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <optional>
#include <utility>
#include <variant>

namespace sorvel::ui {

namespace {

// What a command can touch, in points, or none when it paints nothing. The
// same reach the painter allows a text when it leaves out what the damage
// cannot touch: glyphs may stand past their layout box.
std::optional<Rect> inkOf(const DrawCommand& command, const TextMeasure& measure) {
  if (const auto* shape = std::get_if<ShapeCommand>(&command)) {
    const Paint& p = shape->paint;
    const bool paints = p.fill.a > 0 || (p.stroke.a > 0 && p.lineWidth > 0);
    if (!paints || shape->rect.width <= 0 || shape->rect.height <= 0) return std::nullopt;
    return shape->rect;
  }
  if (const auto* icon = std::get_if<IconCommand>(&command)) {
    // The painter clips an icon to its rect.
    if (icon->colour.a <= 0 || icon->rect.width <= 0 || icon->rect.height <= 0) return std::nullopt;
    return icon->rect;
  }
  const auto& text = std::get<TextCommand>(command);
  if (text.colour.a <= 0 || text.text.empty()) return std::nullopt;
  const Size size = measure.measure(text.text, text.font, text.wrapWidth);
  const float pad = text.font.size / 2;
  return Rect{text.origin.x - pad, text.origin.y - pad, size.width + 2 * pad, size.height + 2 * pad};
}

bool overlap(const PixelBox& a, const PixelBox& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

PixelBox joined(const PixelBox& a, const PixelBox& b) {
  const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  const int x1 = std::max(a.x + a.width, b.x + b.width), y1 = std::max(a.y + a.height, b.y + b.height);
  return {x0, y0, x1 - x0, y1 - y0};
}

struct Cluster {
  PixelBox box;
  std::vector<std::size_t> commands;  // in painting order
};

// Merges `into` with `from`; the commands stay in painting order, so that
// what overlaps within a piece is painted as the whole list paints it.
void absorb(Cluster& into, Cluster&& from) {
  into.box = joined(into.box, from.box);
  std::vector<std::size_t> all;
  all.reserve(into.commands.size() + from.commands.size());
  std::merge(into.commands.begin(), into.commands.end(), from.commands.begin(), from.commands.end(),
             std::back_inserter(all));
  into.commands = std::move(all);
}

// Joins clusters until no two boxes share a pixel: a joined box may reach
// one it did not before.
void untangle(std::vector<Cluster>& clusters) {
  for (bool joinedAny = true; joinedAny;) {
    joinedAny = false;
    for (std::size_t i = 0; i < clusters.size() && !joinedAny; ++i) {
      for (std::size_t j = i + 1; j < clusters.size(); ++j) {
        if (!overlap(clusters[i].box, clusters[j].box)) continue;
        absorb(clusters[i], std::move(clusters[j]));
        clusters.erase(clusters.begin() + static_cast<std::ptrdiff_t>(j));
        joinedAny = true;
        break;
      }
    }
  }
}

}  // namespace

PixelBox pixelBoxAround(Rect frame, float margin, float scale, int width, int height) {
  // Clamped before whole numbers are taken, as the painter does with its
  // damage.
  const auto whole = [](double v, int limit) { return static_cast<int>(std::clamp(v, 0.0, double(limit))); };
  const int x0 = whole(std::floor((double(frame.x) - margin) * scale), width);
  const int y0 = whole(std::floor((double(frame.y) - margin) * scale), height);
  const int x1 = whole(std::ceil((double(frame.x) + frame.width + margin) * scale), width);
  const int y1 = whole(std::ceil((double(frame.y) + frame.height + margin) * scale), height);
  if (x1 <= x0 || y1 <= y0) return {};
  return {x0, y0, x1 - x0, y1 - y0};
}

std::vector<Piece> piecesOf(const DrawList& list, const TextMeasure& measure, float scale, int width, int height,
                            int most) {
  std::vector<Cluster> clusters;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::optional<Rect> ink = inkOf(list[i], measure);
    if (!ink) continue;
    const PixelBox box = pixelBoxAround(*ink, kPieceMargin, scale, width, height);
    if (box.width == 0) continue;
    clusters.push_back({box, {i}});
  }
  untangle(clusters);
  // Too many: the last pieces join those before them, which keeps the
  // first ones (the ones a screen always has) where they were.
  while (clusters.size() > static_cast<std::size_t>(std::max(1, most))) {
    Cluster last = std::move(clusters.back());
    clusters.pop_back();
    absorb(clusters.back(), std::move(last));
    untangle(clusters);
  }
  std::sort(clusters.begin(), clusters.end(),
            [](const Cluster& a, const Cluster& b) { return a.commands.front() < b.commands.front(); });

  std::vector<Piece> pieces;
  pieces.reserve(clusters.size());
  for (const Cluster& cluster : clusters) {
    DrawList own;
    own.reserve(cluster.commands.size());
    for (const std::size_t i : cluster.commands) own.push_back(list[i]);
    pieces.push_back({cluster.box, std::move(own)});
  }
  return pieces;
}

}  // namespace sorvel::ui
