// sorvel-author: turns a chapter source and its figure sources into the
// puzzle files and toys the game loads. See docs/authoring.md.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "author/authoring.hpp"
#include "base/atomic_file.hpp"
#include "author/figure.hpp"
#include "author/toy.hpp"

namespace fs = std::filesystem;
using namespace sorvel::authoring;

namespace {

int usage() {
  std::cerr << "usage: sorvel-author [--check] CHAPTER-SOURCE RESOURCE-FOLDER\n"
               "  writes RESOURCE-FOLDER/puzzles/chapter.json, puzzles/<id>.json,\n"
               "  toys/<id>.mesh and toys/<id>.png from the chapter source and its figures;\n"
               "  --check writes nothing and fails if any of those files differs.\n";
  return 2;
}

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bool check = false;
  if (!args.empty() && args[0] == "--check") {
    check = true;
    args.erase(args.begin());
  }
  if (args.size() != 2) return usage();
  const fs::path resources = args[1];
  try {
    const ChapterSource chapter = loadChapterSource(args[0]);
    std::vector<Figure> figures;
    std::vector<std::pair<fs::path, std::string>> outputs;
    std::printf("%-12s %-8s %5s %6s %7s %6s %5s\n", "id", "size", "cubes", "carve", "clues", "passes", "rows");
    for (const fs::path& source : chapter.figures) {
      Figure figure = loadFigure(source);
      for (const Figure& earlier : figures) {
        if (earlier.id == figure.id) throw FigureError(source.string() + ": the id " + figure.id + " is used twice");
      }
      const AuthoredPuzzle puzzle = authorPuzzle(figure);
      const sorvel::MeshData toy = buildToy(figure);
      int cubes = 0;
      for (bool f : figure.figureFlags()) cubes += f ? 1 : 0;
      const std::string size = std::to_string(figure.X) + "x" + std::to_string(figure.Y) + "x" + std::to_string(figure.Z);
      std::printf("%-12s %-8s %5d %6d %3d/%-3d %6d %5d\n", figure.id.c_str(), size.c_str(), cubes,
                  static_cast<int>(figure.cells.size()) - cubes, puzzle.clueCount - puzzle.hiddenCount,
                  puzzle.clueCount, puzzle.report.passes, puzzle.report.rowsUsed);
      outputs.emplace_back(resources / "puzzles" / (figure.id + ".json"), puzzleJson(figure, puzzle.clues));
      outputs.emplace_back(resources / "toys" / (figure.id + ".mesh"), sorvel::Meshes::encodeStoy(toy));
      outputs.emplace_back(resources / "toys" / (figure.id + ".png"), palettePng(figure));
      figures.push_back(std::move(figure));
    }
    outputs.emplace_back(resources / "puzzles" / "chapter.json", chapterJson(chapter, figures));

    int differing = 0;
    for (const auto& [path, bytes] : outputs) {
      if (!check) {
        // Atomically, so an interrupted run never leaves half a puzzle behind.
        if (const sorvel::Result<void> written = sorvel::writeFileAtomically(path, bytes); !written) {
          throw std::runtime_error(written.why());
        }
      } else if (readBytes(path) != bytes) {
        std::cerr << path.string() << ": differs from what the sources give\n";
        ++differing;
      }
    }
    return differing == 0 ? 0 : 1;
  } catch (const std::exception& error) {
    std::cerr << "sorvel-author: " << error.what() << "\n";
    return 1;
  }
}
