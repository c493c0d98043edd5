// The window's place is read back at every start from a file the player may
// have edited or a crash may have cut short. Whatever it holds, it is either a
// state the game could have written, placed on the displays without
// overflowing, or a reason naming the file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/window_state.hpp"
#include "fuzz_support.hpp"

using namespace sorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = fuzz::memoryFile();
  fuzz::rewrite(path, data, size);
  const Result<std::optional<WindowState>> read = readWindowState(path);
  if (!read) {
    fuzz::require(read.why().starts_with(path), "a refusal names the file");
    return 0;
  }
  if (!*read) return 0;
  const WindowState& state = **read;
  fuzz::require(state.width > 0 && state.width <= kMaxWindowSide && state.height > 0 &&
                    state.height <= kMaxWindowSide,
                "a state read has a size a window can have");
  // Displays side by side, and one far out, as a player's may be.
  const std::array<Rect, 3> displays = {Rect{0, 0, 1920, 1080}, Rect{1920, 0, 2560, 1440},
                                        Rect{-2147483647, -2147483647, 800, 600}};
  if (const auto fitted = fitToDisplays(state, displays, 900, 640)) {
    fuzz::require(fitted->width >= 900 && fitted->height >= 640, "a fitted window is no smaller than the least");
  }
  return 0;
}
