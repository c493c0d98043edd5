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
  void SetUp() override { setenv("SORVEL_RESOURCES", test::fixtureResources().c_str(), 1); }
  void TearDown() override { unsetenv("SORVEL_RESOURCES"); }

  // Runs the start-up order with these options over a store holding progress.
  int start(ArgumentLayer arguments) {
    SettingsStore store({.file = dir / "settings.json", .say = [](auto&) {}});
    store.setBoolean("sorvel.launched", true);
    store.setArguments(std::move(arguments));
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    const int status = startApplication(store);
    out = ::testing::internal::GetCapturedStdout();
    err = ::testing::internal::GetCapturedStderr();
    progressLeft = store.boolean("sorvel.launched");
    return status;
  }

  test::TempDir dir;
  std::string out, err;
  bool progressLeft = false;
};

TEST_F(Startup, ModesStillToComeFailLoudly) {
  EXPECT_NE(start({{"sorvelStill", "a.png"}}), 0);
  EXPECT_THAT(err, HasSubstr("still"));
  EXPECT_NE(start({{"sorvelFilm", "a.mp4"}}), 0);
  EXPECT_THAT(err, HasSubstr("film"));
  start({{"sorvelStill", "a.png"}, {"sorvelFilm", "a.mp4"}});  // a still wins over a film
  EXPECT_THAT(err, HasSubstr("still"));
  EXPECT_THAT(err, Not(HasSubstr("film")));
  EXPECT_NE(start({}), 0);
  EXPECT_THAT(out, HasSubstr("4 puzzles loaded"));
  EXPECT_THAT(err, HasSubstr("game window"));
}

TEST_F(Startup, TheResetComesBeforeAnyMode) {
  start({{"sorvelReset", "NO"}, {"sorvelStill", "a.png"}});
  EXPECT_TRUE(progressLeft);
  start({{"sorvelReset", "YES"}, {"sorvelStill", "a.png"}});
  EXPECT_FALSE(progressLeft);
  EXPECT_THAT(out, HasSubstr("saved progress removed"));
  EXPECT_FALSE(std::filesystem::exists(dir / "settings.json"));
}

}  // namespace
}  // namespace sorvel
