#pragma once

// Shared by every fuzz target, whether libFuzzer drives it or the replay test
// feeds it the saved inputs.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace sorvel::fuzz {

// The code under test broke one of its own promises. Aborting makes libFuzzer
// keep the input and makes the replay test fail, both naming the reason.
[[noreturn]] inline void broken(const char* promise) {
  std::fprintf(stderr, "fuzz: broken promise: %s\n", promise);
  std::fflush(stderr);
  std::abort();
}

inline void require(bool holds, const char* promise) {
  if (!holds) broken(promise);
}

inline std::string_view text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// For readers that take a path: a file kept in memory, its path the same for
// every input.
inline const std::string& memoryFile() {
  static const std::string path = [] {
    const int fd = memfd_create("sorvel-fuzz", MFD_CLOEXEC);
    if (fd < 0) broken("a memory file for the input can be made");
    return "/proc/self/fd/" + std::to_string(fd);
  }();
  return path;
}

inline void rewrite(const std::string& path, const std::uint8_t* data, std::size_t size) {
  const int fd = std::stoi(path.substr(path.rfind('/') + 1));
  if (ftruncate(fd, 0) != 0) broken("the memory file can be emptied");
  std::size_t done = 0;
  while (done < size) {
    const ssize_t wrote = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
    if (wrote <= 0) broken("the input can be written to the memory file");
    done += static_cast<std::size_t>(wrote);
  }
}

}  // namespace sorvel::fuzz
