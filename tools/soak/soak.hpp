#pragma once

// A long random session on the shipped chapter, driven only through the
// calls the window makes, with every invariant of soak/watch.hpp checked
// after each step and resident memory watched for slow growth.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace sorvel::soak {

struct Options {
  std::uint64_t ticks = 1'000'000;
  std::uint64_t seed = 1;
  std::filesystem::path resources;  // empty: the game's own resource folder
  std::uint64_t frameEvery = 1;     // assemble and check the frame every this many ticks
  // How far past its warm-up plateau resident memory may rise.
  std::int64_t toleranceKiB = 8 * 1024;
  std::ostream* log = nullptr;  // a progress line every tenth of the run
};

struct Memory {
  std::int64_t startKiB = 0;    // once the first game is built
  std::int64_t plateauKiB = 0;  // the most seen during warm-up
  std::int64_t peakKiB = 0;     // the kernel's high-water mark, or a sample above it
  std::int64_t endKiB = 0;
  bool judged = true;  // false under AddressSanitizer, whose quarantine keeps freed memory
  std::vector<std::pair<std::uint64_t, std::int64_t>> samples;  // tick, KiB
};

struct Report {
  std::string block;  // the block played most
  std::map<std::string, std::uint64_t> actions;
  int solves = 0;
  std::map<std::string, int> solvesByBlock;
  int restarts = 0;
  std::size_t mostChips = 0;  // wood chips in flight at once
  Memory memory;
};

// The first broken invariant, with where it happened.
class Failure : public std::runtime_error {
 public:
  Failure(const std::string& what, std::uint64_t atTick, std::vector<std::string> before)
      : std::runtime_error(what), tick(atTick), recent(std::move(before)) {}
  std::uint64_t tick;
  std::vector<std::string> recent;  // the last steps before it, oldest first
};

// Throws Failure on the first violation.
Report run(const Options& options);

// This process's resident memory in KiB (VmRSS), or its high-water mark
// (VmHWM); nothing where /proc cannot tell.
std::optional<std::int64_t> residentKiB();
std::optional<std::int64_t> peakResidentKiB();

}  // namespace sorvel::soak
