#include "author/vox.hpp"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "puzzle/library.hpp"

namespace sorvel::authoring {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic = "VOX ";
constexpr std::uint32_t kOldestVersion = 150;
constexpr std::size_t kChunkHeader = 12;  // id, content bytes, children bytes
constexpr std::size_t kPaletteBytes = 256 * 4;
// Voxel coordinates are single bytes, so no model is larger.
constexpr std::uint32_t kLargestModelSide = 256;

constexpr std::size_t kMaxIdBytes = Library::kMaxIdBytes;

constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

// The format's palette for files that bring none: a 6x6x6 cube of the steps
// ff, cc, 99, 66, 33, 00 (blue changing fastest, red slowest, black left
// out), then ten shades each of red, green, blue and grey from ee down to 11.
std::array<std::uint32_t, 256> makeDefaultPalette() {
  std::array<std::uint32_t, 256> palette{};
  std::size_t index = 1;
  for (std::uint32_t r = 0; r < 6; ++r) {
    for (std::uint32_t g = 0; g < 6; ++g) {
      for (std::uint32_t b = 0; b < 6; ++b) {
        if (r == 5 && g == 5 && b == 5) continue;
        palette[index++] = ((0xFF - 0x33 * r) << 16) | ((0xFF - 0x33 * g) << 8) | (0xFF - 0x33 * b);
      }
    }
  }
  constexpr std::uint32_t shades[10] = {0xEE, 0xDD, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11};
  for (const std::uint32_t shift : {16u, 8u, 0u}) {
    for (const std::uint32_t shade : shades) palette[index++] = shade << shift;
  }
  for (const std::uint32_t shade : shades) palette[index++] = shade * 0x010101;
  return palette;
}

// Chunk ids are four bytes of anything; a message shows them readably.
std::string chunkName(std::string_view id) {
  std::string name;
  for (const char c : id) {
    if (c >= 0x20 && c < 0x7F) {
      name += c;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
      name += escaped;
    }
  }
  return name;
}

struct Chunk {
  std::string_view id;
  std::size_t at = 0;  // where its header starts
  std::size_t content = 0;  // where its content starts
  std::size_t contentBytes = 0;
  std::size_t end = 0;  // one past its children
};

class Reader {
 public:
  Reader(std::string_view bytes, std::string source) : bytes_(bytes), source_(std::move(source)) {}

  VoxModel read() {
    if (bytes_.size() < 4 || bytes_.substr(0, 4) != kMagic) fail("not a .vox file: it does not start with \"VOX \"");
    if (bytes_.size() < 8) fail("truncated: the file ends inside its version number");
    const std::uint32_t version = u32(4);
    if (version < kOldestVersion) {
      fail("version " + std::to_string(version) + " is older than any this reader knows (" +
           std::to_string(kOldestVersion) + ")");
    }
    if (bytes_.size() == 8) fail("truncated: the MAIN chunk is missing");
    const Chunk main = chunk(8, bytes_.size(), "the file");
    if (main.id != "MAIN") fail("the first chunk is " + chunkName(main.id) + ", not MAIN");
    std::vector<Chunk> children;
    for (std::size_t at = main.content + main.contentBytes; at < main.end;) {
      children.push_back(chunk(at, main.end, "its parent MAIN"));
      at = children.back().end;
    }
    // After the children: a child that overruns MAIN into bytes after it is
    // named as such, not as the bytes it runs into.
    if (main.end != bytes_.size()) {
      fail(std::to_string(bytes_.size() - main.end) + " stray bytes follow the MAIN chunk");
    }
    // Counted before anything else is read, so that a scene of several
    // models is named as such rather than by some fault of its second model.
    const auto models = std::count_if(children.begin(), children.end(), [](const Chunk& c) { return c.id == "SIZE"; });
    if (models > 1) fail("holds " + std::to_string(models) + " models; one figure per file");
    if (models == 0) fail("holds no model (no SIZE chunk)");

    VoxModel model;
    bool sized = false, filled = false;
    for (const Chunk& c : children) {
      if (c.id == "PACK") {
        need(c, 4);
        if (const std::uint32_t count = u32(c.content); count != 1) {
          fail("its PACK chunk counts " + std::to_string(count) + " models; one figure per file");
        }
      } else if (c.id == "SIZE") {
        readSize(c, model);
        sized = true;
      } else if (c.id == "XYZI") {
        if (!sized) fail("an XYZI chunk comes before the SIZE chunk it needs");
        if (filled) fail("holds two XYZI chunks for one model");
        readVoxels(c, model);
        filled = true;
      } else if (c.id == "RGBA") {
        if (model.ownPalette) fail("holds two RGBA chunks");
        readPalette(c, model);
      }
    }
    if (!filled) fail("its model has no XYZI chunk");
    if (!model.ownPalette) model.palette = defaultVoxPalette();
    return model;
  }

 private:
  [[noreturn]] void fail(const std::string& problem) const { throw VoxError(source_ + ": " + problem); }

  // Only after the caller has made sure four bytes are there.
  std::uint32_t u32(std::size_t at) const {
    const auto byte = [&](std::size_t k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[at + k])); };
    return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
  }

  // The chunk whose header starts at `at`, all of it before `limit` (the end
  // of `parent`).
  Chunk chunk(std::size_t at, std::size_t limit, const char* parent) const {
    if (limit - at < kChunkHeader) {
      fail("truncated: a chunk header at byte " + std::to_string(at) + " needs 12 bytes, " + parent + " has " +
           std::to_string(limit - at) + " left");
    }
    Chunk c{.id = bytes_.substr(at, 4), .at = at, .content = at + kChunkHeader, .contentBytes = u32(at + 4)};
    // In 64 bits: two sizes near 4 GiB must not wrap round to something small.
    const std::uint64_t end = std::uint64_t{c.content} + c.contentBytes + u32(at + 8);
    if (end > limit) {
      const std::string sizes = "(" + std::to_string(c.contentBytes) + " bytes of content and " +
                                std::to_string(u32(at + 8)) + " of children)";
      if (limit == bytes_.size()) {
        fail("truncated: the " + chunkName(c.id) + " chunk at byte " + std::to_string(at) + " " + sizes +
             " runs past the end of the file");
      }
      fail("the " + chunkName(c.id) + " chunk at byte " + std::to_string(at) + " " + sizes + " overruns " + parent +
           ", which ends at byte " + std::to_string(limit));
    }
    c.end = static_cast<std::size_t>(end);
    return c;
  }

  void need(const Chunk& c, std::size_t bytes) const {
    if (c.contentBytes != bytes) {
      fail("the " + chunkName(c.id) + " chunk at byte " + std::to_string(c.at) + " holds " +
           std::to_string(c.contentBytes) + " bytes of content, not " + std::to_string(bytes));
    }
  }

  void readSize(const Chunk& c, VoxModel& model) const {
    need(c, 12);
    const std::uint32_t sides[3] = {u32(c.content), u32(c.content + 4), u32(c.content + 8)};
    for (const std::uint32_t side : sides) {
      if (side < 1 || side > kLargestModelSide) {
        // As signed numbers, the way a writer with a bad size would have meant them.
        fail("the model's size " + std::to_string(static_cast<std::int32_t>(sides[0])) + " x " +
             std::to_string(static_cast<std::int32_t>(sides[1])) + " x " +
             std::to_string(static_cast<std::int32_t>(sides[2])) + " has a side outside 1 to 256");
      }
    }
    model.sizeX = static_cast<int>(sides[0]);
    model.sizeY = static_cast<int>(sides[1]);
    model.sizeZ = static_cast<int>(sides[2]);
  }

  void readVoxels(const Chunk& c, VoxModel& model) const {
    if (c.contentBytes < 4) need(c, 4);
    const std::uint32_t count = u32(c.content);
    if (count == 0) fail("its model holds no voxels");
    const std::uint64_t cells = std::uint64_t(model.sizeX) * model.sizeY * model.sizeZ;
    if (count > cells) {
      fail("its XYZI chunk counts " + std::to_string(count) + " voxels, more than the " + std::to_string(cells) +
           " places of a " + std::to_string(model.sizeX) + " x " + std::to_string(model.sizeY) + " x " +
           std::to_string(model.sizeZ) + " model");
    }
    // The count is now at most 256^3; the chunk must hold exactly that many.
    need(c, 4 + 4 * std::size_t{count});
    model.voxels.reserve(count);
    for (std::uint32_t k = 0; k < count; ++k) {
      const std::size_t at = c.content + 4 + 4 * std::size_t{k};
      const Voxel voxel{.x = static_cast<std::uint8_t>(bytes_[at]), .y = static_cast<std::uint8_t>(bytes_[at + 1]),
                        .z = static_cast<std::uint8_t>(bytes_[at + 2]),
                        .colour = static_cast<std::uint8_t>(bytes_[at + 3])};
      const std::string where = "voxel " + std::to_string(k) + " at (" + std::to_string(voxel.x) + ", " +
                                std::to_string(voxel.y) + ", " + std::to_string(voxel.z) + ")";
      if (voxel.x >= model.sizeX || voxel.y >= model.sizeY || voxel.z >= model.sizeZ) {
        fail(where + " lies outside the model's size " + std::to_string(model.sizeX) + " x " +
             std::to_string(model.sizeY) + " x " + std::to_string(model.sizeZ));
      }
      if (voxel.colour == 0) fail(where + " has colour index 0, which stands for no voxel");
      model.voxels.push_back(voxel);
    }
    std::vector<std::uint32_t> places;
    places.reserve(count);
    for (const Voxel& v : model.voxels) places.push_back(std::uint32_t{v.x} << 16 | std::uint32_t{v.y} << 8 | v.z);
    std::sort(places.begin(), places.end());
    if (const auto twice = std::adjacent_find(places.begin(), places.end()); twice != places.end()) {
      fail("two voxels share the place (" + std::to_string(*twice >> 16) + ", " + std::to_string((*twice >> 8) & 0xFF) +
           ", " + std::to_string(*twice & 0xFF) + ")");
    }
  }

  void readPalette(const Chunk& c, VoxModel& model) const {
    need(c, kPaletteBytes);
    // The file's first colour is index 1: index 0 means no voxel.
    for (std::size_t i = 0; i + 1 < 256; ++i) {
      const std::size_t at = c.content + 4 * i;
      model.palette[i + 1] = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[at])) << 16 |
                             static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[at + 1])) << 8 |
                             static_cast<unsigned char>(bytes_[at + 2]);
    }
    model.ownPalette = true;
  }

  std::string_view bytes_;
  std::string source_;
};

}  // namespace

const std::array<std::uint32_t, 256>& defaultVoxPalette() {
  static const std::array<std::uint32_t, 256> palette = makeDefaultPalette();
  return palette;
}

VoxModel parseVox(std::string_view bytes, const std::string& source) { return Reader(bytes, source).read(); }

VoxModel loadVox(const fs::path& path) {
  std::error_code error;
  const auto status = fs::status(path, error);
  if (error || !fs::exists(status)) throw VoxError(path.string() + ": cannot open the voxel file");
  if (!fs::is_regular_file(status)) throw VoxError(path.string() + ": is not a file");
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) throw VoxError(path.string() + ": cannot read the voxel file");
  if (size > kMaxVoxFileBytes) {
    throw VoxError(path.string() + ": " + std::to_string(size) + " bytes is far more than a figure's voxel file (at most " +
                   std::to_string(kMaxVoxFileBytes) + ")");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw VoxError(path.string() + ": cannot open the voxel file");
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(size));
  // Bounded again while reading: the file may have grown since it was measured.
  char buffer[4096];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kMaxVoxFileBytes) throw VoxError(path.string() + ": grew past the largest voxel file read");
  }
  if (in.bad()) throw VoxError(path.string() + ": cannot read the voxel file");
  return parseVox(bytes, path.string());
}

Figure figureFromVox(const VoxModel& model, const std::string& source) {
  const auto fail = [&](const std::string& problem) -> void { throw VoxError(source + ": " + problem); };
  if (model.voxels.empty()) fail("its model holds no voxels");
  int low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
  std::array<bool, 256> used{};
  for (const Voxel& v : model.voxels) {
    const int at[3] = {v.x, v.y, v.z};
    for (int axis = 0; axis < 3; ++axis) {
      low[axis] = std::min(low[axis], at[axis]);
      high[axis] = std::max(high[axis], at[axis]);
    }
    used[v.colour] = true;
  }
  Figure figure;
  figure.X = high[0] - low[0] + 1;
  figure.Y = high[2] - low[2] + 1;
  figure.Z = high[1] - low[1] + 1;
  if (figure.X > kLargestBlock.X || figure.Y > kLargestBlock.Y || figure.Z > kLargestBlock.Z) {
    fail("the figure is " + std::to_string(figure.X) + " wide, " + std::to_string(figure.Y) + " tall and " +
         std::to_string(figure.Z) + " deep; a block is " + largestBlockText());
  }
  std::array<char, 256> letter{};
  std::size_t colours = 0;
  for (std::size_t index = 1; index < used.size(); ++index) {
    if (!used[index]) continue;
    if (colours < kLetters.size()) {
      letter[index] = kLetters[colours];
      figure.palette.emplace(letter[index], model.palette[index] & 0xFFFFFF);
    }
    ++colours;
  }
  if (colours > kLetters.size()) {
    fail("uses " + std::to_string(colours) + " colours; a figure has at most " + std::to_string(kLetters.size()) +
         " (a-z, A-Z, 0-9)");
  }
  figure.cells.assign(static_cast<std::size_t>(figure.X) * figure.Y * figure.Z, '.');
  // The file's z is up; its -y side (a voxel editor's front view) faces the
  // player, who looks along our -z. (x, y, z) -> (x, z, -y) turns the model
  // without mirroring it.
  for (const Voxel& v : model.voxels) {
    figure.cells[static_cast<std::size_t>(figure.index(v.x - low[0], v.z - low[2], high[1] - v.y))] = letter[v.colour];
  }
  try {
    checkStands(figure, source, [&](int x, int y, int z) {
      return "the voxel at (" + std::to_string(x + low[0]) + ", " + std::to_string(high[1] - z) + ", " +
             std::to_string(y + low[2]) + ")";
    });
  } catch (const FigureError& error) {
    throw VoxError(error.what());
  }
  return figure;
}

std::string idFromFileName(std::string_view stem) {
  std::string id;
  for (const char c : stem) {
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_') {
      id += c;
    } else if (c >= 'A' && c <= 'Z') {
      id += static_cast<char>(c - 'A' + 'a');
    } else if (!id.empty() && id.back() != '-') {
      id += '-';
    }
  }
  // The game takes ids of up to 64 bytes; a long file name is cut short.
  if (id.size() > kMaxIdBytes) id.resize(kMaxIdBytes);
  while (!id.empty() && id.back() == '-') id.pop_back();
  return id;
}

}  // namespace sorvel::authoring
