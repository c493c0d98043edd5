#include "author/authoring.hpp"

#include <algorithm>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <sstream>

#include "base/split_mix.hpp"

namespace sorvel::authoring {

namespace {

std::uint64_t fnv1a(const std::string& text) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : text) hash = (hash ^ c) * 0x100000001b3ull;
  return hash;
}

std::string quoted(const std::string& text) { return nlohmann::json(text).dump(); }

std::string list(const std::vector<int>& codes) {
  std::string out = "[";
  for (size_t i = 0; i < codes.size(); ++i) out += (i ? ", " : "") + std::to_string(codes[i]);
  return out + "]";
}

// The Spanish name, and the English one when the source gives it.
std::string nameMap(const std::string& spanish, const std::string& english) {
  std::string map = "{\"es\": " + quoted(spanish);
  if (!english.empty()) map += ", \"en\": " + quoted(english);
  return map + "}";
}

}  // namespace

AuthoredPuzzle authorPuzzle(const Figure& figure) {
  AuthoredPuzzle out;
  out.clues = computeClues(figure.X, figure.Y, figure.Z, figure.figureFlags());
  out.report = solveByRows(figure.X, figure.Y, figure.Z, out.clues);
  if (!out.report.determined) {
    throw FigureError(figure.id + ": even with every clue shown the rows do not settle " +
                      std::to_string(out.report.cells.size() - out.report.cellsFound) +
                      " cubes; change the figure");
  }
  std::vector<int*> shown;
  for (auto* lane : {&out.clues.x, &out.clues.y, &out.clues.z}) {
    for (int& code : *lane) {
      if (code >= 0) shown.push_back(&code);
    }
  }
  out.clueCount = static_cast<int>(shown.size());
  // The hiding order must not depend on the standard library's shuffle,
  // whose results differ between implementations: the committed files have
  // to come out the same everywhere.
  SplitMix64 random(fnv1a(figure.id));
  for (size_t i = shown.size(); i > 1; --i) std::swap(shown[i - 1], shown[random.below(i)]);

  const int target = out.clueCount * figure.hidePercent / 100;
  for (int* code : shown) {
    if (out.hiddenCount >= target) break;
    const int kept = *code;
    *code = -1;
    SolveReport trial = solveByRows(figure.X, figure.Y, figure.Z, out.clues);
    if (trial.determined) {
      out.report = std::move(trial);
      ++out.hiddenCount;
    } else {
      *code = kept;
    }
  }
  return out;
}

ClueStyleShares clueStyleShares(const ClueLists& clues) {
  int shown = 0, styled[3] = {0, 0, 0};
  for (const auto* lane : {&clues.x, &clues.y, &clues.z}) {
    for (const int code : *lane) {
      if (const auto clue = decodeClue(code)) {
        ++shown;
        ++styled[std::clamp(clue->style, 0, 2)];
      }
    }
  }
  if (shown == 0) return {};
  const auto percent = [&](int count) { return (200 * count + shown) / (2 * shown); };
  return {.circled = percent(styled[1]), .squared = percent(styled[2])};
}

std::string puzzleJson(const Figure& figure, const ClueLists& clues) {
  std::string solution(figure.cells.size(), '0');
  for (size_t i = 0; i < figure.cells.size(); ++i) {
    if (figure.cells[i] != '.') solution[i] = '1';
  }
  std::ostringstream out;
  out << "{\n"
      << "  \"id\": " << quoted(figure.id) << ",\n"
      << "  \"name\": " << nameMap(figure.name, figure.englishName) << ",\n"
      << "  \"dims\": [" << figure.X << ", " << figure.Y << ", " << figure.Z << "],\n"
      << "  \"solution\": " << quoted(solution) << ",\n"
      << "  \"clues\": {\n"
      << "    \"x\": " << list(clues.x) << ",\n"
      << "    \"y\": " << list(clues.y) << ",\n"
      << "    \"z\": " << list(clues.z) << "\n"
      << "  },\n"
      << "  \"tutorial\": " << (figure.tutorial ? "true" : "false") << "\n"
      << "}\n";
  return out.str();
}

std::string chapterJson(const ChapterSource& chapter, const std::vector<Figure>& figures) {
  std::ostringstream out;
  out << "{\n"
      << "  \"id\": " << quoted(chapter.id) << ",\n"
      << "  \"name\": " << nameMap(chapter.name, chapter.englishName) << ",\n"
      << "  \"puzzles\": [";
  for (size_t i = 0; i < figures.size(); ++i) out << (i ? ",\n    " : "\n    ") << quoted(figures[i].id);
  out << "\n  ]\n}\n";
  return out.str();
}

}  // namespace sorvel::authoring
