// The clue atlas: where each glyph sits, that its ink is centred and shaped as
// the shader expects, and the soft channel against a plain double-precision
// blur written without running sums.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

#include "render/glyph_atlas.hpp"

// Fontconfig keeps a few bytes of its parsed configuration unreachable for the
// life of the process; that is the system library's, not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace sorvel {
namespace {

using namespace glyph_atlas;

TEST(GlyphAtlasGeometry, CellsFollowTheClueCode) {
  EXPECT_EQ(glyphIndex(GlyphStyle::circled, 7), 17);
  EXPECT_EQ(cellCentre(17), (Texel{192, 320}));
  EXPECT_EQ(cellCentre(0), (Texel{64, 64}));
  EXPECT_EQ(cellCentre(glyphIndex(GlyphStyle::plain, 9)), (Texel{192, 192}));
  EXPECT_EQ(cellCentre(glyphIndex(GlyphStyle::squared, 9)), (Texel{704, 448}));
  EXPECT_TRUE(holdsGlyph(29));
  EXPECT_FALSE(holdsGlyph(30));
  EXPECT_FALSE(holdsGlyph(31));
  EXPECT_FALSE(holdsGlyph(-1));
}

// A direct evaluation: each pass averages the 11 clamped neighbours.
std::vector<double> referenceBlur(const std::vector<std::uint8_t>& in, int w, int h) {
  std::vector<double> a(in.begin(), in.end());
  for (double& v : a) v /= 255.0;
  std::vector<double> b(a.size());
  for (int pass = 0; pass < 3; ++pass) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        double s = 0;
        for (int d = -5; d <= 5; ++d) s += a[y * w + std::clamp(x + d, 0, w - 1)];
        b[y * w + x] = s / 11.0;
      }
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        double s = 0;
        for (int d = -5; d <= 5; ++d) s += b[std::clamp(y + d, 0, h - 1) * w + x];
        a[y * w + x] = s / 11.0;
      }
  }
  return a;
}

TEST(GlyphAtlasSoftChannel, MatchesADirectBlurIncludingTheEdges) {
  // Sizes smaller than the filter, odd, and wider than tall.
  const int sizes[][2] = {{37, 23}, {3, 40}, {1, 1}, {64, 9}};
  std::mt19937 rng(7);
  for (const auto& size : sizes) {
    const int w = size[0];
    const int h = size[1];
    std::vector<std::uint8_t> in(static_cast<std::size_t>(w) * h);
    // Sparse ink with solid patches, so both the dark and the saturated ends show.
    for (auto& v : in) {
      const unsigned r = rng() % 10;
      v = r < 6 ? 0 : r < 8 ? 255 : static_cast<std::uint8_t>(rng() % 256);
    }
    const std::vector<std::uint8_t> soft = softChannel(in, w, h);
    const std::vector<double> blurred = referenceBlur(in, w, h);
    ASSERT_EQ(soft.size(), in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
      const double expected = std::min(blurred[i] * 2.2 * 255.0, 255.0);
      if (std::abs(expected - std::round(expected)) < 1e-6) continue;  // a tie at an integer
      ASSERT_EQ(soft[i], static_cast<int>(std::floor(expected)))
          << w << "x" << h << " texel " << i << " blurred " << blurred[i];
    }
  }
}

struct Box {
  int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;  // inclusive texel bounds
  bool empty() const { return x1 < 0; }
  double midX() const { return (x0 + x1 + 1) / 2.0; }  // in texel-edge coordinates
  double midY() const { return (y0 + y1 + 1) / 2.0; }
};

class GlyphAtlasImageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { atlas_ = new GlyphAtlasImage(buildGlyphAtlas()); }
  static void TearDownTestSuite() {
    delete atlas_;
    atlas_ = nullptr;
  }

  // Texels of the channel within `half` of the centre (a square) that are lit.
  static Box inkBox(Texel c, int half, bool soft) {
    Box b;
    for (int y = c.y - half; y < c.y + half; ++y)
      for (int x = c.x - half; x < c.x + half; ++x) {
        if ((soft ? atlas_->soft(x, y) : atlas_->sharp(x, y)) == 0) continue;
        b.x0 = std::min(b.x0, x);
        b.y0 = std::min(b.y0, y);
        b.x1 = std::max(b.x1, x);
        b.y1 = std::max(b.y1, y);
      }
    return b;
  }

  static GlyphAtlasImage* atlas_;
};

GlyphAtlasImage* GlyphAtlasImageTest::atlas_ = nullptr;

// The digit of every glyph is centred on the cell by its ink, whatever its
// shape, and the frames never spill into a neighbouring cell.
TEST_F(GlyphAtlasImageTest, DigitsAreCentredOnTheirInk) {
  constexpr int kDigitHalf = 30;  // inside the inner edge of ring and square
  for (int k = 0; k < kGlyphs; ++k) {
    SCOPED_TRACE(k);
    const Texel c = cellCentre(k);
    const Box digit = inkBox(c, kDigitHalf, false);
    ASSERT_FALSE(digit.empty());
    EXPECT_GT(digit.x0, c.x - kDigitHalf);  // the whole digit is in the box
    EXPECT_LT(digit.x1, c.x + kDigitHalf - 1);
    EXPECT_GT(digit.y0, c.y - kDigitHalf);
    EXPECT_LT(digit.y1, c.y + kDigitHalf - 1);
    EXPECT_NEAR(digit.midX(), c.x, 1.0);
    EXPECT_NEAR(digit.midY(), c.y, 1.0);
    EXPECT_GT(digit.y1 - digit.y0, 30);  // a digit, not a dot

    const Box whole = inkBox(c, kCell / 2, false);
    EXPECT_GT(whole.x0, c.x - kCell / 2);
    EXPECT_LT(whole.x1, c.x + kCell / 2 - 1);
    EXPECT_GT(whole.y0, c.y - kCell / 2);
    EXPECT_LT(whole.y1, c.y + kCell / 2 - 1);
  }
}

TEST_F(GlyphAtlasImageTest, EachDigitHasItsOwnShapeInEveryStyle) {
  const auto digitTexels = [](int k) {
    std::vector<std::uint8_t> v;
    const Texel c = cellCentre(k);
    for (int y = c.y - 30; y < c.y + 30; ++y)
      for (int x = c.x - 30; x < c.x + 30; ++x) v.push_back(atlas_->sharp(x, y));
    return v;
  };
  for (int n = 0; n < 10; ++n) {
    const auto plain = digitTexels(glyphIndex(GlyphStyle::plain, n));
    // Cells lie whole texels apart, so the same digit rasterises identically.
    EXPECT_EQ(plain, digitTexels(glyphIndex(GlyphStyle::circled, n))) << n;
    EXPECT_EQ(plain, digitTexels(glyphIndex(GlyphStyle::squared, n))) << n;
    for (int m = 0; m < n; ++m) EXPECT_NE(plain, digitTexels(glyphIndex(GlyphStyle::plain, m))) << n << " vs " << m;
  }
}

// Coverage-weighted distance of the frame from the centre: the ring's
// radius (Euclidean) and the square's half side (along its straight sides).
TEST_F(GlyphAtlasImageTest, FramesSitWhereTheShaderExpectsThem) {
  for (int n = 0; n < 10; ++n) {
    SCOPED_TRACE(n);
    for (const GlyphStyle style : {GlyphStyle::plain, GlyphStyle::circled, GlyphStyle::squared}) {
      const Texel c = cellCentre(glyphIndex(style, n));
      double weight = 0;
      double distance = 0;
      int solid = 0;
      for (int y = c.y - 64; y < c.y + 64; ++y)
        for (int x = c.x - 64; x < c.x + 64; ++x) {
          const double dx = x + 0.5 - c.x;
          const double dy = y + 0.5 - c.y;
          const double cov = atlas_->sharp(x, y) / 255.0;
          if (std::hypot(dx, dy) < 36 || cov == 0) continue;
          if (style == GlyphStyle::plain) ADD_FAILURE() << "ink outside the digit at " << x << "," << y;
          solid += atlas_->sharp(x, y) == 255;
          if (style == GlyphStyle::circled) {
            distance += cov * std::hypot(dx, dy);
            weight += cov;
          } else if (std::min(std::abs(dx), std::abs(dy)) < kSquareHalfSide - kSquareCornerRadius) {
            distance += cov * std::max(std::abs(dx), std::abs(dy));
            weight += cov;
          }
        }
      if (style == GlyphStyle::plain) continue;
      ASSERT_GT(weight, 0);
      // The ring's mean is pulled a little outward: there is more of it there.
      const double expected = style == GlyphStyle::circled ? kRingRadius + 0.08 : kSquareHalfSide;
      EXPECT_NEAR(distance / weight, expected, 0.15);
      EXPECT_GT(solid, 200);  // a 6.5-texel stroke is fully inside for most of its way
      if (style == GlyphStyle::squared) {
        // Rounded: the corner of a sharp square would be lit here.
        EXPECT_EQ(atlas_->sharp(c.x + 44, c.y + 44), 0);
        EXPECT_EQ(atlas_->sharp(c.x - 45, c.y - 45), 0);
        EXPECT_EQ(atlas_->sharp(c.x + 44, c.y), 255);  // the middle of a side
      }
    }
  }
}

TEST_F(GlyphAtlasImageTest, TheLastTwoCellsAreBlank) {
  for (const int k : {30, 31}) {
    const Texel c = cellCentre(k);
    for (int y = c.y - 64; y < c.y + 64; ++y)
      for (int x = c.x - 64; x < c.x + 64; ++x) {
        ASSERT_EQ(atlas_->sharp(x, y), 0) << k << " at " << x << "," << y;
        ASSERT_EQ(atlas_->soft(x, y), 0) << k << " at " << x << "," << y;
      }
  }
}

TEST_F(GlyphAtlasImageTest, TheSoftChannelIsTheSharpOneBlurredWider) {
  std::vector<std::uint8_t> sharp(static_cast<std::size_t>(kWidth) * kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) sharp[y * kWidth + x] = atlas_->sharp(x, y);
  const std::vector<std::uint8_t> soft = softChannel(sharp, kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) ASSERT_EQ(atlas_->soft(x, y), soft[y * kWidth + x]) << x << "," << y;

  for (int k = 0; k < kGlyphs; ++k) {
    SCOPED_TRACE(k);
    const Texel c = cellCentre(k);
    const Box inner = inkBox(c, kCell / 2, false);
    const Box outer = inkBox(c, kCell / 2, true);
    EXPECT_LE(outer.x0, inner.x0 - 8);
    EXPECT_GE(outer.x1, inner.x1 + 8);
    EXPECT_LE(outer.y0, inner.y0 - 8);
    EXPECT_GE(outer.y1, inner.y1 + 8);
  }
}

}  // namespace
}  // namespace sorvel
