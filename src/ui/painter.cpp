#include "ui/painter.hpp"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <utility>
#include <variant>

#include "ui/cairo_handles.hpp"
#include "ui/icons.hpp"

namespace sorvel::ui {

namespace {


constexpr double kPi = std::numbers::pi;

// How far a corner's curve reaches along its edges beyond its radius, as a
// fraction of the radius: the curve leaves the straight edge gently and
// tightens towards the corner's middle instead of starting as a circle's arc
// would, with a kink in its curvature.
constexpr double kSmoothing = 0.6;

// One corner at `c`, coming in along `u` (from the corner back along the
// edge just drawn) and leaving along `v`. Two cubics meet on the diagonal
// where a circle of `radius` would pass; each starts with no curvature at the
// edge and reaches the circle's curvature there.
void smoothCorner(cairo_t* cr, double cx, double cy, double ux, double uy, double vx, double vy, double radius,
                  double smoothing) {
  const double reach = (1 + smoothing) * radius;
  const double m = radius * (1 - std::numbers::sqrt2 / 2);
  const double q = 3 * std::numbers::sqrt2 * m * m / radius;
  const auto at = [&](double along_u, double along_v) {
    return std::pair{cx + ux * along_u + vx * along_v, cy + uy * along_u + vy * along_v};
  };
  const auto [x0, y0] = at(reach, 0);
  const auto [x1, y1] = at(2 * m + q, 0);
  const auto [x2, y2] = at(2 * m, 0);
  const auto [mx, my] = at(m, m);
  const auto [x4, y4] = at(0, 2 * m);
  const auto [x5, y5] = at(0, 2 * m + q);
  const auto [x6, y6] = at(0, reach);
  cairo_line_to(cr, x0, y0);
  cairo_curve_to(cr, x1, y1, x2, y2, mx, my);
  cairo_curve_to(cr, x4, y4, x5, y5, x6, y6);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
  const double half = std::min(w, h) / 2;
  radius = std::clamp(radius, 0.0, half);
  cairo_new_sub_path(cr);
  if (radius <= 0) {
    cairo_rectangle(cr, x, y, w, h);
    return;
  }
  // A capsule or circle: its ends are half circles, nothing to smooth into.
  if (radius >= half - 1e-4) {
    if (w >= h) {
      cairo_arc(cr, x + w - half, y + half, half, -kPi / 2, kPi / 2);
      cairo_arc(cr, x + half, y + half, half, kPi / 2, 3 * kPi / 2);
    } else {
      cairo_arc(cr, x + half, y + h - half, half, 0, kPi);
      cairo_arc(cr, x + half, y + half, half, kPi, 2 * kPi);
    }
    cairo_close_path(cr);
    return;
  }
  // Less smoothing where the sides are too short for the full reach.
  const double smoothing = std::clamp(half / radius - 1, 0.0, kSmoothing);
  const double reach = (1 + smoothing) * radius;
  cairo_move_to(cr, x + reach, y);
  smoothCorner(cr, x + w, y, -1, 0, 0, 1, radius, smoothing);
  smoothCorner(cr, x + w, y + h, 0, -1, -1, 0, radius, smoothing);
  smoothCorner(cr, x, y + h, 1, 0, 0, -1, radius, smoothing);
  smoothCorner(cr, x, y, 0, 1, 1, 0, radius, smoothing);
  cairo_close_path(cr);
}

void setColour(cairo_t* cr, const Colour& c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

void drawShape(cairo_t* cr, const ShapeCommand& shape) {
  const Rect& r = shape.rect;
  if (r.width <= 0 || r.height <= 0) return;
  const Paint& paint = shape.paint;
  if (paint.fill.a > 0) {
    roundedRect(cr, r.x, r.y, r.width, r.height, shape.cornerRadius);
    setColour(cr, paint.fill);
    cairo_fill(cr);
  }
  if (paint.stroke.a > 0 && paint.lineWidth > 0) {
    // Centred on a path inset by half the line, so the outline stays within
    // the shape's rect and on whole pixels wherever the rect is.
    const double lw = std::min<double>(paint.lineWidth, std::min(r.width, r.height) / 2);
    const double inset = lw / 2;
    roundedRect(cr, r.x + inset, r.y + inset, r.width - lw, r.height - lw, std::max(0.0, shape.cornerRadius - inset));
    setColour(cr, paint.stroke);
    cairo_set_line_width(cr, lw);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
  }
}

bool overlaps(const Rect& a, const Rect& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

PixelBox pixelsOf(const Rect& r, float scale, const PixelTarget& target) {
  // Clamped before whole numbers are taken, so that a damage of "everything"
  // with huge or infinite edges still works.
  const auto whole = [](double v, int limit) { return int(std::clamp(v, 0.0, double(limit))); };
  const int width = target.width, height = target.height;
  const int x0 = whole(std::floor(double(r.x) * scale) - target.x, width);
  const int y0 = whole(std::floor(double(r.y) * scale) - target.y, height);
  const int x1 = whole(std::ceil((double(r.x) + r.width) * scale) - target.x, width);
  const int y1 = whole(std::ceil((double(r.y) + r.height) * scale) - target.y, height);
  if (x1 <= x0 || y1 <= y0) return {};
  return {x0, y0, x1 - x0, y1 - y0};
}

}  // namespace

Painter::Painter(InterfaceFonts fonts) : text_(std::move(fonts)) {}

void Painter::paint(const DrawList& list, const PixelTarget& target, float scale) const {
  paint(list, target, scale,
        Rect{float(target.x) / scale, float(target.y) / scale, float(target.width) / scale,
             float(target.height) / scale});
}

PixelBox Painter::paint(const DrawList& list, const PixelTarget& target, float scale, Rect damage) const {
  if (!(scale > 0) || target.width <= 0 || target.height <= 0 ||
      target.pixels.size() < std::size_t(target.width) * std::size_t(target.height)) {
    throw std::invalid_argument("ui painter: the pixel buffer does not match its size, or the scale is not positive");
  }
  const PixelBox box = pixelsOf(damage, scale, target);
  if (box.width == 0) return box;

  const CairoSurfacePtr surface(
      cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(target.pixels.data()), CAIRO_FORMAT_ARGB32,
                                          target.width, target.height, target.width * 4));
  const CairoPtr context(cairo_create(surface.get()));
  cairo_t* cr = context.get();
  cairo_rectangle(cr, box.x, box.y, box.width, box.height);
  cairo_clip(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_translate(cr, -target.x, -target.y);
  cairo_scale(cr, scale, scale);

  // What the damage cannot touch is not drawn at all; the clip would hide
  // it, but only after the work.
  const Rect area{float(box.x + target.x) / scale, float(box.y + target.y) / scale, box.width / scale,
                  box.height / scale};
  for (const DrawCommand& command : list) {
    if (const auto* shape = std::get_if<ShapeCommand>(&command)) {
      if (overlaps(shape->rect, area)) drawShape(cr, *shape);
    } else if (const auto* icon = std::get_if<IconCommand>(&command)) {
      if (overlaps(icon->rect, area)) drawIcon(cr, *icon);
    } else if (const auto* text = std::get_if<TextCommand>(&command)) {
      if (text->colour.a <= 0 || text->text.empty()) continue;
      // Glyphs may reach a little past the layout's box: accents, tails.
      const Size size = text_.measure(text->text, text->font, text->wrapWidth);
      const float pad = text->font.size / 2;
      const Rect inked{text->origin.x - pad, text->origin.y - pad, size.width + 2 * pad, size.height + 2 * pad};
      if (overlaps(inked, area)) text_.show(cr, *text);
    }
  }
  cairo_surface_flush(surface.get());
  return box;
}

}  // namespace sorvel::ui
