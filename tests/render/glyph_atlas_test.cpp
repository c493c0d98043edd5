// The clue atlas: where each glyph sits, that its ink is centred and shaped as
// the shader expects, and the soft channel against a plain double-precision
// blur written without running sums.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "render/glyph_atlas.hpp"

// Fontconfig keeps a few bytes of its parsed configuration unreachable for the
// life of the process; that is the system library's, not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace sorvel {
namespace {

using namespace glyph_atlas;

// A direct evaluation: three passes, each averaging the 11 clamped neighbours
// along x and then along y, scaled by 2.2 and floored.
TEST(GlyphAtlasSoftChannel, MatchesADirectBlurIncludingTheEdges) {
  std::mt19937 rng(7);
  // Sizes smaller than the filter, odd, and wider than tall.
  for (const auto& [w, h] : {std::pair{37, 23}, std::pair{3, 40}, std::pair{1, 1}, std::pair{64, 9}}) {
    std::vector<std::uint8_t> in(static_cast<std::size_t>(w) * h);
    for (auto& v : in) {  // sparse ink with solid patches: both ends show
      const unsigned r = rng() % 10;
      v = r < 6 ? 0 : r < 8 ? 255 : static_cast<std::uint8_t>(rng() % 256);
    }
    std::vector<double> a(in.begin(), in.end()), b(a.size());
    for (int pass = 0; pass < 6; ++pass) {
      const bool alongX = pass % 2 == 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          double s = 0;
          for (int d = -5; d <= 5; ++d)
            s += alongX ? a[y * w + std::clamp(x + d, 0, w - 1)] : a[std::clamp(y + d, 0, h - 1) * w + x];
          b[y * w + x] = s / 11.0;
        }
      std::swap(a, b);
    }
    const std::vector<std::uint8_t> soft = softChannel(in, w, h);
    ASSERT_EQ(soft.size(), in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
      const double expected = std::min(a[i] * 2.2, 255.0);
      if (std::abs(expected - std::round(expected)) < 1e-6) continue;  // a tie at an integer
      ASSERT_EQ(soft[i], static_cast<int>(std::floor(expected))) << w << "x" << h << " texel " << i;
    }
  }
}

struct Box {
  int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;  // inclusive texel bounds
};

class GlyphAtlasImageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { atlas_ = new GlyphAtlasImage(buildGlyphAtlas()); }
  static void TearDownTestSuite() { delete atlas_; }

  // Lit texels of a channel within a square of `half` around the centre.
  static Box inkBox(Texel c, int half, bool soft) {
    Box b;
    for (int y = c.y - half; y < c.y + half; ++y)
      for (int x = c.x - half; x < c.x + half; ++x)
        if ((soft ? atlas_->soft(x, y) : atlas_->sharp(x, y)) != 0)
          b = {std::min(b.x0, x), std::min(b.y0, y), std::max(b.x1, x), std::max(b.y1, y)};
    return b;
  }
  static inline GlyphAtlasImage* atlas_ = nullptr;
};

// Every glyph's digit is centred on its cell by its ink, the frames stay in
// the cell, and the soft channel reaches at least 8 texels past the sharp ink.
TEST_F(GlyphAtlasImageTest, GlyphsAreCentredInTheirCellsAndTheLastTwoAreBlank) {
  EXPECT_EQ(glyphIndex(GlyphStyle::circled, 7), 17);
  EXPECT_EQ(cellCentre(glyphIndex(GlyphStyle::squared, 9)), (Texel{704, 448}));
  for (int k = 0; k < 32; ++k) {
    SCOPED_TRACE(k);
    const Texel c = cellCentre(k);
    EXPECT_EQ(holdsGlyph(k), k < 30);
    // How far a box reaches from the centre, in texel edges, on its longest side.
    const auto reach = [c](const Box& b) { return std::max({c.x - b.x0, b.x1 + 1 - c.x, c.y - b.y0, b.y1 + 1 - c.y}); };
    const Box digit = inkBox(c, 30, false);  // inside the inner edge of ring and square
    const Box whole = inkBox(c, kCell / 2, false);
    const Box soft = inkBox(c, kCell / 2, true);
    if (k >= 30) {
      EXPECT_TRUE(whole.x1 < 0 && soft.x1 < 0);  // nothing in either channel
      continue;
    }
    ASSERT_GE(digit.x1, 0);
    EXPECT_LT(reach(digit), 30);  // the whole digit is clear of the frame
    EXPECT_LT(reach(whole), kCell / 2);  // and the frame of the neighbours
    EXPECT_NEAR((digit.x0 + digit.x1 + 1) / 2.0, c.x, 1.0);
    EXPECT_NEAR((digit.y0 + digit.y1 + 1) / 2.0, c.y, 1.0);
    EXPECT_GT(digit.y1 - digit.y0, 30);  // a digit, not a dot
    EXPECT_GE(std::min({whole.x0 - soft.x0, soft.x1 - whole.x1, whole.y0 - soft.y0, soft.y1 - whole.y1}), 8);
  }
}

// Coverage-weighted distance of the frame from the centre: the ring's radius
// (Euclidean) and the square's half side (along its straight sides).
TEST_F(GlyphAtlasImageTest, FramesSitWhereTheShaderExpectsThem) {
  for (int n = 0; n < 10; ++n) {
    SCOPED_TRACE(n);
    for (const GlyphStyle style : {GlyphStyle::plain, GlyphStyle::circled, GlyphStyle::squared}) {
      const Texel c = cellCentre(glyphIndex(style, n));
      double weight = 0, distance = 0;
      int solid = 0;
      for (int y = c.y - 64; y < c.y + 64; ++y)
        for (int x = c.x - 64; x < c.x + 64; ++x) {
          const double dx = x + 0.5 - c.x, dy = y + 0.5 - c.y;
          const double cov = atlas_->sharp(x, y) / 255.0;
          if (std::hypot(dx, dy) < 36 || cov == 0) continue;
          ASSERT_NE(style, GlyphStyle::plain) << "ink outside the digit at " << x << "," << y;
          solid += atlas_->sharp(x, y) == 255;
          const bool onSide = std::min(std::abs(dx), std::abs(dy)) < kSquareHalfSide - kSquareCornerRadius;
          if (style == GlyphStyle::circled || onSide) {
            distance += cov * (style == GlyphStyle::circled ? std::hypot(dx, dy) : std::max(std::abs(dx), std::abs(dy)));
            weight += cov;
          }
        }
      if (style == GlyphStyle::plain) continue;
      ASSERT_GT(weight, 0);
      // The ring's mean is pulled a little outward: there is more of it there.
      EXPECT_NEAR(distance / weight, style == GlyphStyle::circled ? kRingRadius + 0.08 : kSquareHalfSide, 0.15);
      EXPECT_GT(solid, 200);  // a 6.5-texel stroke is fully inside for most of its way
      if (style == GlyphStyle::squared) {  // rounded: a sharp corner would be lit here
        EXPECT_EQ(atlas_->sharp(c.x + 44, c.y + 44), 0);
        EXPECT_EQ(atlas_->sharp(c.x - 45, c.y - 45), 0);
        EXPECT_EQ(atlas_->sharp(c.x + 44, c.y), 255);  // the middle of a side
      }
    }
  }
}

TEST_F(GlyphAtlasImageTest, TheSoftChannelIsTheSharpOneBlurred) {
  std::vector<std::uint8_t> sharp(static_cast<std::size_t>(kWidth) * kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) sharp[y * kWidth + x] = atlas_->sharp(x, y);
  const std::vector<std::uint8_t> soft = softChannel(sharp, kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) ASSERT_EQ(atlas_->soft(x, y), soft[y * kWidth + x]) << x << "," << y;
}

}  // namespace
}  // namespace sorvel
