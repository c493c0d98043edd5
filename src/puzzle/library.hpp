#pragma once

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "base/result.hpp"
#include "puzzle/puzzle_def.hpp"

namespace sorvel {

// Why a chapter could not be loaded; the message names the file and the fault.
class LoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace Library {

// What one chapter may hold. Real chapters keep to about ten blocks of at most
// 14x10x10 (ten of those fit). The table draws every cube of every block:
// far past these a still took half a minute and gigabytes, the window
// crawled, and the table outgrew the camera.
inline constexpr int kMaxSide = 24;
inline constexpr int kMaxChapterBlocks = 16;
inline constexpr long long kMaxChapterCells = 16000;
// Ids name files and the keys progress is saved under.
inline constexpr std::size_t kMaxIdBytes = 64;

// One chapter or puzzle file's text, decoded and checked; `file` names it in
// the LoadError thrown for any fault.
ChapterDef parseChapter(std::string_view text, const std::filesystem::path& file);
PuzzleDef parsePuzzle(std::string_view text, const std::filesystem::path& file);

// Loads "chapter" and every puzzle it lists from `resources` (each file looked
// for in "puzzles/" first, then at the top). All or nothing: throws LoadError
// on the first file that is missing, unreadable, malformed or inconsistent, or
// that takes the chapter past the limits above.
Chapter load(const std::filesystem::path& resources);

// The game's chapter from `resources`, or why it cannot be played, naming the
// file at fault.
Result<Chapter> chapter(const std::filesystem::path& resources);

}  // namespace Library
}  // namespace sorvel
