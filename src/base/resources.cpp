#include "base/resources.hpp"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string>
#include <system_error>

namespace sorvel {
namespace fs = std::filesystem;

namespace {

std::optional<std::string> environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

bool holdsChapter(const fs::path& dir) {
  std::error_code error;
  return fs::is_regular_file(dir / "puzzles" / "chapter.json", error) ||
         fs::is_regular_file(dir / "chapter.json", error);
}

fs::path homeDir() {
  if (auto home = environment("HOME")) return *home;
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
    return entry->pw_dir;
  }
  return fs::current_path();
}

}  // namespace

fs::path executableDir() {
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : exe.parent_path();
}

fs::path resourceDir() {
  if (auto override = environment("SORVEL_RESOURCES")) return *override;
  const fs::path exeDir = executableDir();
  const std::array<fs::path, 3> candidates = {
      exeDir / "resources",
      exeDir.parent_path() / "share" / "sorvel",
      fs::path(SORVEL_SOURCE_RESOURCES),
  };
  for (const fs::path& candidate : candidates) {
    if (!candidate.empty() && holdsChapter(candidate)) return candidate;
  }
  // Nothing holds a chapter: return the source tree's folder so the loader's
  // message names a concrete place to put one.
  return candidates.back();
}

std::optional<fs::path> findResource(const fs::path& dir, std::string_view subfolder,
                                     std::string_view name, std::string_view extension) {
  const std::string file = std::string(name) + "." + std::string(extension);
  std::error_code error;
  for (const fs::path& candidate : {dir / subfolder / file, dir / file}) {
    if (fs::is_regular_file(candidate, error)) return candidate;
  }
  return std::nullopt;
}

fs::path userDataDir() {
  if (auto override = environment("SORVEL_DATA_DIR")) return *override;
  if (auto xdg = environment("XDG_DATA_HOME")) return fs::path(*xdg) / "sorvel";
  return homeDir() / ".local" / "share" / "sorvel";
}

fs::path userStateDir() {
  if (auto xdg = environment("XDG_STATE_HOME"); xdg && fs::path(*xdg).is_absolute()) return fs::path(*xdg) / "sorvel";
  return homeDir() / ".local" / "state" / "sorvel";
}

}  // namespace sorvel
