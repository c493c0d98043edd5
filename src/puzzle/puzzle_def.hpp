#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sorvel {

// The chapter file: which puzzles stand on the table, in order.
struct ChapterDef {
  std::string id;
  std::map<std::string, std::string> name;  // title per language code
  std::vector<std::string> puzzles;         // puzzle ids; position = slot index
};

// One puzzle file, as decoded. Immutable once loaded; the live state of a
// block is a Puzzle.
struct PuzzleDef {
  std::string id;
  std::map<std::string, std::string> name;  // display name per language code
  std::vector<int> dims;                    // X, Y, Z (later entries ignored)
  std::string solution;                     // one character per cell, '1' = figure
  std::map<std::string, std::vector<int>> clues;  // "x", "y", "z" rows
  std::optional<bool> tutorial;             // absent counts as false

  bool isTutorial() const { return tutorial.value_or(false); }
};

// A chapter as loaded: its definition and its puzzles.
struct Chapter {
  ChapterDef chapter;
  std::vector<PuzzleDef> puzzles;  // same length and order as chapter.puzzles
  std::filesystem::path folder;    // where it was loaded from; its toys are there too
  // The game's own chapters open one after another as the player carves; a
  // player's chapter is always open.
  bool shipped = true;
};

}  // namespace sorvel
