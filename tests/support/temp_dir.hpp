#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace sorvel::test {

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it when
// the test ends.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, std::string_view contents);
std::string readFile(const std::filesystem::path& path);

// The chapter in tests/fixtures/chapter: a tutorial and three small puzzles.
std::filesystem::path fixtureResources();

}  // namespace sorvel::test
