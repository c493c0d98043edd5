#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "ui/fonts.hpp"
#include "ui/painter.hpp"

namespace sorvel::ui {
namespace {

// A buffer of pixels with a painter's view of it, read back per pixel.
struct Canvas {
  int width, height;
  std::vector<std::uint32_t> pixels;
  Canvas(int w, int h, std::uint32_t fill = 0) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}
  PixelTarget target() { return {pixels, width, height}; }
  std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
  static unsigned alpha(std::uint32_t p) { return p >> 24; }
  // Pixels with any paint at all outside the whole-pixel box, and inside it.
  struct Count {
    int inside = 0, outside = 0;
  };
  Count inked(PixelBox box) const {
    Count count;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (alpha(at(x, y)) == 0) continue;
        const bool in = x >= box.x && x < box.x + box.width && y >= box.y && y < box.y + box.height;
        ++(in ? count.inside : count.outside);
      }
    }
    return count;
  }
};

// The pixels wholly or partly covered by a box in points.
PixelBox covering(Rect r, float scale) {
  const int x0 = int(std::floor(r.x * scale)), y0 = int(std::floor(r.y * scale));
  return {x0, y0, int(std::ceil((r.x + r.width) * scale)) - x0, int(std::ceil((r.y + r.height) * scale)) - y0};
}

const Painter& painter() {
  static const Painter p;
  return p;
}

TEST(UiPaintFonts, TheInterfaceFacesAreFoundOrReplaced) {
  if (fontInstalled("Inter") && fontInstalled("Vollkorn")) {
    EXPECT_EQ(interfaceFonts().sans, "Inter");
    EXPECT_EQ(interfaceFonts().serif, "Vollkorn");
  }
  testing::internal::CaptureStderr();
  const InterfaceFonts fallback = resolveFonts("Sorvel Missing Sans", "Sorvel Missing Serif");
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("Sorvel Missing Sans and Sorvel Missing Serif"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_TRUE(fontInstalled(fallback.sans)) << fallback.sans;
  EXPECT_TRUE(fontInstalled(fallback.serif)) << fallback.serif;
  if (!fontInstalled("Inter") || !fontInstalled("Vollkorn")) GTEST_SKIP() << "Inter or Vollkorn is not installed";
}

TEST(UiPaintShapes, FillsAndOutlinesLandOnTheirPixels) {
  Canvas canvas(80, 50, 0xDEADBEEF);
  // A capsule of half-transparent teal: premultiplied, its centre holds
  // each channel times its alpha; its rounded-off corner is left clear.
  const Colour fill{0.4f, 0.6f, 0.8f, 0.5f};
  painter().paint({ShapeCommand{{2, 2, 30, 10}, 5, {.fill = fill}},
                   ShapeCommand{{10, 14, 20, 6}, 0, {.stroke = kInk, .lineWidth = 1}}},
                  canvas.target(), 2);
  const std::uint32_t centre = canvas.at(34, 14);
  EXPECT_NEAR(Canvas::alpha(centre), 128, 1);
  EXPECT_NEAR((centre >> 16) & 0xFF, 0.4 * 0.5 * 255, 1.5);
  EXPECT_NEAR((centre >> 8) & 0xFF, 0.6 * 0.5 * 255, 1.5);
  EXPECT_NEAR(centre & 0xFF, 0.8 * 0.5 * 255, 1.5);
  EXPECT_EQ(canvas.at(4, 4), 0u) << "inside the rect, outside the capsule's end";
  EXPECT_EQ(canvas.at(79, 49), 0u) << "the whole buffer starts clear";
  // A one-point outline at twice the scale: two whole pixels, inside the rect.
  for (int x : {20, 21, 58, 59}) EXPECT_EQ(Canvas::alpha(canvas.at(x, 34)), 255u) << x;
  for (int x : {19, 22, 57, 60}) EXPECT_EQ(canvas.at(x, 34), 0u) << x;
  for (int y : {28, 29, 38, 39}) EXPECT_EQ(Canvas::alpha(canvas.at(40, y)), 255u) << y;
  for (int y : {27, 30, 37, 40}) EXPECT_EQ(canvas.at(40, y), 0u) << y;
}

TEST(UiPaintShapes, DamagedAreaIsRepaintedAloneAndReported) {
  Canvas canvas(40, 40, 0xFF00FF00);
  const DrawList list{ShapeCommand{{0, 0, 40, 40}, 0, {.fill = kWhite}}};
  const PixelBox box = painter().paint(list, canvas.target(), 1, Rect{10.5f, 10, 5, 50});
  EXPECT_EQ(box, (PixelBox{10, 10, 6, 30}));
  EXPECT_EQ(canvas.at(12, 20), 0xFFFFFFFFu);
  EXPECT_EQ(canvas.at(9, 20), 0xFF00FF00u);
  EXPECT_EQ(canvas.at(16, 20), 0xFF00FF00u);
  EXPECT_EQ(painter().paint(list, canvas.target(), 1, Rect{50, 50, 5, 5}), PixelBox{});
  const float huge = std::numeric_limits<float>::infinity();
  EXPECT_EQ(painter().paint(list, canvas.target(), 1, Rect{-1e9f, -1e9f, huge, huge}), (PixelBox{0, 0, 40, 40}));
}

TEST(UiPaintShapes, APieceOfAPictureHasTheWholePicturesPixelsThere) {
  // Round shapes far from the origin, all within the piece (a shape the
  // piece's edge cuts may shade the pixels along the cut otherwise).
  DrawList list;
  for (int i = 0; i < 6; ++i) {
    const float x = 311.3f + 23.7f * float(i), y = 205.1f + 9.3f * float(i);
    const Paint paint{.fill = kPaper, .stroke = kInk.withOpacity(0.14f), .lineWidth = 1};
    list.push_back(ShapeCommand{{x, y, 46, 46}, 23, paint});
  }
  for (const float scale : {1.0f, 1.5f, 2.0f}) {
    Canvas whole(int(520 * scale), int(340 * scale));
    painter().paint(list, whole.target(), scale);
    const int x0 = int(309 * scale), y0 = int(203 * scale);
    const PixelBox piece{x0, y0, int(478 * scale) - x0, int(300 * scale) - y0};
    Canvas part(piece.width, piece.height, 0xFF00FF00);
    PixelTarget target = part.target();
    target.x = piece.x;
    target.y = piece.y;
    painter().paint(list, target, scale);
    int differ = 0;
    for (int y = 0; y < piece.height; ++y) {
      for (int x = 0; x < piece.width; ++x) differ += part.at(x, y) != whole.at(x + piece.x, y + piece.y);
    }
    EXPECT_EQ(differ, 0) << "at " << scale;
    // A damage in the list's points comes back in the target's pixels.
    EXPECT_EQ(painter().paint(list, target, scale, Rect{340, 220, 10, 10}),
              (PixelBox{int(340 * scale) - piece.x, int(220 * scale) - piece.y, int(10 * scale), int(10 * scale)}));
  }
}

TEST(UiPaintText, InkStaysInsideTheMeasuredBox) {
  const std::string sentence = "¿Quieres quitar este cubo? Piénsalo bien: no vuelve.";
  struct Case {
    Font font;
    float wrapWidth;
    float scale;
  };
  for (const Case c : {Case{{Family::sans, 15, Weight::regular}, 0, 1},
                       Case{{Family::sans, 15, Weight::semibold}, 120, 2},
                       Case{{Family::serif, 22, Weight::bold}, 150, 1.5f}}) {
    const Size size = painter().textMeasure().measure(sentence, c.font, c.wrapWidth);
    if (c.wrapWidth > 0) {
      EXPECT_LE(size.width, c.wrapWidth);
      EXPECT_GT(size.height, 2.5f * c.font.size) << "wrapped onto several lines";
    }
    const Point origin{7.25f, 5.5f};
    Canvas canvas(int((origin.x * 2 + size.width) * c.scale), int((origin.y * 2 + size.height) * c.scale));
    painter().paint({TextCommand{sentence, c.font, kInk, origin, c.wrapWidth}}, canvas.target(), c.scale);
    const Canvas::Count ink = canvas.inked(covering({origin.x, origin.y, size.width, size.height}, c.scale));
    EXPECT_EQ(ink.outside, 0) << "at wrap width " << c.wrapWidth;
    EXPECT_GT(ink.inside, int(size.width * size.height * c.scale * c.scale / 20)) << "at wrap width " << c.wrapWidth;
  }
}

// Rows of a painted text with any ink on them, from the first to the last.
int inkHeight(const std::string& text, Font font) {
  Canvas canvas(200, 120);
  painter().paint({TextCommand{text, font, kInk, {10, 10}}}, canvas.target(), 1);
  int top = canvas.height, bottom = -1;
  for (int y = 0; y < canvas.height; ++y) {
    for (int x = 0; x < canvas.width; ++x) {
      if (Canvas::alpha(canvas.at(x, y)) > 64) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  }
  return bottom - top + 1;
}

TEST(UiPaintText, SerifDigitsStandAsTallAsCapitals) {
  // Old-style figures would make "Figura 1 de 9" read "Figura I de 9" and
  // "0 de 9 figuras" read "o de 9": every digit must reach the capitals'
  // height, as the 9 and the capitals do.
  for (const Weight weight : {Weight::medium, Weight::semibold}) {
    const Font font{Family::serif, 60, weight};
    const int capital = inkHeight("H", font);
    for (const char* digit : {"0", "1", "2"}) {
      EXPECT_GE(inkHeight(digit, font), capital * 0.95) << digit << " beside H, weight " << int(weight);
    }
  }
}

TEST(UiPaintText, MeasuresFollowFontAndWidthWhateverWasMeasuredBefore) {
  const PangoMeasure& measure = painter().textMeasure();
  const std::string text = "Pinta las casillas";
  const Font font{Family::sans, 17, Weight::medium};
  const Size line = measure.measure(text, font, 0);
  // A text given its own width as its wrap width stays on one line.
  EXPECT_EQ(measure.measure(text, font, line.width), line);
  EXPECT_GT(measure.measure(text, font, line.width - 1).height, line.height * 1.5f);
  EXPECT_EQ(measure.measure(text, font, std::numeric_limits<float>::infinity()), line);
  EXPECT_GT(measure.measure(text, {Family::sans, 17, Weight::bold}, 0).width, line.width);
  EXPECT_NE(measure.measure(text, {Family::serif, 17, Weight::medium}, 0).width, line.width);
  EXPECT_GT(measure.measure(text, {Family::sans, 20, Weight::medium}, 0).height, line.height);
  // Many other texts later, long after its layout was let go.
  for (int i = 0; i < 1500; ++i) measure.measure("Bloque " + std::to_string(i), font, 0);
  EXPECT_EQ(measure.measure(text, font, 0), line);
}

TEST(UiPaintIcons, EachIconInksItsRectAndNothingElse) {
  for (const Icon icon : {Icon::chevronLeft, Icon::chevronUp, Icon::chevronDown, Icon::questionMark, Icon::hammer,
                          Icon::paintbrush, Icon::handDrawing}) {
    for (const float scale : {1.0f, 2.0f}) {
      Canvas canvas(int(40 * scale), int(40 * scale));
      const Rect rect{10.5f, 12, 16, 17};
      painter().paint({IconCommand{icon, rect, kInk, 700}}, canvas.target(), scale);
      const Canvas::Count ink = canvas.inked(covering(rect, scale));
      EXPECT_EQ(ink.outside, 0) << "icon " << int(icon) << " at scale " << scale;
      EXPECT_GT(ink.inside, int(16 * 16 * scale * scale / 10)) << "icon " << int(icon) << " at scale " << scale;
    }
    // Half see-through, it is evenly so where its parts overlap.
    Canvas canvas(40, 40);
    painter().paint({IconCommand{icon, {0, 0, 40, 40}, kInk.withOpacity(0.5f), 700}}, canvas.target(), 1);
    EXPECT_LE(Canvas::alpha(*std::max_element(canvas.pixels.begin(), canvas.pixels.end())), 128u) << int(icon);
  }
}

}  // namespace
}  // namespace sorvel::ui
