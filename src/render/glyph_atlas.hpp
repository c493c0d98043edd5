#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sorvel {

// The texture the cube shader reads clue numbers from: thirty glyphs, the
// digits plain, circled and squared, one per 128x128 cell. Two bytes a texel:
// the sharp coverage of the shapes, then a blurred and brightened copy of it
// for halos. Only level 0 is made here; the GPU builds the mipmaps.
namespace glyph_atlas {

inline constexpr int kWidth = 1024;
inline constexpr int kHeight = 512;
inline constexpr int kCell = 128;
inline constexpr int kColumns = kWidth / kCell;
inline constexpr int kRows = kHeight / kCell;
inline constexpr int kGlyphs = 30;  // cells 30 and 31 stay empty

inline constexpr double kFontPixels = 66.0;
inline constexpr double kStrokeWidth = 6.5;
inline constexpr double kRingRadius = 47.0;       // to the middle of the stroke
inline constexpr double kSquareHalfSide = 45.0;   // likewise
inline constexpr double kSquareCornerRadius = 14.0;

// The soft channel: three box blurs of this radius, both ways, then scaled up.
inline constexpr int kBlurRadius = 5;
inline constexpr int kBlurPasses = 3;
inline constexpr double kSoftGain = 2.2;
// How far ink can reach into the soft channel, in texels along each axis.
inline constexpr int kSoftReach = kBlurRadius * kBlurPasses;

enum class GlyphStyle : int { plain = 0, circled = 1, squared = 2 };

// The glyph index is the clue code, so the shader finds a glyph from the code.
constexpr int glyphIndex(GlyphStyle style, int digit) { return 10 * static_cast<int>(style) + digit; }

constexpr bool holdsGlyph(int cell) { return cell >= 0 && cell < kGlyphs; }

struct Texel {
  int x = 0;
  int y = 0;
  friend constexpr bool operator==(Texel, Texel) = default;
};

// Row 0 is the top row of cells, as the texture is laid out in memory. The
// centre is the corner shared by the four middle texels of the cell.
constexpr Texel cellCentre(int cell) {
  return {kCell * (cell % kColumns) + kCell / 2, kCell * (cell / kColumns) + kCell / 2};
}

// The soft channel of a coverage image (one byte a texel, rows top first):
// each texel is min(255, 2.2 * 255 * B), truncated, where B is the coverage
// in [0, 1] blurred by three passes of an 11-tap box filter along rows and
// then columns, clamped at the edges.
std::vector<std::uint8_t> softChannel(std::span<const std::uint8_t> coverage, int width, int height);

}  // namespace glyph_atlas

struct GlyphAtlasImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> texels;  // RG8, width * height * 2 bytes, top row first
  std::string fontFamily;            // the face the digits were actually drawn with

  std::uint8_t sharp(int x, int y) const { return texels[2 * (static_cast<std::size_t>(y) * width + x)]; }
  std::uint8_t soft(int x, int y) const { return texels[2 * (static_cast<std::size_t>(y) * width + x) + 1]; }
};

// Draws level 0 of the atlas on the CPU. Throws std::runtime_error when
// Cairo or Pango cannot give a surface, font or layout: an atlas without
// clue numbers would leave the game unplayable without saying why.
GlyphAtlasImage buildGlyphAtlas();

}  // namespace sorvel
