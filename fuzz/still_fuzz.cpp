// The still's options arrive as text from the command line. The input is read
// as each of them in turn; the wait is also tried as the raw bits of a double,
// since the settings store may hold any number there.

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "capture/still_options.hpp"
#include "fuzz_support.hpp"

using namespace sorvel;

namespace {

void checkWait(std::optional<double> seconds) {
  const Result<std::int64_t> count = still::settleTicks(seconds);
  if (!count) {
    fuzz::require(!count.why().empty(), "a refused wait says why");
    return;
  }
  fuzz::require(*count >= 0 && *count <= still::kMaxSettleTicks, "an accepted wait can be simulated");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(fuzz::text(data, size));

  const Result<still::Size> size_ = still::parseSize(text, still::kStillSize);
  if (size_) {
    fuzz::require(size_->width >= 1 && size_->width <= still::kMaxSide && size_->height >= 1 &&
                      size_->height <= still::kMaxSide,
                  "an accepted size fits the picture limits");
  } else {
    fuzz::require(size_.why().starts_with("sorvelSize "), "a refused size names the option");
  }

  if (const auto camera = still::parseCamera(text)) {
    fuzz::require(std::isfinite(camera->yaw) && std::isfinite(camera->pitch) && std::isfinite(camera->zoom),
                  "a camera read from text is finite");
  }

  double seconds = 0;
  if (std::from_chars(text.data(), text.data() + text.size(), seconds).ec == std::errc()) checkWait(seconds);
  if (size >= sizeof(double)) {
    std::memcpy(&seconds, data, sizeof seconds);
    checkWait(seconds);
  }
  checkWait(std::nullopt);
  return 0;
}
