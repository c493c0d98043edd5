#include "app/window_place.hpp"

#include <cstdio>
#include <filesystem>
#include <string>

namespace sorvel {

std::optional<WindowState> rememberedWindowPlace() {
  const std::filesystem::path file = windowStateFile();
  if (file.empty()) return std::nullopt;
  const Result<std::optional<WindowState>> read = readWindowState(file);
  if (!read) {
    std::fprintf(stderr, "sorvel: %s\n", read.why().c_str());
    return std::nullopt;
  }
  return *read;
}

void rememberWindowPlace(const WindowState& place) {
  const std::filesystem::path file = windowStateFile();
  if (file.empty()) return;
  if (const Result<void> written = writeWindowState(file, place); !written) {
    std::fprintf(stderr, "sorvel: the window's place is not remembered: %s\n", written.why().c_str());
  }
}

}  // namespace sorvel
