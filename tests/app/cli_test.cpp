// The executable as a player starts it: real process, real exit status.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/run_sorvel.hpp"
#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

using test::readFile;
using test::TempDir;
using ::testing::HasSubstr;
using ::testing::Not;

class Cli : public ::testing::Test {
 protected:
  // Runs sorvel with `args` against the fixture chapter and a data folder of
  // its own; returns the exit status and keeps what it printed.
  int run(const std::string& args, const std::filesystem::path& resources = test::fixtureResources()) {
    const test::SorvelRun result = test::runSorvel(SORVEL_EXECUTABLE, args, dir, resources);
    out = result.out;
    err = result.err;
    return result.status;
  }

  TempDir dir;
  std::string out, err;
};

TEST_F(Cli, HelpListsTheOptions) {
  EXPECT_EQ(run("--help"), 0);
  for (const char* option : {"--reset", "--still", "--film", "--demo", "--size", "--cam", "--wait", "--spin"}) {
    EXPECT_THAT(out, HasSubstr(option));
  }
  EXPECT_EQ(run("--version"), 0);
  EXPECT_THAT(out, HasSubstr("sorvel "));
}

TEST_F(Cli, UnknownOptionsExitWithStatusTwo) {
  EXPECT_EQ(run("--fast"), 2);
  EXPECT_THAT(err, HasSubstr("unknown option '--fast'"));
  EXPECT_THAT(err, HasSubstr("--help"));
}

TEST_F(Cli, ABrokenChapterStopsWithStatusOneNamingTheFile) {
  TempDir resources;
  test::writeFile(resources / "puzzles/chapter.json", R"({"id": "c", "name": {}, "puzzles": ["p"]})");
  test::writeFile(resources / "puzzles/p.json", R"({"id": "p", "name": {}, "dims": [1, 1, 1]})");
  EXPECT_EQ(run("", resources.path()), 1);
  EXPECT_THAT(err, HasSubstr((resources / "puzzles/p.json").string()));
  EXPECT_THAT(err, HasSubstr("\"solution\" is missing"));
}

TEST_F(Cli, ADamagedSettingsFileIsSetAsideByTheGameButLeftAloneByACapture) {
  const auto file = dir / "data/settings.json";
  const std::string damaged = "{\"sorvel.launched\": tr";
  test::writeFile(file, damaged);
  const auto setAside = [&] {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir / "data")) {
      count += entry.path().filename().string().starts_with("settings.json.damaged-");
    }
    return count;
  };
  // A wait too long to simulate refuses the still before it needs a GPU.
  EXPECT_EQ(run("--still x.png --wait 1e300"), 1);
  // An odd size refuses the film before it needs a GPU or an encoder.
  EXPECT_EQ(run("--film x.mp4 --size 33x20"), 1);
  EXPECT_THAT(out, Not(HasSubstr("is damaged")));
  EXPECT_EQ(setAside(), 0);
  EXPECT_EQ(test::readFile(file), damaged);

  EXPECT_EQ(run(""), 1);  // no display for the window; the store opens first
  EXPECT_THAT(out, HasSubstr("is damaged"));
  EXPECT_EQ(setAside(), 1);
}

}  // namespace
}  // namespace sorvel
