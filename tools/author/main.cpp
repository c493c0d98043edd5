// sorvel-author: turns a chapter source and its figure sources into the
// puzzle files and toys the game loads, or one voxel file into a chapter of
// one puzzle. See docs/authoring.md.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "author/authoring.hpp"
#include "author/figure.hpp"
#include "author/toy.hpp"
#include "author/vox.hpp"
#include "base/atomic_file.hpp"
#include "puzzle/library.hpp"

namespace fs = std::filesystem;
using namespace sorvel::authoring;

namespace {

// What a voxel file's figure gets when no figure source says otherwise.
constexpr int kVoxHidePercent = 35;

int usage() {
  std::cerr << "usage: sorvel-author [--check] CHAPTER-SOURCE RESOURCE-FOLDER\n"
               "       sorvel-author --vox FILE.vox CHAPTER-FOLDER\n"
               "  writes RESOURCE-FOLDER/puzzles/chapter.json, puzzles/<id>.json,\n"
               "  toys/<id>.mesh and toys/<id>.png from the chapter source and its figures;\n"
               "  --check writes nothing and fails if any of those files differs.\n"
               "  --vox writes the same files for a chapter of the one figure a voxel file\n"
               "  draws, its id and name taken from the file's name.\n";
  return 2;
}

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Authors every figure, prints a line for each and writes (or, checking,
// compares) the chapter's files. The exit status.
int author(const ChapterSource& chapter, const std::vector<Figure>& figures, const fs::path& resources, bool check) {
  std::vector<std::pair<fs::path, std::string>> outputs;
  std::printf("%-12s %-8s %5s %6s %7s %6s %5s %5s %5s\n", "id", "size", "cubes", "carve", "clues", "passes", "rows",
              "circ%", "squa%");
  for (const Figure& figure : figures) {
    const AuthoredPuzzle puzzle = authorPuzzle(figure);
    const sorvel::MeshData toy = buildToy(figure);
    int cubes = 0;
    for (bool f : figure.figureFlags()) cubes += f ? 1 : 0;
    const std::string size = std::to_string(figure.X) + "x" + std::to_string(figure.Y) + "x" + std::to_string(figure.Z);
    const ClueStyleShares shares = clueStyleShares(puzzle.clues);
    std::printf("%-12s %-8s %5d %6d %3d/%-3d %6d %5d %5d %5d\n", figure.id.c_str(), size.c_str(), cubes,
                static_cast<int>(figure.cells.size()) - cubes, puzzle.clueCount - puzzle.hiddenCount,
                puzzle.clueCount, puzzle.report.passes, puzzle.report.rowsUsed, shares.circled, shares.squared);
    outputs.emplace_back(resources / "puzzles" / (figure.id + ".json"), puzzleJson(figure, puzzle.clues));
    outputs.emplace_back(resources / "toys" / (figure.id + ".mesh"), sorvel::Meshes::encodeStoy(toy));
    outputs.emplace_back(resources / "toys" / (figure.id + ".png"), palettePng(figure));
  }
  outputs.emplace_back(resources / "puzzles" / "chapter.json", chapterJson(chapter, figures));

  int differing = 0;
  for (const auto& [path, bytes] : outputs) {
    if (!check) {
      // Atomically, so an interrupted run never leaves half a puzzle behind;
      // and only over plain files, since the folder is whatever was named.
      if (const sorvel::Result<void> written =
              sorvel::writeFileAtomically(path, bytes, sorvel::Replace::onlyRegularFile);
          !written) {
        throw std::runtime_error(written.why());
      }
    } else if (readBytes(path) != bytes) {
      std::cerr << path.string() << ": differs from what the sources give\n";
      ++differing;
    }
  }
  return differing == 0 ? 0 : 1;
}

int authorSources(const fs::path& source, const fs::path& resources, bool check) {
  const ChapterSource chapter = loadChapterSource(source);
  std::vector<Figure> figures;
  for (const fs::path& path : chapter.figures) {
    Figure figure = loadFigure(path);
    for (const Figure& earlier : figures) {
      if (earlier.id == figure.id) throw FigureError(path.string() + ": the id " + figure.id + " is used twice");
    }
    figures.push_back(std::move(figure));
  }
  return author(chapter, figures, resources, check);
}

int authorVox(const fs::path& file, const fs::path& folder) {
  Figure figure = figureFromVox(loadVox(file), file.string());
  const std::string stem = file.stem().string();
  figure.id = idFromFileName(stem);
  if (figure.id.empty()) {
    throw FigureError(file.string() + ": no id can be made from the file's name; give it one with letters a-z or digits");
  }
  // The name goes into the puzzle file as JSON text, which must be UTF-8.
  try {
    (void)nlohmann::json(stem).dump();
  } catch (const nlohmann::json::exception&) {
    throw FigureError(file.string() + ": the file's name is not UTF-8 text and cannot name the puzzle; rename it");
  }
  figure.name = stem;
  figure.hidePercent = kVoxHidePercent;
  // Writing over another chapter would drop its puzzles from its list, and a
  // player's chapter folder is easily named by mistake. The same figure's
  // chapter is written over, so a drawing can be tried again after a change.
  const fs::path existing = folder / "puzzles" / "chapter.json";
  if (std::error_code error; fs::exists(existing, error) || error) {
    bool same = false;
    try {
      const sorvel::ChapterDef there = sorvel::Library::parseChapter(readBytes(existing), existing);
      same = there.id == figure.id && there.puzzles == std::vector<std::string>{figure.id};
    } catch (const sorvel::LoadError&) {
    }
    if (!same) {
      throw FigureError(folder.string() + ": holds another chapter already; give a new folder for " + file.string());
    }
  }
  const ChapterSource chapter{.id = figure.id, .name = figure.name, .figures = {}};
  const int status = author(chapter, {figure}, folder, false);
  if (status == 0) std::printf("play it with: sorvel --chapter %s\n", folder.string().c_str());
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (args.size() == 3 && args[0] == "--vox") return authorVox(args[1], args[2]);
    bool check = false;
    if (!args.empty() && args[0] == "--check") {
      check = true;
      args.erase(args.begin());
    }
    if (args.size() != 2 || args[0].starts_with("--")) return usage();
    return authorSources(args[0], args[1], check);
  } catch (const std::exception& error) {
    std::cerr << "sorvel-author: " << error.what() << "\n";
    return 1;
  }
}
