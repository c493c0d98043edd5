#include "app/startup.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

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

  // Runs the start-up order with these options over a store holding progress.
  int start(ArgumentLayer arguments) {
    SettingsStore store({.file = dir / "settings.json", .say = [](auto&) {}});
    store.setBoolean("sorvel.launched", true);
    store.setArguments(std::move(arguments));
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    QuitRequest quit;
    const int status = startApplication(store, quit);
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
const std::pair<std::string, std::string> kStill{"sorvelStill", "a.png"};
const std::pair<std::string, std::string> kEndlessWait{"sorvelWait", "1e300"};

TEST_F(Startup, ModesFailLoudlyAndAStillComesBeforeAFilm) {
  EXPECT_EQ(start({kStill, kEndlessWait}), 1);
  EXPECT_THAT(err, HasSubstr("no still picture: sorvelWait"));
  EXPECT_EQ(start({{"sorvelFilm", "a.mp4"}, {"sorvelSize", "33x20"}}), 1);
  EXPECT_THAT(err, HasSubstr("no film: sorvelSize 33x20"));
  start({kStill, kEndlessWait, {"sorvelFilm", "a.mp4"}});
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

TEST_F(Startup, TheResetComesBeforeAnyMode) {
  start({{"sorvelReset", "NO"}, kStill, kEndlessWait});
  EXPECT_TRUE(progressLeft);
  start({{"sorvelReset", "YES"}, kStill, kEndlessWait});
  EXPECT_FALSE(progressLeft);
  EXPECT_THAT(out, HasSubstr("saved progress removed"));
  EXPECT_FALSE(std::filesystem::exists(dir / "settings.json"));
}

TEST_F(Startup, CapturesKeepTheirSettingsInMemoryUnlessAResetIsAsked) {
  EXPECT_TRUE(settingsOptionsFor({kStill}).file.empty());
  EXPECT_TRUE(settingsOptionsFor({{"sorvelFilm", "a.mp4"}, {"sorvelReset", "NO"}}).file.empty());
  EXPECT_EQ(settingsOptionsFor({kStill, {"sorvelReset", "YES"}}).file, defaultSettingsOptions().file);
  EXPECT_EQ(settingsOptionsFor({{"sorvelDemo", "home"}}).file, defaultSettingsOptions().file);
}

}  // namespace
}  // namespace sorvel
