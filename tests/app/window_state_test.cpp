#include "app/window_state.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>

#include "support/temp_dir.hpp"

namespace sorvel {

static void PrintTo(const WindowState& s, std::ostream* out) {
  *out << s.width << "x" << s.height << " at " << s.x << "," << s.y << (s.maximised ? " maximised" : "")
       << (s.fullscreen ? " fullscreen" : "");
}

namespace {

using test::TempDir;
using test::writeFile;
using ::testing::HasSubstr;

TEST(WindowState, SurvivesAWriteIntoAFolderNotYetMade) {
  TempDir dir;
  const auto file = dir / "state/sorvel/window.json";
  // Never closed yet: nothing to say.
  const Result<std::optional<WindowState>> none = readWindowState(file);
  ASSERT_TRUE(none.ok());
  EXPECT_EQ(*none, std::nullopt);

  const WindowState left{.x = -1200, .y = 35, .width = 1280, .height = 800, .maximised = true};
  const Result<void> written = writeWindowState(file, left);
  ASSERT_TRUE(written) << written.why();
  const Result<std::optional<WindowState>> read = readWindowState(file);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(*read, left);
  const Result<void> refused = writeWindowState(file, {.width = 0, .height = 800});
  EXPECT_FALSE(refused);
  EXPECT_NE(refused.why(), "");
}

TEST(WindowState, DamagedFilesAreNamedWithWhatIsWrong) {
  TempDir dir;
  const auto file = dir / "window.json";
  const std::string good = R"("x": 0, "y": 0, "maximised": false, "fullscreen": false)";
  const std::pair<std::string, std::string> cases[] = {
      {"{\"x\": 0,", "not valid JSON"},
      {"[1, 2]", "object"},
      {"{" + good + R"(, "width": "1280", "height": 800})", "\"width\""},
      {"{" + good + R"(, "width": 1280.5, "height": 800})", "\"width\""},
      {"{" + good + R"(, "width": 1280})", "\"height\""},
      {"{" + good + R"(, "width": 0, "height": 800})", "\"width\" is 0"},
      {"{" + good + R"(, "width": 1280, "height": 100001})", "\"height\" is 100001"},
      {R"({"x": 10000000000, "y": 0, "width": 1280, "height": 800, "maximised": false, "fullscreen": false})",
       "\"x\""},
      {R"({"x": 0, "y": 0, "width": 1280, "height": 800, "maximised": 1, "fullscreen": false})", "\"maximised\""},
      {R"({"x": [[0]]})", "nested"},
      {std::string(70000, ' ') + "{}", "70002 bytes"},
  };
  for (const auto& [text, why] : cases) {
    writeFile(file, text);
    const Result<std::optional<WindowState>> read = readWindowState(file);
    ASSERT_FALSE(read.ok()) << text;
    EXPECT_THAT(read.why(), HasSubstr(file.string())) << text;
    EXPECT_THAT(read.why(), HasSubstr(why)) << text;
  }
  EXPECT_THAT(readWindowState(dir.path()).why(), HasSubstr("not a regular file"));
}

// Puts an environment variable back as it was when the test ends.
class SavedVariable {
 public:
  explicit SavedVariable(const char* name) : name_(name) {
    if (const char* value = std::getenv(name)) value_ = value;
  }
  ~SavedVariable() { value_ ? setenv(name_, value_->c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> value_;
};

TEST(WindowState, FileFollowsAnAbsoluteXdgStateHomeOnly) {
  const SavedVariable home("HOME"), state("XDG_STATE_HOME");
  setenv("HOME", "/home/ana", 1);
  setenv("XDG_STATE_HOME", "/var/state", 1);
  EXPECT_EQ(windowStateFile(), "/var/state/sorvel/window.json");
  setenv("XDG_STATE_HOME", "state", 1);
  EXPECT_EQ(windowStateFile(), "/home/ana/.local/state/sorvel/window.json");
  unsetenv("XDG_STATE_HOME");
  EXPECT_EQ(windowStateFile(), "/home/ana/.local/state/sorvel/window.json");
}

TEST(WindowState, FitKeepsAPlaceWhoseTitleBarCanBeGrabbed) {
  // A laptop and, to its left and a little lower, a larger monitor.
  const Rect displays[] = {{0, 0, 1440, 870}, {-1920, 100, 1920, 1050}};
  auto fit = [&](int x, int y, int w = 1000, int h = 700) {
    return fitToDisplays({.x = x, .y = y, .width = w, .height = h, .fullscreen = true}, displays, 900, 640);
  };
  EXPECT_EQ(fit(-1500, 300), (WindowState{-1500, 300, 1000, 700, false, true}));
  EXPECT_TRUE(fit(300, 800));          // hanging off the bottom, title bar still there
  EXPECT_FALSE(fit(300, -10));         // title bar above the top edge
  EXPECT_FALSE(fit(300, 850));         // title bar half under the bottom edge
  EXPECT_FALSE(fit(-1500, 50));        // above the monitor, beside the laptop's top
  EXPECT_FALSE(fit(1360, 100));        // only 80 points of title bar on screen
  EXPECT_FALSE(fit(5000, 300));        // the monitor it was on is gone
  EXPECT_FALSE(fitToDisplays({.width = 1000, .height = 700}, {}, 900, 640));

  // Larger than its display: shrunk onto it, but never below the minimum.
  EXPECT_EQ(fit(-1800, 200, 2400, 1400), (WindowState{-1920, 100, 1920, 1050, false, true}));
  const Rect small[] = {{0, 0, 800, 600}};
  EXPECT_EQ(fitToDisplays({.x = 10, .y = 10, .width = 1200, .height = 500}, small, 900, 640),
            (WindowState{0, 0, 900, 640, false, false}));
  // Across both displays, it belongs to the one holding more of it.
  EXPECT_EQ(fit(-300, 200, 1800, 1200)->y, 0);
  EXPECT_EQ(fit(-1500, 200, 1800, 1200)->y, 100);
}

}  // namespace
}  // namespace sorvel
