#include "capture/still_options.hpp"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "capture/output_path.hpp"
#include "support/temp_dir.hpp"

#include <cmath>
#include <limits>

namespace sorvel::still {
namespace {

TEST(StillOptions, SizeNeedsExactlyTwoNumbersAndRefusesUnusableOnes) {
  const struct {
    std::optional<std::string> text;
    int width, height;
    const char* error;  // empty when none is expected
  } cases[] = {
      {"1280x720", 1280, 720, ""},
      {"x1280xx720x", 1280, 720, ""},  // empty pieces are dropped
      {"1280xax720", 1280, 720, ""},   // pieces that are not numbers too
      {"1x16384", 1, 16384, ""},
      {std::nullopt, 1600, 1000, ""},
      {"", 1600, 1000, ""},
      {"1280x", 1600, 1000, ""},
      {"axb", 1600, 1000, ""},
      {"12x34x56", 1600, 1000, ""},
      {"12.5x34", 1600, 1000, ""},    // only whole integers count
      {"1280 x720", 1600, 1000, ""},  // and the whole piece must be one
      {"0x100", 1600, 1000, "sorvelSize 0x100: width and height must be between 1 and 16384"},
      {"100x-5", 1600, 1000, "sorvelSize 100x-5: width"},
      {"16385x100", 1600, 1000, "sorvelSize 16385x100: width"},
      {"99999999999999999999x100", 1600, 1000, "between 1 and 16384"},
  };
  for (const auto& c : cases) {
    const Result<Size> parsed = parseSize(c.text, kStillSize);
    const std::string name = c.text.value_or("(absent)");
    if (*c.error == '\0') {
      ASSERT_TRUE(parsed.ok()) << name << ": " << parsed.why();
      EXPECT_EQ(parsed->width, c.width) << name;
      EXPECT_EQ(parsed->height, c.height) << name;
    } else {
      ASSERT_FALSE(parsed.ok()) << name;
      EXPECT_NE(parsed.why().find(c.error), std::string::npos) << name << ": " << parsed.why();
    }
  }
}

TEST(StillOptions, SizeFallsBackToTheCapturesOwnDefault) {
  // The film asks for its own size; nothing of the still's may leak in.
  for (const std::optional<std::string>& text : {std::optional<std::string>(), std::optional<std::string>("axb")}) {
    const Result<Size> parsed = parseSize(text, kFilmSize);
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed->width, 1920) << text.value_or("(absent)");
    EXPECT_EQ(parsed->height, 1080) << text.value_or("(absent)");
  }
  EXPECT_EQ(parseSize("640x360", kFilmSize)->width, 640);
}

TEST(StillOptions, CameraNeedsExactlyThreeFiniteNumbers) {
  const struct {
    std::optional<std::string> text;
    std::optional<CameraPlacement> expected;
  } cases[] = {
      {"0.3,0.4,1.2", CameraPlacement{0.3f, 0.4f, 1.2f}},
      {",-1,,2e-1,3,", CameraPlacement{-1.0f, 0.2f, 3.0f}},
      {"0.3,up,0.4,1.2", CameraPlacement{0.3f, 0.4f, 1.2f}},
      {"0.3,nan,0.4,1.2", CameraPlacement{0.3f, 0.4f, 1.2f}},  // NaN is no number here
      {"0.3,0.4", std::nullopt},
      {"0.3,0.4,1.2,5", std::nullopt},
      {"0.3,0.4,inf", std::nullopt},
      {"0.3,0.4,-infinity", std::nullopt},
      {"0.3,0.4,1e60", std::nullopt},  // beyond a float
      {"0.3,0.4,1.2x", std::nullopt},
      {"", std::nullopt},
      {std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto placement = parseCamera(c.text);
    const std::string name = c.text.value_or("(absent)");
    ASSERT_EQ(placement.has_value(), c.expected.has_value()) << name;
    if (!placement) continue;
    EXPECT_EQ(placement->yaw, c.expected->yaw) << name;
    EXPECT_EQ(placement->pitch, c.expected->pitch) << name;
    EXPECT_EQ(placement->zoom, c.expected->zoom) << name;
  }
}

TEST(StillOptions, ACameraBeyondWhatThePlayerCanSeeIsBroughtBackWithANote) {
  const CameraLimits limits{.minZoom = 0.55f, .maxZoom = 1.6f, .maxPitch = 1.55f};
  const struct {
    CameraPlacement asked, used;
    const char* note;
  } cases[] = {
      {{0.3f, 0.4f, 1.2f}, {0.3f, 0.4f, 1.2f}, ""},
      {{0.3f, 0.4f, 0.55f}, {0.3f, 0.4f, 0.55f}, ""},
      // A zoom of 0 puts the eye on the target: a picture of the background only.
      {{0, 0, 0}, {0, 0, 0.55f}, "zoom 0 is outside 0.55 to 1.6, so 0.55 is used"},
      {{1e38f, 1e38f, 1e38f}, {1e38f, 1.55f, 1.6f}, "pitch 1e38 is outside -1.55 to 1.55, so 1.55 is used; zoom 1e38"},
      {{0, -1.5708f, 1}, {0, -1.55f, 1}, "pitch -1.5708 is outside"},
  };
  for (const auto& c : cases) {
    const CameraClamp clamped = clampCamera(c.asked, limits);
    EXPECT_EQ(clamped.placement.yaw, c.used.yaw) << c.note;
    EXPECT_EQ(clamped.placement.pitch, c.used.pitch) << c.note;
    EXPECT_EQ(clamped.placement.zoom, c.used.zoom) << c.note;
    if (*c.note == '\0') {
      EXPECT_EQ(clamped.note, "");
    } else {
      EXPECT_NE(clamped.note.find(c.note), std::string::npos) << clamped.note;
    }
  }
}

TEST(StillOptions, OutputPathsThatCannotTakeAPictureAreRefusedUpFront) {
  test::TempDir dir;
  test::writeFile(dir / "old.png", "x");
  ASSERT_EQ(mkfifo((dir / "pipe.png").c_str(), 0644), 0);
  std::filesystem::create_symlink(dir / "old.png", dir / "link.png");
  std::filesystem::create_directory(dir / "folder.png");
  for (const char* name : {"new.png", "old.png"}) {
    const Result<void> writable = canWriteTo((dir / name).string());
    EXPECT_TRUE(writable) << name << ": " << writable.why();
  }
  const struct {
    std::string output;
    const char* why;
  } cases[] = {
      {"", "the output path is empty"},
      {(dir / "sub/").string(), "names a folder"},
      {(dir / "missing/a.png").string(), "there is no folder"},
      {(dir / "folder.png").string(), "is a folder"},
      {(dir / "pipe.png").string(), "is a device, pipe or socket"},
      {(dir / "link.png").string(), "is a symbolic link"},
  };
  for (const auto& c : cases) {
    const Result<void> writable = canWriteTo(c.output);
    EXPECT_FALSE(writable) << c.output;
    EXPECT_NE(writable.why().find(c.why), std::string::npos) << c.output << ": " << writable.why();
  }
}

TEST(StillOptions, WaitBecomesWholeTicksUpToOneSimulatedDay) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  const struct {
    std::optional<double> seconds;
    std::int64_t ticks;
    const char* error;
  } cases[] = {
      {0.5, 30, ""},
      {5, 300, ""},
      {0.0083, 0, ""},  // 0.498 ticks, truncated
      {1.0 / 60 * 0.999, 0, ""},
      {86400, 5'184'000, ""},
      {0, 300, ""},
      {-2, 300, ""},
      {-inf, 300, ""},
      {std::nan(""), 300, ""},
      {std::nullopt, 300, ""},
      {86401, 300, "sorvelWait 86401: too long to simulate (at most 86400 seconds)"},
      {1e300, 300, "sorvelWait 1e300: too long"},
      {inf, 300, "sorvelWait inf: too long"},
  };
  for (const auto& c : cases) {
    const Result<std::int64_t> count = settleTicks(c.seconds);
    const std::string name = c.seconds ? std::to_string(*c.seconds) : "(absent)";
    if (*c.error == '\0') {
      ASSERT_TRUE(count.ok()) << name << ": " << count.why();
      EXPECT_EQ(*count, c.ticks) << name;
    } else {
      ASSERT_FALSE(count.ok()) << name;
      EXPECT_NE(count.why().find(c.error), std::string::npos) << name << ": " << count.why();
    }
  }
}

}  // namespace
}  // namespace sorvel::still
