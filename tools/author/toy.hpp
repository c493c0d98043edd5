#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "author/figure.hpp"

namespace sorvel::authoring {

// A toy as the game draws it: 8 floats per vertex (position, normal, texture
// coordinate), three indices per counter-clockwise triangle.
struct ToyMesh {
  std::vector<float> vertices;
  std::vector<std::uint32_t> indices;
  size_t vertexCount() const { return vertices.size() / 8; }
};

// A rounded, smoothed body around the figure's cubes that stands in the cell
// box: x in [0, X], z in [0, Z], y in [0, Y] with its lowest point at 0.
// Triangles are cut along the borders between colours and each piece wears
// one swatch of paletteImage.
ToyMesh buildToy(const Figure& figure);

// The file bytes of a toy mesh: "STOY", vertex and index counts, the arrays.
std::string encodeStoy(const ToyMesh& mesh);

// One square swatch per palette colour, side by side in letter order.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // rows top to bottom, sRGB
};
Image paletteImage(const Figure& figure);

// PNG bytes, stored uncompressed so that every zlib writes the same file.
std::string encodePng(const Image& image);

}  // namespace sorvel::authoring
