#include "capture/film_progress.hpp"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace sorvel::film {
namespace {

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string minutesAndSeconds(double seconds) {
  const auto whole = static_cast<long long>(std::ceil(std::max(seconds, 0.0)));
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  return text;
}

}  // namespace

std::string progressLine(std::int64_t done, std::int64_t expected, double seconds) {
  // The carve phases can run a little past the estimate; never show more
  // than all of it.
  const std::int64_t total = std::max(expected, done);
  const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
  char text[160];
  const int percent = total > 0 ? static_cast<int>(100 * done / total) : 100;
  std::snprintf(text, sizeof text, "sorvel: film frame %lld of %lld (%d%%) · %.1f fps", static_cast<long long>(done),
                static_cast<long long>(total), percent, rate);
  std::string line = text;
  if (rate > 0) line += " · " + minutesAndSeconds(static_cast<double>(total - done) / rate) + " left";
  return line;
}

Progress::Progress(std::FILE* out, std::int64_t expected)
    : out_(out), onTerminal_(isatty(fileno(out)) == 1), expected_(expected), start_(now()) {}

void Progress::frameDone(std::int64_t done) {
  if (!onTerminal_) return;
  const double t = now();
  if (lastShown_ >= 0 && t - lastShown_ < 0.25) return;
  lastShown_ = t;
  // Carriage return, the line, then erase whatever a longer line left.
  std::fprintf(out_, "\r%s\033[K", progressLine(done, expected_, t - start_).c_str());
  std::fflush(out_);
  shown_ = true;
}

void Progress::clear() {
  if (!shown_) return;
  std::fputs("\r\033[K", out_);
  std::fflush(out_);
  shown_ = false;
}

}  // namespace sorvel::film
