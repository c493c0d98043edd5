#include "app/launch_request.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>

namespace sorvel {
namespace {

using ::testing::HasSubstr;

LaunchRequest read(std::initializer_list<std::string_view> args, std::map<std::string, std::string> environment = {}) {
  const Result<CommandLine> line = parseCommandLine(std::span<const std::string_view>(args.begin(), args.size()));
  EXPECT_TRUE(line.ok());
  return readLaunchRequest(line.ok() ? line->options : OptionTexts{}, [&environment](const char* name) {
    const auto found = environment.find(name);
    return found == environment.end() ? nullptr : found->second.c_str();
  });
}

TEST(LaunchRequest, AStillWinsOverAFilmAndEitherOverTheWindow) {
  EXPECT_TRUE(std::holds_alternative<StillRequest>(read({"--film", "a.mp4", "--still", "a.png"}).action));
  EXPECT_TRUE(std::holds_alternative<FilmRequest>(read({"--film", "a.mp4", "--demo", "home"}).action));
  EXPECT_TRUE(std::holds_alternative<WindowOptions>(read({"--size", "20x20"}).action));
}

TEST(LaunchRequest, YesAndNoReadAsInTheSettingsFile) {
  EXPECT_TRUE(read({"--reset"}).reset);
  EXPECT_TRUE(read({"-sorvelReset", "true"}).reset);
  EXPECT_FALSE(read({"-sorvelReset", "NO"}).reset);
  EXPECT_FALSE(read({"-sorvelReset", "0"}).reset);
  EXPECT_FALSE(read({}).reset);
  EXPECT_TRUE(std::get<StillRequest>(read({"--still", "a.png", "-sorvelUI", "Yes"}).action).interface);
  EXPECT_FALSE(std::get<StillRequest>(read({"--still", "a.png", "-sorvelUI", "no"}).action).interface);
}

TEST(LaunchRequest, AStillKeepsWhatItMustRefuseForItsOwnTurn) {
  const auto still = std::get<StillRequest>(
      read({"--still", "a.png", "--size", "0x10", "--wait", "1e300", "--spin", "0.5 turns", "--cam", "1,2"}).action);
  EXPECT_EQ(still.output, "a.png");
  ASSERT_FALSE(still.size.ok());
  EXPECT_THAT(still.size.why(), HasSubstr("sorvelSize 0x10"));
  ASSERT_FALSE(still.settleTicks.ok());
  EXPECT_THAT(still.settleTicks.why(), HasSubstr("sorvelWait 1e300"));
  EXPECT_EQ(still.spin, 0.5);  // trailing words are tolerated, as in the settings file
  EXPECT_EQ(still.camera, std::nullopt);

  const auto plain = std::get<StillRequest>(read({"--still", "a.png"}).action);
  EXPECT_EQ(plain.size->width, still::kStillSize.width);
  EXPECT_EQ(*plain.settleTicks, still::kDefaultSettleTicks);
  EXPECT_EQ(plain.spin, std::nullopt);
  EXPECT_EQ(plain.interfaceScale, 1);
  EXPECT_EQ(plain.demo, std::nullopt);
}

TEST(LaunchRequest, TheFilmHasItsOwnDefaultSizeAndTakesItsEncoderFromTheEnvironment) {
  const auto film = std::get<FilmRequest>(read({"--film", "a.mp4"}).action);
  EXPECT_EQ(film.size->width, still::kFilmSize.width);
  EXPECT_EQ(film.size->height, still::kFilmSize.height);
  EXPECT_EQ(film.encoder, std::nullopt);
  // Set but empty is kept apart from unset: the film refuses the first.
  const auto pointed =
      std::get<FilmRequest>(read({"--film", "a.mp4"}, {{"SORVEL_FFMPEG", ""}, {"PATH", "/bin"}}).action);
  EXPECT_EQ(pointed.encoder, "");
  EXPECT_EQ(pointed.searchPath, "/bin");
}

TEST(LaunchRequest, TheWindowReadsTheEnvironmentOnceAndKeepsWhatWasWrong) {
  const auto quiet = std::get<WindowOptions>(read({"--demo", "home"}).action);
  EXPECT_EQ(quiet.demo, "home");
  EXPECT_FALSE(quiet.stats);
  EXPECT_EQ(quiet.quitAfterFrames, std::nullopt);
  EXPECT_EQ(quiet.quitAfterFramesProblem, "");

  const auto scripted = std::get<WindowOptions>(
      read({}, {{"SORVEL_STATS", ""}, {"SORVEL_QUIT_AFTER_FRAMES", "120"}, {"SORVEL_SCENE_SCALE", "0.5"}}).action);
  EXPECT_TRUE(scripted.stats);
  EXPECT_EQ(scripted.quitAfterFrames, 120);
  EXPECT_EQ(scripted.sceneScale.scale, 0.5f);

  for (const char* bad : {"12x", "-3"}) {
    const auto refused = std::get<WindowOptions>(read({}, {{"SORVEL_QUIT_AFTER_FRAMES", bad}}).action);
    EXPECT_EQ(refused.quitAfterFrames, std::nullopt) << bad;
    EXPECT_EQ(refused.quitAfterFramesProblem,
              std::string("SORVEL_QUIT_AFTER_FRAMES=\"") + bad + "\" is not a whole number; ignored");
  }
}

}  // namespace
}  // namespace sorvel
