#pragma once

// Processes a test starts or watches: whether one still runs, and its id as
// a script wrote it down.
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/temp_dir.hpp"

namespace sorvel::test {

// A zombie waiting to be reaped has ended.
inline bool running(pid_t pid) {
  const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
  const std::size_t close = stat.rfind(')');
  return close != std::string::npos && stat.size() > close + 2 && stat[close + 2] != 'Z';
}

// A process killed outright ends at its next step, not at once.
inline bool endsSoon(pid_t pid) {
  for (int n = 0; n < 200 && running(pid); ++n) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return !running(pid);
}

// The id a script writes with `echo $$ > FILE`, once the line is whole; -1
// if none comes within five seconds.
inline pid_t pidIn(const std::filesystem::path& file) {
  for (int n = 0; n < 500; ++n) {
    const std::string text = readFile(file);
    if (!text.empty() && text.back() == '\n') return static_cast<pid_t>(std::stol(text));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return -1;
}

}  // namespace sorvel::test
