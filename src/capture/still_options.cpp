#include "capture/still_options.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>
#include <vector>

namespace sorvel::still {

namespace {

std::vector<std::string_view> pieces(std::string_view text, char separator) {
  std::vector<std::string_view> found;
  while (!text.empty()) {
    const auto end = text.find(separator);
    const std::string_view piece = text.substr(0, end);
    if (!piece.empty()) found.push_back(piece);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return found;
}

// A whole piece read as a number. Out-of-range integers still count as
// numbers (flagged with `huge`), so "99999999999x100" is refused as too big
// rather than quietly turned into the default.
struct Integer {
  std::int64_t value = 0;
  bool huge = false;
};

std::optional<Integer> wholeInteger(std::string_view text) {
  Integer number;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, number.value);
  if (result.ptr != end) return std::nullopt;
  if (result.ec == std::errc::result_out_of_range) {
    number.huge = true;
  } else if (result.ec != std::errc()) {
    return std::nullopt;
  }
  return number;
}

std::optional<float> wholeFiniteFloat(std::string_view text) {
  float value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

bool validSide(const Integer& side) { return !side.huge && side.value >= 1 && side.value <= kMaxSide; }

// Shortest text that reads back as the same number, with "e300" rather than
// "e+300".
template <typename Number>
std::string shortText(Number value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string text(buffer, result.ptr);
  if (const auto plus = text.find("e+"); plus != std::string::npos) text.erase(plus + 1, 1);
  return text;
}

}  // namespace

Result<Size> parseSize(const std::optional<std::string>& text, Size fallback) {
  if (!text) return fallback;
  std::vector<Integer> numbers;
  for (const std::string_view piece : pieces(*text, 'x')) {
    if (const auto number = wholeInteger(piece)) numbers.push_back(*number);
  }
  if (numbers.size() != 2) return fallback;
  if (!validSide(numbers[0]) || !validSide(numbers[1])) {
    return Reason{"sorvelSize " + *text + ": width and height must be between 1 and " + std::to_string(kMaxSide)};
  }
  return Size{static_cast<int>(numbers[0].value), static_cast<int>(numbers[1].value)};
}

std::optional<CameraPlacement> parseCamera(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  std::vector<float> numbers;
  for (const std::string_view piece : pieces(*text, ',')) {
    if (const auto number = wholeFiniteFloat(piece)) numbers.push_back(*number);
  }
  if (numbers.size() != 3) return std::nullopt;
  return CameraPlacement{numbers[0], numbers[1], numbers[2]};
}

CameraClamp clampCamera(CameraPlacement placement, const CameraLimits& limits) {
  CameraClamp clamped{placement, {}};
  const auto keep = [&clamped](float& value, float low, float high, const char* what) {
    const float within = std::clamp(value, low, high);
    if (within == value) return;
    if (!clamped.note.empty()) clamped.note += "; ";
    clamped.note += std::string(what) + " " + shortText(value) + " is outside " + shortText(low) + " to " +
                    shortText(high) + ", so " + shortText(within) + " is used";
    value = within;
  };
  keep(clamped.placement.pitch, -limits.maxPitch, limits.maxPitch, "pitch");
  keep(clamped.placement.zoom, limits.minZoom, limits.maxZoom, "zoom");
  return clamped;
}

Result<std::int64_t> settleTicks(std::optional<double> waitSeconds) {
  // NaN fails the comparison too, and so waits the default.
  if (!waitSeconds || !(*waitSeconds > 0)) return kDefaultSettleTicks;
  const double ticks = std::trunc(*waitSeconds * 60);
  // Checked as a double, before any conversion: infinity and huge values
  // have no integer to become.
  if (!(ticks <= static_cast<double>(kMaxSettleTicks))) {
    return Reason{"sorvelWait " + shortText(*waitSeconds) + ": too long to simulate (at most " +
                  std::to_string(kMaxSettleTicks / 60) + " seconds)"};
  }
  return static_cast<std::int64_t>(ticks);
}

}  // namespace sorvel::still
