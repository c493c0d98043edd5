#include "base/fatal.hpp"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace sorvel {

void fatal(std::string_view message, std::source_location where) {
  const std::string file = std::filesystem::path(where.file_name()).filename().string();
  std::fprintf(stderr, "sorvel: %.*s\n  (stopped in %s:%u)\n", static_cast<int>(message.size()),
               message.data(), file.c_str(), static_cast<unsigned>(where.line()));
  std::fflush(stdout);
  std::exit(1);
}

}  // namespace sorvel
