#include "app/startup.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

LaunchRequest request(std::initializer_list<std::string_view> args) {
  const Result<CommandLine> line = parseCommandLine(std::span<const std::string_view>(args.begin(), args.size()));
  EXPECT_TRUE(line.ok());
  const auto noEnvironment = [](const char*) -> const char* { return nullptr; };
  return readLaunchRequest(line.ok() ? line->options : OptionTexts{}, noEnvironment);
}

class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SORVEL_RESOURCES", test::fixtureResources().c_str(), 1);
    // No window may open here, whatever display the tests run beside.
    setenv("SDL_VIDEODRIVER", "x11", 1);
    unsetenv("DISPLAY");
  }
  void TearDown() override {
    unsetenv("SORVEL_RESOURCES");
    unsetenv("SDL_VIDEODRIVER");
  }

  // Runs the start-up order with this command line over a store holding
  // progress.
  int start(std::initializer_list<std::string_view> args) {
    SettingsStore store({.file = dir / "settings.json", .say = [](auto&) {}});
    store.setBoolean("sorvel.launched", true);
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    QuitRequest quit;
    const int status = startApplication(request(args), store, quit);
    out = ::testing::internal::GetCapturedStdout();
    err = ::testing::internal::GetCapturedStderr();
    progressLeft = store.boolean("sorvel.launched");
    return status;
  }

  test::TempDir dir;
  std::string out, err;
  bool progressLeft = false;
};

// A wait too long to simulate makes the still refuse before it needs a GPU,
// so these tests run anywhere.
TEST_F(Startup, ModesFailLoudlyAndAStillComesBeforeAFilm) {
  EXPECT_EQ(start({"--still", "a.png", "--wait", "1e300"}), 1);
  EXPECT_THAT(err, HasSubstr("no still picture: sorvelWait"));
  EXPECT_EQ(start({"--film", "a.mp4", "--size", "33x20"}), 1);
  EXPECT_THAT(err, HasSubstr("no film: sorvelSize 33x20"));
  start({"--film", "a.mp4", "--still", "a.png", "--wait", "1e300"});
  EXPECT_THAT(err, HasSubstr("still"));
  EXPECT_THAT(err, Not(HasSubstr("film")));
  // With no display the game says so, names what works without one and
  // leaves the progress alone.
  EXPECT_EQ(start({}), 1);
  EXPECT_THAT(out, HasSubstr("4 puzzles loaded"));
  EXPECT_THAT(err, HasSubstr("cannot open the game window"));
  EXPECT_THAT(err, HasSubstr("--still and --film need no window"));
  EXPECT_TRUE(progressLeft);
}

TEST_F(Startup, ABrokenChapterStopsTheGameBeforeItsWindowWithItsReason) {
  setenv("SORVEL_RESOURCES", dir.path().c_str(), 1);
  EXPECT_EQ(start({}), 1);
  EXPECT_THAT(err, HasSubstr("sorvel: cannot load the puzzles: "));
  EXPECT_THAT(err, HasSubstr("(stopped in "));
  EXPECT_THAT(err, Not(HasSubstr("window")));
  EXPECT_THAT(out, Not(HasSubstr("loaded")));
  EXPECT_TRUE(progressLeft);
}

TEST_F(Startup, TheResetComesBeforeAnyMode) {
  start({"-sorvelReset", "NO", "--still", "a.png", "--wait", "1e300"});
  EXPECT_TRUE(progressLeft);
  start({"-sorvelReset", "YES", "--still", "a.png", "--wait", "1e300"});
  EXPECT_FALSE(progressLeft);
  EXPECT_THAT(out, HasSubstr("saved progress removed"));
  EXPECT_FALSE(std::filesystem::exists(dir / "settings.json"));
}

TEST_F(Startup, CapturesKeepTheirSettingsInMemoryUnlessAResetIsAsked) {
  EXPECT_TRUE(settingsOptionsFor(request({"--still", "a.png"})).file.empty());
  EXPECT_TRUE(settingsOptionsFor(request({"--film", "a.mp4", "-sorvelReset", "NO"})).file.empty());
  EXPECT_EQ(settingsOptionsFor(request({"--still", "a.png", "--reset"})).file, defaultSettingsOptions().file);
  EXPECT_EQ(settingsOptionsFor(request({"--demo", "home"})).file, defaultSettingsOptions().file);
}

}  // namespace
}  // namespace sorvel
