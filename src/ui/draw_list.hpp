#pragma once

// What the interface's layout hands to whatever paints it: a flat list of
// shapes, texts and icons in points, in painting order. The layout knows
// nothing of Cairo or Pango, and the painter nothing of stacks and spacers,
// so each is tested on its own.

#include <string>
#include <variant>
#include <vector>

namespace sorvel::ui {

// sRGB with straight alpha, channels 0..1, as designers write colours.
struct Colour {
  float r = 0, g = 0, b = 0, a = 1;
  Colour withOpacity(float opacity) const { return {r, g, b, a * opacity}; }
  friend bool operator==(const Colour&, const Colour&) = default;
};

// The palette of the whole interface.
inline constexpr Colour kInk{0.17f, 0.14f, 0.12f, 1};
inline constexpr Colour kPaper{0.975f, 0.958f, 0.925f, 1};
inline constexpr Colour kTeal{0.36f, 0.55f, 0.62f, 1};
inline constexpr Colour kMistakeRed{0.7f, 0.22f, 0.16f, 1};
inline constexpr Colour kWhite{1, 1, 1, 1};

struct Point {
  float x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};
struct Size {
  float width = 0, height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};
// Origin at the top left, y downwards, in points.
struct Rect {
  float x = 0, y = 0, width = 0, height = 0;
  bool contains(Point p) const { return p.x >= x && p.x < x + width && p.y >= y && p.y < y + height; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

enum class Family { sans, serif };
enum class Weight { regular = 400, medium = 500, semibold = 600, bold = 700 };
struct Font {
  Family family = Family::sans;
  float size = 15;  // points
  Weight weight = Weight::regular;
  friend bool operator==(const Font&, const Font&) = default;
};

// The interface's pictures, drawn as vector paths of our own.
enum class Icon { chevronLeft, chevronRight, chevronUp, chevronDown, questionMark, hammer, paintbrush, handDrawing, gear };

// How a shape is filled or outlined; a zero alpha leaves that part out.
struct Paint {
  Colour fill{0, 0, 0, 0};
  Colour stroke{0, 0, 0, 0};
  float lineWidth = 0;
  friend bool operator==(const Paint&, const Paint&) = default;
};

// A rectangle with round corners; a radius of half the shorter side makes a
// capsule, a square capsule is a circle. Corners use a smoothed curve.
struct ShapeCommand {
  Rect rect;
  float cornerRadius = 0;
  Paint paint;
  friend bool operator==(const ShapeCommand&, const ShapeCommand&) = default;
};

// Text laid out from its top-left corner: wrapped at `wrapWidth` points
// when that is above 0, otherwise on one line.
struct TextCommand {
  std::string text;  // UTF-8
  Font font;
  Colour colour;
  Point origin;
  float wrapWidth = 0;
  friend bool operator==(const TextCommand&, const TextCommand&) = default;
};

// An icon drawn to fill `rect` (its artwork keeps its own margins).
struct IconCommand {
  Icon icon;
  Rect rect;
  Colour colour;
  float weight = 600;  // stroke weight, as a font weight: 400 regular, 600 semibold
  friend bool operator==(const IconCommand&, const IconCommand&) = default;
};

using DrawCommand = std::variant<ShapeCommand, TextCommand, IconCommand>;
using DrawList = std::vector<DrawCommand>;

// How much room a text takes, as the painter will lay it out. The layout is
// given one so that it needs no fonts in its tests.
class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  // `wrapWidth` as in TextCommand. The size of the laid-out lines.
  virtual Size measure(const std::string& text, const Font& font, float wrapWidth) const = 0;
};

}  // namespace sorvel::ui
