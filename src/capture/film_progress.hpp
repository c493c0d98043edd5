#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace sorvel::film {

// One line on a terminal, rewritten in place while the film renders: frames
// done of the expected total, the rate so far and the time left at that rate.
std::string progressLine(std::int64_t done, std::int64_t expected, double seconds);

// Writes the progress line to `out` about four times a second, only when
// `out` is a terminal; a log or a pipe gets nothing.
class Progress {
 public:
  Progress(std::FILE* out, std::int64_t expected);
  ~Progress() { clear(); }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void frameDone(std::int64_t done);
  // Takes the line away, before the film's own messages.
  void clear();

 private:
  std::FILE* out_;
  bool shown_ = false;
  bool onTerminal_;
  std::int64_t expected_;
  double start_;
  double lastShown_ = -1;
};

}  // namespace sorvel::film
