// The chapter file lists the puzzles to load by name; a bad one must stop the
// load with a LoadError naming it, and no name it lets through may lead out
// of the resource folder.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.hpp"
#include "puzzle/library.hpp"

using namespace sorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ChapterDef chapter;
  try {
    chapter = Library::parseChapter(fuzz::text(data, size), "fuzz/chapter.json");
  } catch (const LoadError&) {
    return 0;
  }
  fuzz::require(chapter.puzzles.size() <= static_cast<std::size_t>(Library::kMaxChapterBlocks),
                "an accepted chapter keeps within its number of blocks");
  for (const std::string& id : chapter.puzzles) {
    fuzz::require(id.size() <= Library::kMaxIdBytes, "an accepted puzzle id keeps within its length");
    fuzz::require(!id.empty() && id != "." && id != "..", "a puzzle id names a file");
    fuzz::require(id.find_first_of(std::string("/\\\0", 3)) == std::string::npos,
                  "a puzzle id stays inside the puzzle folder");
  }
  return 0;
}
