#pragma once

#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "puzzle/puzzle_def.hpp"

namespace sorvel {

// Why a chapter could not be loaded; the message names the file and the fault.
class LoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Chapter {
  ChapterDef chapter;
  std::vector<PuzzleDef> puzzles;  // same length and order as chapter.puzzles
};

namespace Library {

// One chapter or puzzle file's text, decoded and checked; `file` names it in
// the LoadError thrown for any fault.
ChapterDef parseChapter(std::string_view text, const std::filesystem::path& file);
PuzzleDef parsePuzzle(std::string_view text, const std::filesystem::path& file);

// Loads "chapter" and every puzzle it lists from `resources` (each file looked
// for in "puzzles/" first, then at the top). All or nothing: throws LoadError
// on the first file that is missing, unreadable, malformed or inconsistent.
Chapter load(const std::filesystem::path& resources);

// The game's chapter from `resources` (by default the game's resource
// folder); a chapter that cannot be loaded ends the program with the reason
// (status 1).
std::pair<ChapterDef, std::vector<PuzzleDef>> chapter(const std::filesystem::path& resources);
std::pair<ChapterDef, std::vector<PuzzleDef>> chapter();

}  // namespace Library
}  // namespace sorvel
