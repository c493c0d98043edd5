#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "base/result.hpp"

namespace sorvel {

// Where and how the player left the window, in points (the desktop's
// coordinates, not pixels). The place and size are those of the window when
// neither maximised nor fullscreen, so that leaving either state later
// returns to them. The place is the top left corner of the window's frame,
// title bar included, as window managers place new windows; the size is
// that of its content.
struct WindowState {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool maximised = false;
  bool fullscreen = false;

  bool operator==(const WindowState&) const = default;
};

// A rectangle in points; for a display, the part windows may use (without
// panels and docks).
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// No window is this large; a saved size beyond it was not written by us.
inline constexpr int kMaxWindowSide = 100000;

// $XDG_STATE_HOME/sorvel/window.json, or ~/.local/state/sorvel/window.json
// when that is unset or not an absolute path. Not beside the saved progress:
// where a window was is of this machine, not something to carry to another.
std::filesystem::path windowStateFile();

// The saved state, or nothing when there is no file: the game has simply
// never closed yet. A file there but damaged gives one line naming the file
// and what was wrong.
Result<std::optional<WindowState>> readWindowState(const std::filesystem::path& file);

// Writes `state` to `file` atomically, making its folder when missing.
Result<void> writeWindowState(const std::filesystem::path& file, const WindowState& state);

// `saved` as it may be restored on the displays connected now, given their
// usable bounds: the place is kept when the window's title-bar strip still
// lies on a display (enough of it to grab), a window larger than that
// display is shrunk to it (never below `minWidth` x `minHeight`) and moved
// onto it. Nothing when no display holds the window: a monitor was
// unplugged or rearranged, and the window opens at its default size, centred.
std::optional<WindowState> fitToDisplays(const WindowState& saved, std::span<const Rect> displays,
                                         int minWidth, int minHeight);

}  // namespace sorvel
