#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/result.hpp"

// The launch options that shape a still picture, read from the settings
// store's text. Lenient where a value is merely malformed (the default is
// kept, as for any unreadable setting), strict where a value reads cleanly but
// would make a picture that cannot be taken: those come back with an error for
// the caller to report and refuse.
namespace sorvel::still {

inline constexpr int kMaxSide = 16384;
// One simulated day at 60 ticks a second.
inline constexpr std::int64_t kMaxSettleTicks = 86400 * 60;

struct Size {
  int width = 0;
  int height = 0;
};

// What each capture draws when no size is asked for.
inline constexpr Size kStillSize{1600, 1000};
inline constexpr Size kFilmSize{1920, 1080};

// "WxH", e.g. "1280x720". Pieces between the x's that are empty or not whole
// decimal integers are ignored; anything but exactly two numbers left, or no
// text at all, gives `fallback`, the capture's own default. Refused when the
// text held exactly two numbers and one of them is outside 1..kMaxSide.
Result<Size> parseSize(const std::optional<std::string>& text, Size fallback);

struct CameraPlacement {
  float yaw = 0;    // radians
  float pitch = 0;  // radians
  float zoom = 1;
};

// "YAW,PITCH,ZOOM", e.g. "0.3,0.4,1.2". Pieces that are empty or not whole
// finite numbers are ignored; anything but exactly three left gives nothing,
// and the caller keeps its own camera.
std::optional<CameraPlacement> parseCamera(const std::optional<std::string>& text);

// How far a still's camera may go: the zoom range the player has, and a
// pitch short of straight up or down, where the view has no up direction.
struct CameraLimits {
  float minZoom = 0;
  float maxZoom = 0;
  float maxPitch = 0;
};

// `placement` moved within `limits`; `note` says what was moved and where to
// (empty when nothing was).
struct CameraClamp {
  CameraPlacement placement;
  std::string note;
};
CameraClamp clampCamera(CameraPlacement placement, const CameraLimits& limits);

inline constexpr std::int64_t kDefaultSettleTicks = 300;  // five seconds

// Ticks to run before the picture is taken: the wait in seconds at 60 ticks a
// second, truncated. No wait, or one that is not positive, gives the default.
// Refused when the wait is too long to simulate.
Result<std::int64_t> settleTicks(std::optional<double> waitSeconds);

}  // namespace sorvel::still
