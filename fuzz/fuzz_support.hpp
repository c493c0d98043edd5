#pragma once

// Shared by every fuzz target, whether libFuzzer drives it or the replay test
// feeds it the saved inputs.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

}  // namespace sorvel::fuzz
