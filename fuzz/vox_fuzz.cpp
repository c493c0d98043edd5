// Voxel files come from whatever editor a player drew in, or from anywhere at
// all: every fault must come back as a VoxError naming it, never as a crash,
// a read past the bytes given, or a figure the later steps cannot trust.

#include <cstddef>
#include <cstdint>

#include "author/vox.hpp"
#include "fuzz_support.hpp"

using namespace sorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  authoring::VoxModel model;
  try {
    model = authoring::parseVox(fuzz::text(data, size), "fuzz.vox");
  } catch (const authoring::VoxError&) {
    return 0;
  }
  fuzz::require(!model.voxels.empty(), "an accepted model has voxels");
  for (const authoring::Voxel& voxel : model.voxels) {
    fuzz::require(voxel.x < model.sizeX && voxel.y < model.sizeY && voxel.z < model.sizeZ,
                  "every voxel lies inside the model's size");
    fuzz::require(voxel.colour != 0, "every voxel has a colour");
  }

  authoring::Figure figure;
  try {
    figure = authoring::figureFromVox(model, "fuzz.vox");
  } catch (const authoring::VoxError&) {
    return 0;
  } catch (const authoring::FigureError&) {
    return 0;
  }
  fuzz::require(figure.X >= 1 && figure.X <= authoring::kLargestBlock.X && figure.Y >= 1 &&
                    figure.Y <= authoring::kLargestBlock.Y && figure.Z >= 1 && figure.Z <= authoring::kLargestBlock.Z,
                "an accepted figure fits the largest block");
  fuzz::require(figure.cells.size() == static_cast<std::size_t>(figure.X * figure.Y * figure.Z),
                "an accepted figure has one letter per cell");
  std::size_t cubes = 0;
  for (const char cell : figure.cells) {
    if (cell == '.') continue;
    ++cubes;
    fuzz::require(figure.palette.contains(cell), "every figure cube has a colour");
  }
  fuzz::require(cubes == model.voxels.size(), "every voxel becomes one cube");
  for (const auto& [letter, colour] : figure.palette) {
    fuzz::require(colour <= 0xFFFFFF, "colours are plain sRGB");
  }
  return 0;
}
