#include "app/window_state.hpp"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <utility>

#include <nlohmann/json.hpp>

#include "base/atomic_file.hpp"
#include "base/shallow_json.hpp"
#include "base/resources.hpp"
#include "base/small_file.hpp"

namespace sorvel {
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// The file holds six short values; anything this large is not ours.
constexpr std::uintmax_t kMaxFileBytes = 64u << 10;

// A temporary file of an earlier write this old was left by a run that died
// mid-write.
constexpr std::chrono::minutes kStaleTemporaryAge{5};

// How much of the window's top must lie on a display for the player to take
// hold of its title bar and drag it back: the strip's full height and this
// much of its width.
constexpr std::int64_t kTitleStripHeight = 30;
constexpr std::int64_t kGripWidth = 100;

// Why `state` could not have been written by us; empty when it could.
std::string implausibility(const WindowState& state) {
  for (const auto& [name, side] : {std::pair{"width", state.width}, std::pair{"height", state.height}}) {
    if (side <= 0 || side > kMaxWindowSide) {
      return "\"" + std::string(name) + "\" is " + std::to_string(side) + "; a window's sides are 1 to " +
             std::to_string(kMaxWindowSide) + " points";
    }
  }
  return {};
}

// The entry `key` of `values` as a number of points, or why it is not one.
std::string readPoints(const json& values, const char* key, int& out) {
  const auto entry = values.find(key);
  if (entry == values.end()) return std::string("it has no \"") + key + "\"";
  if (!entry->is_number_integer()) return std::string("\"") + key + "\" is not a whole number";
  // Whole numbers of either sign must land in an int; JSON holds far larger.
  const bool fits = entry->is_number_unsigned()
                        ? entry->get<std::uint64_t>() <= static_cast<std::uint64_t>(std::numeric_limits<int>::max())
                        : entry->get<std::int64_t>() >= std::numeric_limits<int>::min() &&
                              entry->get<std::int64_t>() <= std::numeric_limits<int>::max();
  if (!fits) return std::string("\"") + key + "\" is " + entry->dump() + ", beyond any screen";
  out = static_cast<int>(entry->get<std::int64_t>());
  return {};
}

std::string readFlag(const json& values, const char* key, bool& out) {
  const auto entry = values.find(key);
  if (entry == values.end()) return std::string("it has no \"") + key + "\"";
  if (!entry->is_boolean()) return std::string("\"") + key + "\" is not true or false";
  out = entry->get<bool>();
  return {};
}

// The state in a decoded file, or why the file does not hold one.
std::string decode(const json& values, WindowState& state) {
  for (std::string problem : {readPoints(values, "x", state.x), readPoints(values, "y", state.y),
                              readPoints(values, "width", state.width), readPoints(values, "height", state.height),
                              readFlag(values, "maximised", state.maximised),
                              readFlag(values, "fullscreen", state.fullscreen), implausibility(state)}) {
    if (!problem.empty()) return problem;
  }
  return {};
}

std::int64_t overlap(std::int64_t start, std::int64_t length, std::int64_t otherStart, std::int64_t otherLength) {
  return std::max<std::int64_t>(0, std::min(start + length, otherStart + otherLength) - std::max(start, otherStart));
}

}  // namespace

fs::path windowStateFile() { return userStateDir() / "window.json"; }

Result<std::optional<WindowState>> readWindowState(const fs::path& file) {
  const auto damaged = [&file](const std::string& why) { return Reason{file.string() + ": " + why}; };
  const SmallFile read = readSmallFile(file, kMaxFileBytes);
  switch (read.status) {
    case SmallFile::Status::missing:
      return std::optional<WindowState>();
    case SmallFile::Status::notRegular:
      // A folder or a pipe here would fail or hang the read.
      return damaged("it is not a regular file");
    case SmallFile::Status::tooLarge:
      return damaged("it is " + std::to_string(read.size) + " bytes, far more than a window's place takes");
    case SmallFile::Status::unreadable:
      return damaged("it cannot be read (" + read.reason + ")");
    case SmallFile::Status::read:
      break;
  }
  // One flat object; parsing anything nested would only cost memory.
  const Result<json> values =
      readShallowObject(read.text, 1, "it holds nested values, which a window's place never has");
  if (!values) return damaged(values.why());
  WindowState state;
  if (const std::string problem = decode(*values, state); !problem.empty()) return damaged(problem);
  return std::optional(state);
}

Result<void> writeWindowState(const fs::path& file, const WindowState& state) {
  if (std::string problem = implausibility(state); !problem.empty()) return Reason{std::move(problem)};
  removeStaleTemporaries(file, kStaleTemporaryAge);
  const json values = {{"x", state.x},
                       {"y", state.y},
                       {"width", state.width},
                       {"height", state.height},
                       {"maximised", state.maximised},
                       {"fullscreen", state.fullscreen}};
  return writeFileAtomically(file, values.dump(1, '\t') + "\n");
}

std::optional<WindowState> fitToDisplays(const WindowState& saved, std::span<const Rect> displays, int minWidth,
                                         int minHeight) {
  WindowState fitted = saved;
  fitted.width = std::max(saved.width, minWidth);
  fitted.height = std::max(saved.height, minHeight);
  const std::int64_t x = fitted.x, y = fitted.y, width = fitted.width, height = fitted.height;
  const std::int64_t strip = std::min(kTitleStripHeight, height);

  // Of the displays the title bar can be grabbed on, the one holding most of
  // the window: that is where the player will look for it.
  const Rect* home = nullptr;
  std::int64_t homeArea = -1;
  for (const Rect& display : displays) {
    const std::int64_t top = display.y, bottom = std::int64_t{display.y} + display.height;
    if (display.width <= 0 || display.height <= 0 || y < top || y + strip > bottom) continue;
    const std::int64_t across = overlap(x, width, display.x, display.width);
    if (across < std::min(kGripWidth, width)) continue;
    const std::int64_t area = across * overlap(y, height, display.y, display.height);
    if (area > homeArea) {
      home = &display;
      homeArea = area;
    }
  }
  if (home == nullptr) return std::nullopt;

  // Too large for its display: as large as the display allows, on it.
  if (fitted.width > home->width) {
    fitted.width = std::max(home->width, minWidth);
    fitted.x = home->x;
  }
  if (fitted.height > home->height) {
    fitted.height = std::max(home->height, minHeight);
    fitted.y = home->y;
  }
  return fitted;
}

}  // namespace sorvel
