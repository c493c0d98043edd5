#include "base/say_stop.hpp"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace sorvel {

void sayStop(std::string_view message, const char* file, unsigned line) {
  const std::string name = std::filesystem::path(file).filename().string();
  std::fprintf(stderr, "sorvel: %.*s\n  (stopped in %s:%u)\n", static_cast<int>(message.size()),
               message.data(), name.c_str(), line);
}

void failedCheck(std::string_view message, const char* file, unsigned line) {
  sayStop(message, file, line);
  std::fflush(stdout);
  std::abort();
}

}  // namespace sorvel
