#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "puzzle/puzzle_def.hpp"

namespace sorvel {

// Where the chapters on the table's shelf come from.
struct ShelfPlaces {
  // The game's resource folder: chapter 1 at its top, as it always was, and
  // the other chapters the game ships in chapters/<folder>/, in folder-name
  // order.
  std::filesystem::path resources;
  // The player's own chapters, one folder each; empty for none.
  std::filesystem::path playerChapters;
  // One chapter folder opened directly, to try it while making it; empty for
  // none.
  std::filesystem::path tryChapter;
};

struct Shelf {
  // The game's chapters, then the one tried, then the player's in
  // folder-name order.
  std::vector<Chapter> chapters;
  // Why a chapter of the player's was left off: one line each, naming the
  // file and the fault.
  std::vector<std::string> notes;
  // Where the tried chapter stands in `chapters`; chapters.size() when none.
  std::size_t tried = 0;
};

namespace Library {

// More folders than a shelf could show are left off with a note.
inline constexpr std::size_t kMaxShelfChapters = 64;
inline constexpr const char* kShippedChaptersFolder = "chapters";

// Loads every chapter from `places`. The game's own chapters and the tried one
// are all or nothing: a file at fault throws LoadError naming it. A player's
// chapter at fault, or one whose ids clash with a chapter already on the shelf
// (progress is saved by id, so two blocks sharing one would overwrite each
// other), is left off with a note and the rest load.
Shelf loadShelf(const ShelfPlaces& places);

}  // namespace Library
}  // namespace sorvel
