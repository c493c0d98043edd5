#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
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

// One figure as its author drew it (format: docs/authoring.md).
struct Figure {
  std::string id;
  std::string name;  // Spanish
  int X = 0, Y = 0, Z = 0;
  std::string cells;  // in CellOrder, one palette letter per figure cube, '.' for surplus
  std::map<char, std::uint32_t> palette;  // letter -> 0xRRGGBB, sRGB
  int hidePercent = 0;  // share of the clues the author tool tries to hide
  bool tutorial = false;

  int index(int x, int y, int z) const { return CellOrder{X, Y, Z}.index(x, y, z); }
  bool isFigure(int i) const { return cells[static_cast<size_t>(i)] != '.'; }
  std::vector<bool> figureFlags() const;
};

// Parses a figure source; `source` names it in error messages.
Figure parseFigure(std::string_view text, const std::string& source);
Figure loadFigure(const std::filesystem::path& path);

// A chapter source: its id, Spanish name and figure files in table order.
struct ChapterSource {
  std::string id;
  std::string name;
  std::vector<std::filesystem::path> figures;  // resolved against the source's folder
};

ChapterSource loadChapterSource(const std::filesystem::path& path);

}  // namespace sorvel::authoring
