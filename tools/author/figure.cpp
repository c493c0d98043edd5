#include "author/figure.hpp"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "author/vox.hpp"

namespace sorvel::authoring {
namespace fs = std::filesystem;

namespace {

std::string trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return std::string(text.substr(first, last - first + 1));
}

// "key: value  # note": a note starts at a '#' that follows a space and is
// followed by one, so colours such as #c8372d stay whole.
std::string withoutNote(const std::string& line) {
  for (size_t i = 1; i < line.size(); ++i) {
    if (line[i] == '#' && (line[i - 1] == ' ' || line[i - 1] == '\t') && (i + 1 == line.size() || line[i + 1] == ' ')) {
      return trim(line.substr(0, i));
    }
  }
  return line;
}

std::vector<std::string> words(std::string_view text) {
  std::vector<std::string> out;
  std::istringstream in{std::string(text)};
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

std::optional<int> integer(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string readText(const fs::path& path, const char* what) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FigureError(path.string() + ": cannot open the " + what);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool plainId(std::string_view id) {
  return !id.empty() && std::all_of(id.begin(), id.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
  });
}

bool paletteLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

class Parser {
 public:
  Parser(std::string_view text, std::string source, std::optional<fs::path> folder)
      : source_(std::move(source)), folder_(std::move(folder)) {
    std::istringstream in{std::string(text)};
    for (std::string line; std::getline(in, line);) lines_.push_back(line);
  }

  [[noreturn]] void fail(size_t line, const std::string& problem) const {
    throw FigureError(source_ + ":" + std::to_string(line + 1) + ": " + problem);
  }
  [[noreturn]] void fail(const std::string& problem) const { throw FigureError(source_ + ": " + problem); }

  Figure parse() {
    Figure figure;
    std::vector<std::pair<size_t, std::vector<std::string>>> layers;  // header line, rows
    std::set<std::string> seen;
    for (size_t n = 0; n < lines_.size(); ++n) {
      const std::string line = trim(lines_[n]);
      if (line.empty() || line[0] == '#') continue;
      if (line.rfind("layer", 0) == 0 && line.find(':') == std::string::npos) {
        const auto parts = words(line);
        const auto number = parts.size() == 2 ? integer(parts[1]) : std::nullopt;
        if (!number) fail(n, "a layer header reads \"layer N\", N counting from 0 at the bottom");
        layers.push_back({n, {}});
        layers.back().second.push_back(std::to_string(*number));
        continue;
      }
      if (!layers.empty()) {
        // Inside a layer every line is a row of cells until the next header.
        layers.back().second.push_back(line);
        rowLines_.push_back(n);
        continue;
      }
      const auto colon = line.find(':');
      if (colon == std::string::npos) fail(n, "expected \"key: value\" or \"layer N\"");
      const std::string key = trim(line.substr(0, colon));
      const std::string value = withoutNote(trim(line.substr(colon + 1)));
      if (key != "colour" && !seen.insert(key).second) fail(n, "\"" + key + "\" is given twice");
      readKey(figure, n, key, value);
    }
    for (const char* key : {"id", "name"}) {
      if (!seen.count(key)) fail(std::string("the key \"") + key + "\" is missing");
    }
    if (voxelsLine_) {
      // The voxel file draws the whole figure; lines that draw it too would
      // be silently overruled by it.
      if (seen.count("size") || !figure.palette.empty() || !layers.empty()) {
        fail(*voxelsLine_, "\"voxels\" takes the place of the size, colour and layer lines; give one or the other");
      }
      readVoxels(figure);
      return figure;
    }
    if (!seen.count("size")) fail("the key \"size\" is missing (or \"voxels\", naming a voxel file)");
    readLayers(figure, layers);
    checkStands(figure, source_, [](int x, int y, int z) {
      return "the cube at x " + std::to_string(x) + ", layer " + std::to_string(y) + ", row " + std::to_string(z);
    });
    return figure;
  }

 private:
  void readKey(Figure& figure, size_t n, const std::string& key, const std::string& value) {
    if (key == "id") {
      if (!plainId(value)) fail(n, "an id uses only a-z, 0-9, '-' and '_' (it names files)");
      figure.id = value;
    } else if (key == "name") {
      if (value.empty()) fail(n, "the name is empty");
      figure.name = value;
    } else if (key == "name-en") {
      if (value.empty()) fail(n, "the English name is empty");
      figure.englishName = value;
    } else if (key == "size") {
      const auto parts = words(value);
      int* sides[] = {&figure.X, &figure.Y, &figure.Z};
      if (parts.size() != 3) fail(n, "size reads \"X Y Z\" (width, height, depth)");
      for (int axis = 0; axis < 3; ++axis) {
        const auto side = integer(parts[axis]);
        const int largest[3] = {kLargestBlock.X, kLargestBlock.Y, kLargestBlock.Z};
        if (!side || *side < 1 || *side > largest[axis]) {
          fail(n, "the block is " + largestBlockText() + ", each side a whole number from 1");
        }
        *sides[axis] = *side;
      }
    } else if (key == "hide") {
      std::string number = value;
      if (!number.empty() && number.back() == '%') number.pop_back();
      const auto percent = integer(trim(number));
      if (!percent || *percent < 0 || *percent > 100) fail(n, "hide is a share from 0% to 100%");
      figure.hidePercent = *percent;
    } else if (key == "tutorial") {
      if (value != "yes" && value != "no") fail(n, "tutorial is \"yes\" or \"no\"");
      figure.tutorial = value == "yes";
    } else if (key == "voxels") {
      if (value.empty()) fail(n, "voxels names a voxel file, relative to this one");
      voxelsLine_ = n;
      voxels_ = value;
    } else if (key == "colour") {
      const auto parts = words(value);
      if (parts.size() != 2 || parts[0].size() != 1 || !paletteLetter(parts[0][0]) || parts[1].size() != 7 ||
          parts[1][0] != '#') {
        fail(n, "a colour reads \"colour: L #rrggbb\" with a letter or digit L");
      }
      std::uint32_t rgb = 0;
      const auto [end, error] = std::from_chars(parts[1].data() + 1, parts[1].data() + 7, rgb, 16);
      if (error != std::errc() || end != parts[1].data() + 7) fail(n, "\"" + parts[1] + "\" is not a #rrggbb colour");
      if (!figure.palette.emplace(parts[0][0], rgb).second) fail(n, "the letter " + parts[0] + " has a colour already");
    } else {
      fail(n, "unknown key \"" + key + "\"");
    }
  }

  void readLayers(Figure& figure, const std::vector<std::pair<size_t, std::vector<std::string>>>& layers) {
    if (static_cast<int>(layers.size()) != figure.Y) {
      fail("a block " + std::to_string(figure.Y) + " high needs " + std::to_string(figure.Y) +
           " layers, found " + std::to_string(layers.size()));
    }
    figure.cells.assign(static_cast<size_t>(figure.X) * figure.Y * figure.Z, '.');
    std::vector<bool> done(figure.Y, false);
    size_t rowLine = 0;
    for (const auto& [header, content] : layers) {
      const int y = *integer(content[0]);
      if (y < 0 || y >= figure.Y || done[y]) fail(header, "layer " + content[0] + " is out of range or repeated");
      done[y] = true;
      if (static_cast<int>(content.size()) - 1 != figure.Z) {
        fail(header, "a layer holds " + std::to_string(figure.Z) + " rows (back to front), found " +
                         std::to_string(content.size() - 1));
      }
      for (int z = 0; z < figure.Z; ++z) {
        const std::string& row = content[z + 1];
        const size_t line = rowLines_[rowLine++];
        if (static_cast<int>(row.size()) != figure.X) {
          fail(line, "a row holds " + std::to_string(figure.X) + " cells (left to right), found " +
                         std::to_string(row.size()));
        }
        for (int x = 0; x < figure.X; ++x) {
          const char c = row[x];
          if (c != '.' && !figure.palette.count(c)) fail(line, std::string("the letter ") + c + " has no colour");
          figure.cells[figure.index(x, y, z)] = c;
        }
      }
    }
  }

  void readVoxels(Figure& figure) const {
    if (!folder_) fail(*voxelsLine_, "voxels can only be read beside a figure file");
    const fs::path path = *folder_ / voxels_;
    try {
      const Figure drawn = figureFromVox(loadVox(path), path.string());
      figure.X = drawn.X;
      figure.Y = drawn.Y;
      figure.Z = drawn.Z;
      figure.cells = drawn.cells;
      figure.palette = drawn.palette;
    } catch (const FigureError& error) {
      fail(*voxelsLine_, error.what());
    }
  }

  std::string source_;
  std::optional<fs::path> folder_;
  std::optional<size_t> voxelsLine_;
  std::string voxels_;
  std::vector<std::string> lines_;
  std::vector<size_t> rowLines_;
};

}  // namespace

std::string largestBlockText() {
  return "at most " + std::to_string(kLargestBlock.X) + " wide, " + std::to_string(kLargestBlock.Y) + " tall and " +
         std::to_string(kLargestBlock.Z) + " deep";
}

void checkStands(const Figure& figure, const std::string& source,
                 const std::function<std::string(int x, int y, int z)>& cube) {
  const auto fail = [&](const std::string& problem) { throw FigureError(source + ": " + problem); };
  std::vector<int> stack;
  std::vector<bool> reached(figure.cells.size(), false);
  int figureCubes = 0;
  for (int i = 0; i < static_cast<int>(figure.cells.size()); ++i) figureCubes += figure.isFigure(i) ? 1 : 0;
  if (figureCubes == 0) fail("the figure has no cubes");
  for (int i = 0; i < figure.X * figure.Z; ++i) {
    const int cell = figure.index(i % figure.X, 0, i / figure.X);
    if (figure.isFigure(cell)) {
      reached[cell] = true;
      stack.push_back(cell);
    }
  }
  if (stack.empty()) fail("nothing in layer 0: the figure would float above its plinth");
  int count = 0;
  while (!stack.empty()) {
    const int cell = stack.back();
    stack.pop_back();
    ++count;
    const int x = cell % figure.X, y = cell / (figure.X * figure.Z), z = (cell / figure.X) % figure.Z;
    const int steps[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const auto& step : steps) {
      const int nx = x + step[0], ny = y + step[1], nz = z + step[2];
      if (nx < 0 || ny < 0 || nz < 0 || nx >= figure.X || ny >= figure.Y || nz >= figure.Z) continue;
      const int next = figure.index(nx, ny, nz);
      if (figure.isFigure(next) && !reached[next]) {
        reached[next] = true;
        stack.push_back(next);
      }
    }
  }
  if (count == figureCubes) return;
  for (int i = 0; i < static_cast<int>(figure.cells.size()); ++i) {
    if (figure.isFigure(i) && !reached[i]) {
      const int x = i % figure.X, y = i / (figure.X * figure.Z), z = (i / figure.X) % figure.Z;
      fail(cube(x, y, z) + " does not touch the rest of the figure through a face");
    }
  }
}

std::vector<bool> Figure::figureFlags() const {
  std::vector<bool> flags(cells.size());
  for (size_t i = 0; i < cells.size(); ++i) flags[i] = cells[i] != '.';
  return flags;
}

Figure parseFigure(std::string_view text, const std::string& source, const std::optional<fs::path>& folder) {
  return Parser(text, source, folder).parse();
}

Figure loadFigure(const fs::path& path) {
  return parseFigure(readText(path, "figure"), path.string(), path.parent_path());
}

ChapterSource loadChapterSource(const fs::path& path) {
  const std::string text = readText(path, "chapter source");
  ChapterSource chapter;
  std::istringstream in(text);
  int number = 0;
  for (std::string raw; std::getline(in, raw);) {
    ++number;
    const std::string line = trim(raw);
    if (line.empty() || line[0] == '#') continue;
    const auto colon = line.find(':');
    const std::string where = path.string() + ":" + std::to_string(number) + ": ";
    if (colon == std::string::npos) throw FigureError(where + "expected \"key: value\"");
    const std::string key = trim(line.substr(0, colon));
    const std::string value = withoutNote(trim(line.substr(colon + 1)));
    if (key == "id" && plainId(value)) {
      chapter.id = value;
    } else if (key == "name" && !value.empty()) {
      chapter.name = value;
    } else if (key == "name-en" && !value.empty()) {
      chapter.englishName = value;
    } else if (key == "figure" && !value.empty()) {
      chapter.figures.push_back(path.parent_path() / value);
    } else {
      throw FigureError(where + "expected id, name, name-en or figure with a value");
    }
  }
  if (chapter.id.empty() || chapter.name.empty()) throw FigureError(path.string() + ": needs an id and a name");
  return chapter;
}

}  // namespace sorvel::authoring
