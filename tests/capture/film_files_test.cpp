// The film's files: made under temporary names, and put in place only when
// the video is really there.
#include "capture/film_files.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

using ::testing::HasSubstr;
namespace fs = std::filesystem;

std::vector<std::string> names(const fs::path& folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::directory_iterator(folder)) found.push_back(entry.path().filename().string());
  std::sort(found.begin(), found.end());
  return found;
}

class FilmFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    test::writeFile(output, "the old film");
    test::writeFile(output.string() + ".wav", "the old sound");
  }
  test::TempDir dir;
  const fs::path output = dir / "costa.mkv";
  const std::vector<std::int16_t> sound = std::vector<std::int16_t>(100, 7);
};

TEST_F(FilmFiles, AWholeFilmMadeBesideItsPlaceTakesThePlaceOfTheOldOneAndLeavesNothingElse) {
  film::Files files(output);
  // The same folder, for the rename to be atomic; the same extension, for
  // the encoder to know the format.
  EXPECT_EQ(files.videoTemporary(), dir / (".costa.mkv.partial-" + std::to_string(::getpid()) + ".mkv"));
  test::writeFile(files.videoTemporary(), "the new film");
  const Result<void> kept = files.keep(sound);
  ASSERT_TRUE(kept) << kept.why();
  EXPECT_EQ(test::readFile(output), "the new film");
  const std::string wav = test::readFile(output.string() + ".wav");
  EXPECT_EQ(wav.size(), 44u + 200u);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_FALSE(files.discard());
  EXPECT_EQ(names(dir.path()), (std::vector<std::string>{"costa.mkv", "costa.mkv.wav"}));
}

TEST_F(FilmFiles, AMissingOrEmptyVideoOrAnInterruptLeavesTheOldFilmAndNoTemporaries) {
  {
    film::Files files(output);
    const Result<void> kept = files.keep(sound);
    EXPECT_FALSE(kept);
    EXPECT_THAT(kept.why(), HasSubstr("wrote no video for " + output.string()));
  }
  {
    film::Files files(output);
    test::writeFile(files.videoTemporary(), "");
    const Result<void> kept = files.keep(sound);
    EXPECT_FALSE(kept);
    EXPECT_THAT(kept.why(), HasSubstr("the video it wrote for " + output.string() + " is empty"));
  }
  {
    film::Files files(output);
    test::writeFile(files.videoTemporary(), "half a film");
    EXPECT_TRUE(files.discard());
    const Result<void> kept = files.keep(sound);
    EXPECT_FALSE(kept);
    EXPECT_EQ(kept.why(), "the film was interrupted");
  }
  {
    // Failed, or given up with an error of the program's own.
    film::Files files(output);
    test::writeFile(files.videoTemporary(), "half a film");
  }
  EXPECT_EQ(test::readFile(output), "the old film");
  EXPECT_EQ(test::readFile(output.string() + ".wav"), "the old sound");
  EXPECT_EQ(names(dir.path()), (std::vector<std::string>{"costa.mkv", "costa.mkv.wav"}));
}

}  // namespace
}  // namespace sorvel
