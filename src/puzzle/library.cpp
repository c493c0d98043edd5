#include "puzzle/library.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <string_view>

#include "base/json_depth.hpp"
#include "base/resources.hpp"
#include "base/small_file.hpp"
#include "puzzle/text.hpp"

namespace sorvel {
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr int kHighestClueCode = 29;  // 3 styles x digits 0-9: the glyphs there are

std::string inQuotes(std::string_view text) { return "\"" + std::string(text) + "\""; }

const char* typeName(const json& value) {
  if (value.is_number_float()) return "a fractional number";
  return value.type_name();  // "string", "number", "array", "object", "boolean", "null"
}

// Reads one decoded file, checking every key it is asked for; each failure
// names the file.
class Decoder {
 public:
  Decoder(fs::path path, json root) : path_(std::move(path)), root_(std::move(root)) {
    if (!root_.is_object()) fail("must hold a JSON object, not " + std::string(typeName(root_)));
  }

  [[noreturn]] void fail(const std::string& problem) const {
    throw LoadError(path_.string() + ": " + problem);
  }

  const json& require(const char* key) const {
    const auto found = root_.find(key);
    if (found == root_.end()) fail("the required key " + inQuotes(key) + " is missing");
    return *found;
  }

  std::string string(const char* key) const {
    const json& value = require(key);
    if (!value.is_string()) fail(inQuotes(key) + " must be a string, not " + typeName(value));
    return value.get<std::string>();
  }

  std::map<std::string, std::string> names(const char* key) const {
    const json& value = require(key);
    if (!value.is_object()) fail(inQuotes(key) + " must be an object of strings, not " + typeName(value));
    std::map<std::string, std::string> out;
    for (const auto& [language, text] : value.items()) {
      if (!text.is_string()) {
        fail(inQuotes(key) + " entry " + inQuotes(language) + " must be a string, not " + typeName(text));
      }
      out.emplace(language, text.get<std::string>());
    }
    return out;
  }

  std::vector<std::string> strings(const char* key) const {
    const json& value = require(key);
    if (!value.is_array()) fail(inQuotes(key) + " must be a list of strings, not " + typeName(value));
    std::vector<std::string> out;
    for (size_t i = 0; i < value.size(); ++i) {
      if (!value[i].is_string()) {
        fail(inQuotes(key) + " entry " + std::to_string(i) + " must be a string, not " + typeName(value[i]));
      }
      out.push_back(value[i].get<std::string>());
    }
    return out;
  }

  std::vector<int> integers(const json& value, const std::string& what) const {
    if (!value.is_array()) fail(what + " must be a list of integers, not " + typeName(value));
    std::vector<int> out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
      const json& item = value[i];
      if (!item.is_number_integer()) {
        fail(what + " entry " + std::to_string(i) + " must be an integer, not " + typeName(item));
      }
      const bool fits = item.is_number_unsigned()
                            ? item.get<std::uint64_t>() <= std::numeric_limits<int>::max()
                            : item.get<std::int64_t>() >= std::numeric_limits<int>::min() &&
                                  item.get<std::int64_t>() <= std::numeric_limits<int>::max();
      if (!fits) fail(what + " entry " + std::to_string(i) + " is out of range");
      out.push_back(item.get<int>());
    }
    return out;
  }

  std::map<std::string, std::vector<int>> clueLists(const char* key) const {
    const json& value = require(key);
    if (!value.is_object()) fail(inQuotes(key) + " must be an object of integer lists, not " + typeName(value));
    std::map<std::string, std::vector<int>> out;
    // Only the three axes mean anything; other entries are left alone.
    for (const char* axis : {"x", "y", "z"}) {
      if (auto list = value.find(axis); list != value.end()) {
        out.emplace(axis, integers(*list, inQuotes(key) + " list " + inQuotes(axis)));
      }
    }
    return out;
  }

  std::optional<bool> optionalBoolean(const char* key) const {
    const auto found = root_.find(key);
    if (found == root_.end() || found->is_null()) return std::nullopt;
    if (!found->is_boolean()) fail(inQuotes(key) + " must be true or false, not " + typeName(*found));
    return found->get<bool>();
  }

 private:
  fs::path path_;
  json root_;
};

// Puzzle files are a few kilobytes and nest three deep; a file far past
// either is not one, and parsing it whole would cost a gigabyte and seconds
// before the refusal. The depth leaves room for keys a later format may add.
constexpr std::uintmax_t kMaxDefinitionBytes = 4u << 20;
constexpr int kMaxDefinitionDepth = 16;

std::string strippedJsonMessage(const std::string& what) {
  // "[json.exception.parse_error.101] parse error at line 3, column 7: ..."
  const auto bracket = what.find("] ");
  return bracket == std::string::npos ? what : what.substr(bracket + 2);
}

json parseJson(std::string_view text, const fs::path& path) {
  if (!nestsWithin(text, kMaxDefinitionDepth)) {
    throw LoadError(path.string() + ": JSON nested more than " + std::to_string(kMaxDefinitionDepth) +
                    " levels deep; puzzle files need three");
  }
  try {
    return json::parse(text);
  } catch (const json::exception& error) {
    // Syntax errors, numbers no double can hold, bad UTF-8: whatever the
    // parser objects to is a fault of the file.
    throw LoadError(path.string() + ": JSON " + strippedJsonMessage(error.what()));
  }
}

std::string readText(const fs::path& path) {
  SmallFile file = readSmallFile(path, kMaxDefinitionBytes);
  switch (file.status) {
    case SmallFile::Status::read:
      return std::move(file.text);
    case SmallFile::Status::tooLarge:
      throw LoadError(path.string() + ": " + std::to_string(file.size) +
                      " bytes is too large for a puzzle file (at most " + std::to_string(kMaxDefinitionBytes) + ")");
    case SmallFile::Status::notRegular:
      throw LoadError(path.string() + ": cannot be read");
    case SmallFile::Status::missing:
    case SmallFile::Status::unreadable:
      break;
  }
  throw LoadError(path.string() + ": cannot be opened for reading");
}

// Identifiers become file names and settings keys; anything that could leave
// the resource folder is refused.
void checkIdentifier(const Decoder& file, const std::string& id, const std::string& what) {
  const bool plain = !id.empty() && id != "." && id != ".." &&
                     id.find_first_of(std::string_view("/\\\0", 3)) == std::string::npos;
  if (!plain) file.fail(what + " " + inQuotes(id) + " is not a plain file name");
  if (id.size() > Library::kMaxIdBytes) {
    file.fail(what + " of " + std::to_string(id.size()) + " bytes is too long (at most " +
              std::to_string(Library::kMaxIdBytes) + ")");
  }
}

fs::path locate(const fs::path& resources, const std::string& name, const std::string& what) {
  if (auto path = findResource(resources, "puzzles", name, "json")) return *path;
  // A folder the player may not enter looks empty; "not found" would send
  // them looking for files that are there.
  for (const fs::path& dir : {resources, resources / "puzzles"}) {
    if (::access(dir.c_str(), F_OK) != 0 && errno != EACCES) continue;
    if (::access(dir.c_str(), R_OK | X_OK) != 0) {
      throw LoadError(dir.string() + ": cannot be read (" + std::strerror(errno) + "), so " + what + " " +
                      inQuotes(name) + " cannot be loaded");
    }
  }
  throw LoadError(what + " " + inQuotes(name) + " not found: looked for " +
                  (resources / "puzzles" / (name + ".json")).string() + " and " +
                  (resources / (name + ".json")).string());
}

ChapterDef decodeChapter(std::string_view text, const fs::path& path) {
  const Decoder file(path, parseJson(text, path));
  ChapterDef chapter{
      .id = file.string("id"),
      .name = file.names("name"),
      .puzzles = file.strings("puzzles"),
  };
  if (chapter.puzzles.size() > static_cast<size_t>(Library::kMaxChapterBlocks)) {
    file.fail("\"puzzles\" lists " + std::to_string(chapter.puzzles.size()) + " blocks; a chapter holds at most " +
              std::to_string(Library::kMaxChapterBlocks));
  }
  for (const std::string& id : chapter.puzzles) checkIdentifier(file, id, "puzzle id");
  return chapter;
}

void checkConsistency(const Decoder& file, const PuzzleDef& def) {
  if (def.dims.size() < 3) {
    file.fail("\"dims\" needs three entries (X, Y, Z), found " + std::to_string(def.dims.size()));
  }
  const char* axisNames[] = {"X", "Y", "Z"};
  for (int axis = 0; axis < 3; ++axis) {
    if (def.dims[axis] < 1) {
      file.fail(std::string("\"dims\" entry ") + std::to_string(axis) + " (" + axisNames[axis] +
                ") is " + std::to_string(def.dims[axis]) + "; every size must be at least 1");
    }
  }
  const long long X = def.dims[0], Y = def.dims[1], Z = def.dims[2];
  const std::string size = std::to_string(X) + "x" + std::to_string(Y) + "x" + std::to_string(Z);
  long long cells = 0;
  const bool tooLarge = __builtin_mul_overflow(X * Y, Z, &cells);  // X * Y fits: both below 2^31
  const size_t characters = countCharacters(def.solution);
  if (tooLarge || static_cast<long long>(characters) != cells) {
    file.fail("\"solution\" has " + std::to_string(characters) + " characters, but a " + size +
              " block has " + (tooLarge ? std::string("more") : std::to_string(cells)) + " cells");
  }
  for (int axis = 0; axis < 3; ++axis) {
    if (def.dims[axis] > Library::kMaxSide) {
      file.fail(std::string("\"dims\" entry ") + std::to_string(axis) + " (" + axisNames[axis] + ") is " +
                std::to_string(def.dims[axis]) + "; a block is at most " + std::to_string(Library::kMaxSide) +
                " cubes a side");
    }
  }
  const std::pair<const char*, long long> expected[] = {{"x", Y * Z}, {"y", X * Z}, {"z", X * Y}};
  for (const auto& [axis, length] : expected) {
    const auto list = def.clues.find(axis);
    if (list == def.clues.end()) {
      file.fail(std::string("\"clues\" has no list \"") + axis + "\" (a " + size + " block needs " +
                std::to_string(length) + " entries)");
    }
    if (static_cast<long long>(list->second.size()) != length) {
      file.fail(std::string("clue list \"") + axis + "\" has " + std::to_string(list->second.size()) +
                " entries, but a " + size + " block needs " + std::to_string(length));
    }
    for (size_t i = 0; i < list->second.size(); ++i) {
      if (list->second[i] > kHighestClueCode) {
        file.fail(std::string("clue list \"") + axis + "\" entry " + std::to_string(i) + " is " +
                  std::to_string(list->second[i]) +
                  "; clue codes run from 0 to 29 (negative for no clue)");
      }
    }
  }
}

PuzzleDef decodePuzzle(std::string_view text, const fs::path& path) {
  const Decoder file(path, parseJson(text, path));
  PuzzleDef def{
      .id = file.string("id"),
      .name = file.names("name"),
      .dims = file.integers(file.require("dims"), "\"dims\""),
      .solution = file.string("solution"),
      .clues = file.clueLists("clues"),
      .tutorial = file.optionalBoolean("tutorial"),
  };
  checkIdentifier(file, def.id, "\"id\"");
  checkConsistency(file, def);
  return def;
}

}  // namespace

namespace Library {

ChapterDef parseChapter(std::string_view text, const fs::path& file) { return decodeChapter(text, file); }

PuzzleDef parsePuzzle(std::string_view text, const fs::path& file) { return decodePuzzle(text, file); }

Chapter load(const fs::path& resources) {
  Chapter result;
  result.folder = resources;
  const fs::path chapterFile = locate(resources, "chapter", "chapter file");
  result.chapter = decodeChapter(readText(chapterFile), chapterFile);
  result.puzzles.reserve(result.chapter.puzzles.size());
  std::map<std::string, fs::path> seen;
  long long cells = 0;
  for (const std::string& id : result.chapter.puzzles) {
    const fs::path path = locate(resources, id, "puzzle file");
    result.puzzles.push_back(decodePuzzle(readText(path), path));
    const std::vector<int>& dims = result.puzzles.back().dims;
    cells += static_cast<long long>(dims[0]) * dims[1] * dims[2];  // each side checked, so no overflow
    if (cells > Library::kMaxChapterCells) {
      throw LoadError(path.string() + ": its " + std::to_string(dims[0]) + "x" + std::to_string(dims[1]) + "x" +
                      std::to_string(dims[2]) + " block brings the chapter to " + std::to_string(cells) +
                      " cubes; a chapter holds at most " + std::to_string(Library::kMaxChapterCells));
    }
    // Progress is saved under the puzzle's id: two blocks sharing one would
    // overwrite each other's saved cells.
    const std::string& own = result.puzzles.back().id;
    if (auto [earlier, fresh] = seen.emplace(own, path); !fresh) {
      throw LoadError(path.string() + ": the id " + inQuotes(own) + " is already used by " +
                      earlier->second.string() + "; each block needs its own id to keep its progress");
    }
  }
  return result;
}

Result<Chapter> chapter(const fs::path& resources) {
  try {
    return load(resources);
  } catch (const LoadError& error) {
    return Reason{std::string("cannot load the puzzles: ") + error.what()};
  }
}

}  // namespace Library
}  // namespace sorvel
