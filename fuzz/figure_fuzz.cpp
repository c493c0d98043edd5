// Figure sources are hand-written by the chapter's authors; a slip in one must
// come back as a FigureError naming the line, never as a crash of the tool or
// a figure the later steps cannot trust.

#include <cstddef>
#include <cstdint>

#include "author/figure.hpp"
#include "fuzz_support.hpp"

using namespace sorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  authoring::Figure figure;
  try {
    figure = authoring::parseFigure(fuzz::text(data, size), "fuzz.fig");
  } catch (const authoring::FigureError&) {
    return 0;
  }
  fuzz::require(figure.X >= 1 && figure.X <= authoring::kLargestBlock.X && figure.Y >= 1 &&
                    figure.Y <= authoring::kLargestBlock.Y && figure.Z >= 1 && figure.Z <= authoring::kLargestBlock.Z,
                "an accepted block fits the largest block");
  fuzz::require(figure.cells.size() == static_cast<std::size_t>(figure.X * figure.Y * figure.Z),
                "an accepted figure has one letter per cell");
  fuzz::require(figure.hidePercent >= 0 && figure.hidePercent <= 100, "the hidden share is a percentage");
  bool any = false;
  for (const char cell : figure.cells) {
    if (cell == '.') continue;
    any = true;
    fuzz::require(figure.palette.contains(cell), "every figure cube has a colour");
  }
  fuzz::require(any, "an accepted figure has cubes");
  fuzz::require(figure.figureFlags().size() == figure.cells.size(), "one flag per cell");
  return 0;
}
