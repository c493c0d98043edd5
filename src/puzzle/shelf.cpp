#include "puzzle/shelf.hpp"

#include <algorithm>
#include <map>
#include <optional>
#include <system_error>

#include "puzzle/library.hpp"

namespace sorvel {
namespace fs = std::filesystem;

namespace {

// The chapter folders under `parent`, in name order. Files and hidden folders
// beside them (a README, a folder a file manager left) are not chapters.
std::vector<fs::path> chapterFolders(const fs::path& parent, std::vector<std::string>* notes = nullptr) {
  std::vector<fs::path> folders;
  std::error_code error;
  fs::directory_iterator entries(parent, error);
  if (error) {
    // No folder is no chapters; one that cannot be read hides them.
    if (notes != nullptr && error != std::errc::no_such_file_or_directory) {
      notes->push_back(parent.string() + ": cannot be read (" + error.message() + "); its chapters are left off");
    }
    return folders;
  }
  for (const fs::directory_entry& entry : entries) {
    const std::string name = entry.path().filename().string();
    std::error_code kind;
    if (name.empty() || name[0] == '.' || !entry.is_directory(kind)) continue;
    folders.push_back(entry.path());
  }
  std::sort(folders.begin(), folders.end());
  return folders;
}

fs::path chapterFile(const Chapter& chapter) {
  const fs::path inside = chapter.folder / "puzzles" / "chapter.json";
  std::error_code error;
  return fs::exists(inside, error) ? inside : chapter.folder / "chapter.json";
}

fs::path puzzleFile(const Chapter& chapter, const std::string& id) {
  const fs::path inside = chapter.folder / "puzzles" / (id + ".json");
  std::error_code error;
  return fs::exists(inside, error) ? inside : chapter.folder / (id + ".json");
}

bool sameFolder(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::equivalent(a, b, error);
}

// The ids already on the shelf, each with the file that claimed it.
class Claims {
 public:
  // Why `chapter` cannot join the shelf beside what is there, or nothing.
  std::optional<std::string> clash(const Chapter& chapter) const {
    if (auto found = chapters_.find(chapter.chapter.id); found != chapters_.end()) {
      return chapterFile(chapter).string() + ": the chapter id \"" + chapter.chapter.id + "\" is already used by " +
             found->second.string();
    }
    for (const PuzzleDef& puzzle : chapter.puzzles) {
      if (auto found = puzzles_.find(puzzle.id); found != puzzles_.end()) {
        return puzzleFile(chapter, puzzle.id).string() + ": the id \"" + puzzle.id + "\" is already used by " +
               found->second.string() + "; each block needs its own id to keep its progress";
      }
    }
    return std::nullopt;
  }

  void claim(const Chapter& chapter) {
    chapters_.emplace(chapter.chapter.id, chapterFile(chapter));
    for (const PuzzleDef& puzzle : chapter.puzzles) puzzles_.emplace(puzzle.id, puzzleFile(chapter, puzzle.id));
  }

 private:
  std::map<std::string, fs::path> chapters_;
  std::map<std::string, fs::path> puzzles_;
};

}  // namespace

namespace Library {

Shelf loadShelf(const ShelfPlaces& places) {
  Shelf shelf;
  Claims claims;
  // The game's own chapters and the tried one must load: a fault there is
  // the game's or the author's to mend, not to hide.
  const auto mustJoin = [&](const fs::path& folder, bool shipped) {
    Chapter chapter = load(folder);
    chapter.shipped = shipped;
    if (auto clash = claims.clash(chapter)) throw LoadError(*clash);
    claims.claim(chapter);
    shelf.chapters.push_back(std::move(chapter));
  };
  mustJoin(places.resources, true);
  for (const fs::path& folder : chapterFolders(places.resources / kShippedChaptersFolder)) mustJoin(folder, true);
  shelf.tried = shelf.chapters.size();
  if (!places.tryChapter.empty()) mustJoin(places.tryChapter, false);

  if (places.playerChapters.empty()) return shelf;
  for (const fs::path& folder : chapterFolders(places.playerChapters, &shelf.notes)) {
    // A chapter tried from its own place in the player's folder is on the
    // shelf already.
    if (!places.tryChapter.empty() && sameFolder(folder, places.tryChapter)) continue;
    if (shelf.chapters.size() >= kMaxShelfChapters) {
      shelf.notes.push_back(folder.string() + ": left off the shelf, which holds at most " +
                            std::to_string(kMaxShelfChapters) + " chapters");
      continue;
    }
    try {
      Chapter chapter = load(folder);
      chapter.shipped = false;
      if (chapter.puzzles.empty()) {
        shelf.notes.push_back(chapterFile(chapter).string() + ": lists no puzzles; the chapter is left off the shelf");
        continue;
      }
      if (auto clash = claims.clash(chapter)) {
        shelf.notes.push_back(*clash + "; the chapter is left off the shelf");
        continue;
      }
      claims.claim(chapter);
      shelf.chapters.push_back(std::move(chapter));
    } catch (const LoadError& error) {
      shelf.notes.push_back(std::string(error.what()) + "; the chapter is left off the shelf");
    }
  }
  return shelf;
}

}  // namespace Library
}  // namespace sorvel
