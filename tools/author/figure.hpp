#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "puzzle/cell_order.hpp"

namespace sorvel::authoring {

// A figure source that cannot be used; the message names the file and line.
class FigureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The largest block: wider than deep or tall, as a table plinth allows. Rows
// along y and z stay short enough for every clue to be a single digit.
struct BlockSides {
  int X, Y, Z;
};
inline constexpr BlockSides kLargestBlock{14, 10, 10};
// "at most 14 wide, 10 tall and 10 deep", for messages.
std::string largestBlockText();

// One figure as its author drew it (format: docs/authoring.md).
struct Figure {
  std::string id;
  std::string name;  // Spanish
  std::string englishName;  // from "name-en:"; none when empty
  int X = 0, Y = 0, Z = 0;
  std::string cells;  // in CellOrder, one palette letter per figure cube, '.' for surplus
  std::map<char, std::uint32_t> palette;  // letter -> 0xRRGGBB, sRGB
  int hidePercent = 0;  // share of the clues the author tool tries to hide
  bool tutorial = false;

  int index(int x, int y, int z) const { return CellOrder{X, Y, Z}.index(x, y, z); }
  bool isFigure(int i) const { return cells[static_cast<size_t>(i)] != '.'; }
  std::vector<bool> figureFlags() const;
};

// Parses a figure source; `source` names it in error messages. A `voxels:`
// line names a voxel file relative to `folder`; without a folder such a
// source is refused.
Figure parseFigure(std::string_view text, const std::string& source,
                   const std::optional<std::filesystem::path>& folder = std::nullopt);
Figure loadFigure(const std::filesystem::path& path);

// Throws a FigureError (prefixed by `source`) unless the figure has cubes,
// some of them in layer 0, and all of them hang together through faces: a toy
// has to stand on its plinth in one piece. `cube` names a cube at (x, y, z)
// the way its author drew it.
void checkStands(const Figure& figure, const std::string& source,
                 const std::function<std::string(int x, int y, int z)>& cube);

// A chapter source: its id, Spanish name and figure files in table order.
struct ChapterSource {
  std::string id;
  std::string name;
  std::string englishName;
  std::vector<std::filesystem::path> figures;  // resolved against the source's folder
};

ChapterSource loadChapterSource(const std::filesystem::path& path);

}  // namespace sorvel::authoring
