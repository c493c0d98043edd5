#include "render/glyph_atlas.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <string>

#include "ui/pango_handles.hpp"

namespace sorvel {
namespace glyph_atlas {
namespace {

// One blur pass along each row: every output is the sum of the 11 inputs
// around it, edges clamped. Sums are kept unnormalised in integers so that
// no rounding drift can leave a dark texel faintly lit (or, going negative,
// wrap round to fully lit).
void rowPass(const std::uint32_t* in, std::uint32_t* out, int width, int height) {
  for (int y = 0; y < height; ++y, in += width, out += width) {
    const auto at = [&](int x) { return in[std::clamp(x, 0, width - 1)]; };
    std::uint32_t sum = 0;
    for (int d = -kBlurRadius; d <= kBlurRadius; ++d) sum += at(d);
    for (int x = 0; x < width; ++x) {
      out[x] = sum;
      sum += at(x + kBlurRadius + 1);
      sum -= at(x - kBlurRadius);
    }
  }
}

// The same down the columns, a whole row of running sums at a time so that
// memory is read in order.
void columnPass(const std::uint32_t* in, std::uint32_t* out, int width, int height) {
  const auto row = [&](int y) { return in + static_cast<std::ptrdiff_t>(std::clamp(y, 0, height - 1)) * width; };
  std::vector<std::uint32_t> sums(width, 0);
  for (int d = -kBlurRadius; d <= kBlurRadius; ++d) {
    const std::uint32_t* r = row(d);
    for (int x = 0; x < width; ++x) sums[x] += r[x];
  }
  for (int y = 0; y < height; ++y) {
    std::copy(sums.begin(), sums.end(), out + static_cast<std::ptrdiff_t>(y) * width);
    const std::uint32_t* entering = row(y + kBlurRadius + 1);
    const std::uint32_t* leaving = row(y - kBlurRadius);
    for (int x = 0; x < width; ++x) sums[x] = sums[x] + entering[x] - leaving[x];
  }
}

}  // namespace

std::vector<std::uint8_t> softChannel(std::span<const std::uint8_t> coverage, int width, int height) {
  if (width <= 0 || height <= 0 || coverage.size() != static_cast<std::size_t>(width) * height) {
    throw std::invalid_argument("soft channel: coverage does not match its size");
  }
  std::vector<std::uint32_t> a(coverage.begin(), coverage.end());
  std::vector<std::uint32_t> b(a.size());
  for (int pass = 0; pass < kBlurPasses; ++pass) {
    rowPass(a.data(), b.data(), width, height);
    columnPass(b.data(), a.data(), width, height);
  }
  // Each pass multiplies by 11 what a normalised filter would give, so a
  // texel holds 255 * 11^6 * B, and 2.2 * 255 * B is that over 5 * 11^5:
  // an exact integer division, truncating as the brightened value must.
  constexpr std::uint32_t kDivisor = 5u * 11u * 11u * 11u * 11u * 11u;
  static_assert(kBlurRadius == 5 && kBlurPasses == 3 && kSoftGain == 2.2,
                "the divisor folds these constants together");
  std::vector<std::uint8_t> soft(a.size());
  std::transform(a.begin(), a.end(), soft.begin(),
                 [](std::uint32_t s) { return static_cast<std::uint8_t>(std::min<std::uint32_t>(s / kDivisor, 255)); });
  return soft;
}

}  // namespace glyph_atlas

namespace {

using namespace glyph_atlas;

template <typename Ptr>
Ptr require(Ptr p, const char* what) {
  if (!p) throw std::runtime_error(std::string("glyph atlas: cannot create ") + what);
  return p;
}

void checkCairo(cairo_t* cr, const char* step) {
  if (const cairo_status_t status = cairo_status(cr); status != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error(std::string("glyph atlas: ") + step + ": " + cairo_status_to_string(status));
  }
}

// Any bold geometric sans serves when this face is missing; fontconfig picks it.
PangoFontDescriptionPtr digitFont() {
  PangoFontDescriptionPtr font = require(PangoFontDescriptionPtr(pango_font_description_new()), "a font description");
  pango_font_description_set_family(font.get(), "URW Gothic,sans-serif");
  pango_font_description_set_weight(font.get(), PANGO_WEIGHT_SEMIBOLD);
  pango_font_description_set_absolute_size(font.get(), kFontPixels * PANGO_SCALE);
  return font;
}

// The digit goes in as an outline, so it lands at its exact sub-texel place:
// glyph rendering would snap it to whole texels and the hinting would move
// its ink away from what was measured.
void drawDigit(cairo_t* cr, PangoLayout* layout, int digit, Texel centre) {
  const char text[2] = {static_cast<char>('0' + digit), '\0'};
  pango_layout_set_text(layout, text, 1);
  PangoRectangle ink{};
  pango_layout_get_extents(layout, &ink, nullptr);
  if (ink.width <= 0 || ink.height <= 0) {
    throw std::runtime_error("glyph atlas: the font has no ink for digit " + std::string(text));
  }
  // Centred on its ink rather than its advance or baseline: a 1 and a 7 sit
  // in the middle of the face just as an 8 does.
  const double midX = (ink.x + ink.width / 2.0) / PANGO_SCALE;
  const double midY = (ink.y + ink.height / 2.0) / PANGO_SCALE;
  cairo_move_to(cr, centre.x - midX, centre.y - midY);
  pango_cairo_layout_path(cr, layout);
  cairo_fill(cr);
}

void strokeCircle(cairo_t* cr, Texel centre) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, centre.x, centre.y, kRingRadius, 0, 2 * std::numbers::pi);
  cairo_stroke(cr);
}

void strokeRoundedSquare(cairo_t* cr, Texel centre) {
  constexpr double h = kSquareHalfSide;
  constexpr double r = kSquareCornerRadius;
  constexpr double q = std::numbers::pi / 2;
  const double x = centre.x;
  const double y = centre.y;
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + h - r, y - h + r, r, -q, 0);
  cairo_arc(cr, x + h - r, y + h - r, r, 0, q);
  cairo_arc(cr, x - h + r, y + h - r, r, q, 2 * q);
  cairo_arc(cr, x - h + r, y - h + r, r, 2 * q, 3 * q);
  cairo_close_path(cr);
  cairo_stroke(cr);
}

// Unhinted grey antialiasing: the digits keep their drawn shapes at any size.
GObjectPtr<PangoContext> textContext(PangoFontMap* fontMap, cairo_t* cr) {
  auto context = require(GObjectPtr<PangoContext>(pango_font_map_create_context(fontMap)), "a text context");
  auto options = require(CairoFontOptionsPtr(cairo_font_options_create()), "font options");
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(context.get(), options.get());
  pango_cairo_update_context(cr, context.get());
  return context;
}

}  // namespace

GlyphAtlasImage buildGlyphAtlas() {
  // A8 holds exactly the coverage: painting opaque white sets alpha alone.
  CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_A8, kWidth, kHeight));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error("glyph atlas: cannot create a drawing surface");
  }
  CairoPtr cr(cairo_create(surface.get()));
  checkCairo(cr.get(), "cannot create a drawing context");
  cairo_set_source_rgba(cr.get(), 1, 1, 1, 1);
  cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_GRAY);

  // A private font map rather than the process-wide one, so that building
  // the atlas leaves no state behind for whoever else uses Pango.
  auto fontMap = require(GObjectPtr<PangoFontMap>(pango_cairo_font_map_new()), "a font map");
  const GObjectPtr<PangoContext> context = textContext(fontMap.get(), cr.get());

  const PangoFontDescriptionPtr font = digitFont();
  const auto loaded =
      require(GObjectPtr<PangoFont>(pango_context_load_font(context.get(), font.get())), "the digit font");
  const PangoFontDescriptionPtr used(pango_font_describe(loaded.get()));
  const char* family = used ? pango_font_description_get_family(used.get()) : nullptr;

  auto layout = require(GObjectPtr<PangoLayout>(pango_layout_new(context.get())), "a text layout");
  pango_layout_set_font_description(layout.get(), font.get());

  cairo_set_line_width(cr.get(), kStrokeWidth);
  for (int style = 0; style < 3; ++style) {
    for (int digit = 0; digit < 10; ++digit) {
      const Texel centre = cellCentre(glyphIndex(static_cast<GlyphStyle>(style), digit));
      drawDigit(cr.get(), layout.get(), digit, centre);
      if (style == static_cast<int>(GlyphStyle::circled)) strokeCircle(cr.get(), centre);
      if (style == static_cast<int>(GlyphStyle::squared)) strokeRoundedSquare(cr.get(), centre);
    }
  }
  checkCairo(cr.get(), "drawing the glyphs");
  cairo_surface_flush(surface.get());

  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  if (!data) throw std::runtime_error("glyph atlas: the drawing surface has no pixels");
  std::vector<std::uint8_t> coverage(static_cast<std::size_t>(kWidth) * kHeight);
  for (int y = 0; y < kHeight; ++y) {
    std::copy_n(data + static_cast<std::ptrdiff_t>(y) * stride, kWidth,
                coverage.begin() + static_cast<std::ptrdiff_t>(y) * kWidth);
  }
  const std::vector<std::uint8_t> soft = softChannel(coverage, kWidth, kHeight);

  GlyphAtlasImage image{.width = kWidth, .height = kHeight, .fontFamily = family ? family : ""};
  image.texels.resize(coverage.size() * 2);
  for (std::size_t i = 0; i < coverage.size(); ++i) {
    image.texels[2 * i] = coverage[i];
    image.texels[2 * i + 1] = soft[i];
  }
  return image;
}

}  // namespace sorvel
