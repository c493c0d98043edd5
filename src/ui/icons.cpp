#include "ui/icons.hpp"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <numbers>

namespace sorvel::ui {

namespace {

struct PatternFree {
  void operator()(cairo_pattern_t* p) const { cairo_pattern_destroy(p); }
};

constexpr double kGrid = 24;
constexpr double kPi = std::numbers::pi;

struct P {
  double x = 0, y = 0;
};

// Stroke thickness in grid units for a font weight: at 16 points a regular
// icon's strokes are about as thick as a regular letter's stems.
double strokeWidth(float weight) { return 1.9 + (std::clamp(double(weight), 300.0, 800.0) - 400.0) / 300.0; }

void lineStyle(cairo_t* cr, double width) {
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
}

void polyline(cairo_t* cr, std::initializer_list<P> points) {
  bool first = true;
  for (const P p : points) {
    first ? cairo_move_to(cr, p.x, p.y) : cairo_line_to(cr, p.x, p.y);
    first = false;
  }
}

// A closed polygon with each corner rounded off `radius` along its edges.
void roundedPolygon(cairo_t* cr, std::initializer_list<P> list, double radius) {
  const P* points = list.begin();
  const std::size_t n = list.size();
  const auto toward = [radius](P from, P to) {
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double t = std::min(0.5, radius / std::hypot(dx, dy));
    return P{from.x + dx * t, from.y + dy * t};
  };
  cairo_new_sub_path(cr);
  for (std::size_t i = 0; i < n; ++i) {
    const P corner = points[i];
    const P in = toward(corner, points[(i + n - 1) % n]);
    const P out = toward(corner, points[(i + 1) % n]);
    i == 0 ? cairo_move_to(cr, in.x, in.y) : cairo_line_to(cr, in.x, in.y);
    constexpr double k = 0.55;
    cairo_curve_to(cr, in.x + (corner.x - in.x) * k, in.y + (corner.y - in.y) * k, out.x + (corner.x - out.x) * k,
                   out.y + (corner.y - out.y) * k, out.x, out.y);
  }
  cairo_close_path(cr);
}

void roundedBox(cairo_t* cr, double x0, double y0, double x1, double y1, double radius) {
  roundedPolygon(cr, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, radius);
}

// A line of round ends from a to b, as a filled shape.
void capsule(cairo_t* cr, P a, P b, double width) {
  const double angle = std::atan2(b.y - a.y, b.x - a.x);
  cairo_new_sub_path(cr);
  cairo_arc(cr, b.x, b.y, width / 2, angle - kPi / 2, angle + kPi / 2);
  cairo_arc(cr, a.x, a.y, width / 2, angle + kPi / 2, angle + 3 * kPi / 2);
  cairo_close_path(cr);
}

// Gaps cut through the icon's own layer, so that the parts of a filled
// shape still read apart at small sizes.
void cut(cairo_t* cr) {
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_stroke(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
}

void chevron(cairo_t* cr, double width, double angle) {
  cairo_save(cr);
  cairo_translate(cr, 12, 12);
  cairo_rotate(cr, angle);
  cairo_translate(cr, -12, -12);
  // Pointing left; the others turn it. Its box is centred on the grid.
  polyline(cr, {{15.25, 5.5}, {8.75, 12}, {15.25, 18.5}});
  cairo_restore(cr);
  lineStyle(cr, width);
  cairo_stroke(cr);
}

void questionMark(cairo_t* cr, double width) {
  lineStyle(cr, width);
  // The hook runs on a little past the bowl's right side, then its tangent
  // carries it down into the stem.
  constexpr double kEnd = 0.5;
  cairo_arc(cr, 12, 8.5, 4, kPi, 2 * kPi + kEnd);
  const double ex = 12 + 4 * std::cos(kEnd), ey = 8.5 + 4 * std::sin(kEnd);
  cairo_curve_to(cr, ex - 1.6 * std::sin(kEnd), ey + 1.6 * std::cos(kEnd), 12, 12.2, 12, 13.6);
  cairo_line_to(cr, 12, 14.6);
  cairo_stroke(cr);
  cairo_arc(cr, 12, 19, width * 0.68, 0, 2 * kPi);
  cairo_fill(cr);
}

// Places artwork drawn upright around `centre` at the grid's centre, turned
// by `angle`, scaled by `scale` and then moved by `shift`, which centres
// the turned artwork's box.
void turn(cairo_t* cr, P centre, double angle, double scale, P shift) {
  cairo_translate(cr, kGrid / 2 + shift.x, kGrid / 2 + shift.y);
  cairo_rotate(cr, angle);
  cairo_scale(cr, scale, scale);
  cairo_translate(cr, -centre.x, -centre.y);
}

// A hammer, drawn upright and leant over to the right.
void hammer(cairo_t* cr) {
  turn(cr, {12, 13.5}, kPi / 4, 0.86, {-0.5, 0.9});
  // The head: a striking face on the left, a wedge towards the right.
  roundedPolygon(cr, {{5, 2.5}, {10.5, 2.5}, {19, 4.6}, {19, 7.4}, {10.5, 9.5}, {5, 9.5}}, 1.4);
  capsule(cr, {12, 12.4}, {12, 24.5}, 3.8);
  cairo_fill(cr);
}

// A round brush drawn to a point: handle, metal band and bristles, upright,
// then leant over so that the tip points down to the left.
void paintbrush(cairo_t* cr) {
  turn(cr, {12, 12.2}, kPi / 4, 1.06, {-0.5, 0.5});
  // The handle, slimmer towards its end.
  cairo_new_sub_path(cr);
  cairo_arc(cr, 12, 1.6, 1.3, kPi, 2 * kPi);
  cairo_line_to(cr, 14.1, 9.6);
  cairo_line_to(cr, 9.9, 9.6);
  cairo_close_path(cr);
  roundedBox(cr, 9.2, 10.9, 14.8, 14.3, 0.8);
  // The bristles: full at the band, swelling a little, then drawn to a point.
  cairo_move_to(cr, 9.2, 15.6);
  cairo_line_to(cr, 14.8, 15.6);
  cairo_curve_to(cr, 15.4, 18.4, 14, 21, 12, 23.2);
  cairo_curve_to(cr, 10, 21, 8.6, 18.4, 9.2, 15.6);
  cairo_close_path(cr);
  cairo_fill(cr);
}

// A hand with its forefinger out, and the dashed trail its fingertip has
// drawn.
void handDrawing(cairo_t* cr, double width) {
  cairo_save(cr);
  turn(cr, {14, 12.5}, -kPi / 12, 0.9, {2.6, 0.9});
  // Forefinger, palm, then the three folded fingers, each a little lower.
  capsule(cr, {10.6, 3.6}, {10.6, 13}, 3.6);
  roundedPolygon(cr, {{8.8, 11}, {19.9, 11}, {19.9, 18}, {17, 22}, {10.5, 22}, {8.8, 18}}, 2.6);
  for (int k = 0; k < 3; ++k) capsule(cr, {13.7 + 2.45 * k, 11.2 + 0.5 * k}, {13.7 + 2.45 * k, 13}, 2.45);
  cairo_fill(cr);
  // The folded fingers kept apart from each other and the forefinger.
  lineStyle(cr, 1.2);
  for (int k = 0; k < 3; ++k) polyline(cr, {{12.45 + 2.45 * k, 9.6}, {12.45 + 2.45 * k, 13.2}});
  cut(cr);
  // The thumb, out to the side, with a gap where it meets the palm.
  capsule(cr, {5.6, 12.6}, {9.6, 17.6}, 3.3);
  lineStyle(cr, 1.1);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_stroke_preserve(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_fill(cr);
  cairo_restore(cr);
  // The trail, back from the fingertip.
  lineStyle(cr, width * 0.95);
  const double dash[] = {0, width * 1.85};
  cairo_set_dash(cr, dash, 2, 0);
  cairo_move_to(cr, 3.9, 14);
  cairo_curve_to(cr, 2.8, 9, 3.8, 3.4, 8.8, 2.4);
  cairo_stroke(cr);
  cairo_set_dash(cr, nullptr, 0, 0);
}

// Eight teeth round a wheel with a hole through its middle.
void gear(cairo_t* cr) {
  for (int k = 0; k < 8; ++k) {
    const double a = k * kPi / 4;
    capsule(cr, {12 + 6 * std::cos(a), 12 + 6 * std::sin(a)}, {12 + 9.4 * std::cos(a), 12 + 9.4 * std::sin(a)},
            3.6);
    cairo_fill(cr);
  }
  cairo_arc(cr, 12, 12, 7.4, 0, 2 * kPi);
  cairo_fill(cr);
  cairo_arc(cr, 12, 12, 2.9, 0, 2 * kPi);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_fill(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
}

}  // namespace

void drawIcon(cairo_t* cr, const IconCommand& icon) {
  const Rect& r = icon.rect;
  const double side = std::min(r.width, r.height);
  if (side <= 0 || icon.colour.a <= 0) return;
  cairo_save(cr);
  cairo_rectangle(cr, r.x, r.y, r.width, r.height);
  cairo_clip(cr);
  // Drawn opaque into a layer of its own and then laid down in the icon's
  // colour, so that overlapping parts of a translucent icon are not darker.
  cairo_push_group_with_content(cr, CAIRO_CONTENT_ALPHA);
  cairo_translate(cr, r.x + r.width / 2.0, r.y + r.height / 2.0);
  cairo_scale(cr, side / kGrid, side / kGrid);
  cairo_translate(cr, -kGrid / 2, -kGrid / 2);
  cairo_set_source_rgba(cr, 0, 0, 0, 1);
  const double width = strokeWidth(icon.weight);
  switch (icon.icon) {
    case Icon::chevronLeft: chevron(cr, width, 0); break;
    case Icon::chevronRight: chevron(cr, width, kPi); break;
    case Icon::chevronUp: chevron(cr, width, kPi / 2); break;
    case Icon::chevronDown: chevron(cr, width, -kPi / 2); break;
    case Icon::questionMark: questionMark(cr, width); break;
    case Icon::hammer: hammer(cr); break;
    case Icon::paintbrush: paintbrush(cr); break;
    case Icon::handDrawing: handDrawing(cr, width); break;
    case Icon::gear: gear(cr); break;
  }
  const std::unique_ptr<cairo_pattern_t, PatternFree> mask(cairo_pop_group(cr));
  const Colour& c = icon.colour;
  cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
  cairo_mask(cr, mask.get());
  cairo_restore(cr);
}

}  // namespace sorvel::ui
