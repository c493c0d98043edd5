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
  for (const int side : {figure.X, figure.Y, figure.Z}) {
    fuzz::require(side >= 1 && side <= 10, "an accepted block has sides from 1 to 10");
  }
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
