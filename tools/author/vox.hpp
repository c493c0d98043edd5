#pragma once

// Figures drawn in a voxel editor and saved in the `.vox` voxel format: a
// "VOX " header and version, then one MAIN chunk whose children carry the
// model (SIZE, XYZI) and its palette (RGBA). Every other chunk (the scene
// graph, materials, layers, cameras, notes) is skipped by its sizes.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "author/figure.hpp"

namespace sorvel::authoring {

// A `.vox` file that cannot be used; the message names the file and what was
// wrong with it.
class VoxError : public FigureError {
 public:
  using FigureError::FigureError;
};

struct Voxel {
  std::uint8_t x = 0, y = 0, z = 0;  // z is up in the file
  std::uint8_t colour = 0;  // palette index, 1 to 255
};

// One model as the file holds it, checked: every voxel lies inside the size
// and has a colour, no two share a place.
struct VoxModel {
  int sizeX = 0, sizeY = 0, sizeZ = 0;
  std::vector<Voxel> voxels;
  std::array<std::uint32_t, 256> palette{};  // index -> 0xRRGGBB; index 0 unused
  bool ownPalette = false;  // false: the format's default palette
};

// Files larger than this are refused before they are read: a figure's file is
// a few kilobytes even with a whole scene around it.
inline constexpr std::uintmax_t kMaxVoxFileBytes = 4u << 20;

// The palette a file without an RGBA chunk means, index -> 0xRRGGBB.
const std::array<std::uint32_t, 256>& defaultVoxPalette();

// Reads a whole `.vox` file's bytes; `source` names it in error messages.
VoxModel parseVox(std::string_view bytes, const std::string& source);
VoxModel loadVox(const std::filesystem::path& path);

// The figure a model draws: cropped to its voxels, the file's z (up) as our
// y, and the side the file's -y looks at (a voxel editor's front view) facing
// the player. Each palette index used becomes a palette letter: a-z, then
// A-Z, then 0-9, by index. Refuses a figure larger than a block may be, with
// more colours than letters, or that does not stand in one piece. Sets
// neither id nor name.
Figure figureFromVox(const VoxModel& model, const std::string& source);

// An id made from a file name's stem: lower case, runs of anything but a-z,
// 0-9, '-' and '_' as one '-', at most as long as the game takes. Empty
// when nothing usable is left.
std::string idFromFileName(std::string_view stem);

}  // namespace sorvel::authoring
