// The executable as a player starts it: real process, real exit status.
#include <sys/wait.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

using test::readFile;
using test::TempDir;
using ::testing::HasSubstr;

class Cli : public ::testing::Test {
 protected:
  // Runs sorvel with `args` against the fixture chapter and a data folder of
  // its own; returns the exit status and keeps what it printed.
  int run(const std::string& args, const std::filesystem::path& resources = test::fixtureResources()) {
    const std::string command = "SORVEL_DATA_DIR='" + (dir / "data").string() + "' SORVEL_RESOURCES='" +
                                resources.string() + "' '" SORVEL_EXECUTABLE "' " + args + " >'" +
                                (dir / "out").string() + "' 2>'" + (dir / "err").string() + "'";
    const int status = std::system(command.c_str());
    out = readFile(dir / "out");
    err = readFile(dir / "err");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

TEST_F(Cli, ADamagedSettingsFileIsRecoveredWithAMessage) {
  test::writeFile(dir / "data/settings.json", "{\"sorvel.launched\": tr");
  EXPECT_EQ(run("--still x.png"), 1);  // the still is yet to come; the store opens first
  EXPECT_THAT(out, HasSubstr("is damaged"));
  bool setAside = false;
  for (const auto& entry : std::filesystem::directory_iterator(dir / "data")) {
    setAside |= entry.path().filename().string().starts_with("settings.json.damaged-");
  }
  EXPECT_TRUE(setAside);
}

}  // namespace
}  // namespace sorvel
