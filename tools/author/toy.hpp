#pragma once

#include <string>

#include "author/figure.hpp"
#include "meshes/mesh_data.hpp"

namespace sorvel::authoring {

// A rounded, smoothed body around the figure's cubes that stands in the cell
// box: x in [0, X], z in [0, Z], y in [0, Y] with its lowest point at 0.
// Triangles are cut along the borders between colours and each piece wears
// one swatch of the palette picture. An object mesh: position, normal and
// texture coordinate per vertex, counter-clockwise triangles.
MeshData buildToy(const Figure& figure);

// The toy's texture as PNG bytes: one square swatch per palette colour, side
// by side in letter order, stored uncompressed so that every zlib writes the
// same file.
std::string palettePng(const Figure& figure);

}  // namespace sorvel::authoring
