#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/result.hpp"

namespace sorvel {

// Eight bits per channel, red, green, blue, alpha; the top row first and rows
// packed with no padding, so pixel (x, y) starts at 4 * (y * width + x).
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
};

// Pictures larger than this many pixels are refused before anything is
// allocated for them: a few bytes of header must not ask for gigabytes.
inline constexpr std::uint64_t kMaxPngPixels = std::uint64_t{1} << 28;
// What a caller gets unless it asks for more: the largest texture the game
// loads, and more than any still it reads back for a test.
inline constexpr std::uint64_t kDefaultMaxPngPixels = 2048 * 2048;

// Reads any valid PNG (palette, grey, with or without alpha or a
// transparent colour, 1 to 16 bits, interlaced or not) as RGBA8. Images with
// no alpha come back opaque. Colour values are taken as they are stored:
// no gamma or colour-profile conversion is applied. Pictures of more than
// `maxPixels` (never more than kMaxPngPixels) are refused from their header.
// A file that cannot be read comes back with what was wrong, naming it.
Result<RgbaImage> readPng(const std::filesystem::path& file, std::uint64_t maxPixels = kDefaultMaxPngPixels);

// How a picture is written. The defaults suit a still.
struct PngStyle {
  // sRGB alone says how to show the colours; gAMA and cHRM beside it serve
  // viewers that do not know sRGB.
  bool colourFallbacks = true;
  // Neither filtered nor compressed: then no zlib version can change the
  // bytes, which files kept in the repository need.
  bool stored = false;
};

// `rgba` (width * height RGBA8 pixels, top row first) as the bytes of an
// opaque 8-bit RGB PNG marked sRGB, or why the picture cannot be one; alpha
// is dropped. The same pixels and style give the same bytes with the same
// libpng and zlib.
Result<std::string> encodePng(std::span<const std::uint8_t> rgba, int width, int height, const PngStyle& style = {});

// Writes encodePng's file in the default style. The file is replaced whole
// or not at all, and only a new path or a regular file is: a device, link or
// folder at `file` is refused. The folder must already exist. A failure's
// reason names the file.
Result<void> writePng(const std::filesystem::path& file, std::span<const std::uint8_t> rgba, int width, int height);

}  // namespace sorvel
