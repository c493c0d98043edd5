// The still picture end to end: the executable renders off-screen with EGL
// and writes a PNG, as `sorvel --still` does for a player.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "image/png_io.hpp"
#include "support/run_sorvel.hpp"
#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

using ::testing::HasSubstr;

class Still : public ::testing::Test {
 protected:
  test::SorvelRun still(const std::string& args) { return test::runSorvel(SORVEL_EXECUTABLE, args, dir); }

  RgbaImage picture(const std::filesystem::path& file) {
    Result<RgbaImage> read = readPng(file);
    EXPECT_TRUE(read.ok()) << read.why();
    return read ? *read : RgbaImage{};
  }

  test::TempDir dir;
};

TEST_F(Still, WritesAnOpaquePictureOfTheRequestedSizeAndSaysWhere) {
  const auto file = dir / "table.png";
  const auto run = still("--still '" + file.string() + "' --size 240x150 --wait 0.5");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Imagen: " + file.string() + "\n");
  const RgbaImage image = picture(file);
  ASSERT_EQ(image.width, 240);
  ASSERT_EQ(image.height, 150);
  int distinct = 0;
  for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
    EXPECT_EQ(image.pixels[i + 3], 255);
    distinct += std::abs(image.pixels[i] - image.pixels[0]) > 10;
  }
  EXPECT_GT(distinct, 100) << "a picture of the table is not one flat colour";
  // The saved progress of the player is never touched by a still.
  EXPECT_FALSE(std::filesystem::exists(dir / "data/settings.json"));
}

TEST_F(Still, AFileThatCannotBeWrittenOrABadOptionFailsWithStatusOne) {
  auto run = still("--still '" + (dir / "no/such/folder/x.png").string() + "' --size 32x20 --wait 0.1");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("no/such/folder/x.png"));
  EXPECT_THAT(run.out, ::testing::Not(HasSubstr("Imagen")));

  // Once aborted the program from deep inside the path handling.
  for (const char* empty : {"--still ''", "--still=", "-sorvelStill ''"}) {
    run = still(std::string(empty) + " --size 32x20 --wait 0.1");
    EXPECT_EQ(run.status, 1) << empty;
    EXPECT_THAT(run.err, HasSubstr("the output path is empty")) << empty;
  }

  run = still("--still '" + (dir / "x.png").string() + "' --size 0x100");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("sorvelSize"));
  EXPECT_FALSE(std::filesystem::exists(dir / "x.png"));
}

TEST_F(Still, AZoomThePlayerCannotReachIsBroughtBackAndSaidSo) {
  const auto file = dir / "close.png";
  const auto run = still("--still '" + file.string() + "' --demo play:3 --cam 0,0,0 --size 64x40 --wait 0.1");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, HasSubstr("zoom 0 is outside 0.55 to 1.6, so 0.55 is used"));
  // With the eye on the target only the background showed; now the block does.
  const RgbaImage image = picture(file);
  int distinct = 0;
  for (std::size_t i = 0; i < image.pixels.size(); i += 4) distinct += image.pixels[i] != image.pixels[0];
  EXPECT_GT(distinct, 200);
}

TEST_F(Still, AFigureTurnedFurtherThanAFloatHoldsIsStillThere) {
  // The shipped crab's red shell against the pale wood: a turn of 1e39
  // radians once made it vanish.
  for (const char* spin : {"0.3", "1e39", "-1e300"}) {
    const auto file = dir / "figure.png";
    const auto run = test::runSorvel(SORVEL_EXECUTABLE,
                                     "--still '" + file.string() + "' --demo solved:4 --wait 6 --spin " + spin +
                                         " --size 160x100",
                                     dir, SORVEL_RESOURCES_DIR);
    ASSERT_EQ(run.status, 0) << run.err;
    const RgbaImage image = picture(file);
    int red = 0;
    for (std::size_t i = 0; i < image.pixels.size(); i += 4) red += image.pixels[i] - image.pixels[i + 1] > 100;
    EXPECT_GT(red, 20) << "turned " << spin;
  }
}

// The interface as a player sees it over a block with one mistake, laid out
// in 960x640 points: the carving tool chosen, the mistakes line in red.
TEST_F(Still, TheInterfaceIsDrawnOverTheSceneInItsOwnColours) {
  const auto file = dir / "ui.png";
  const auto run = still("--still '" + file.string() + "' --ui --demo tap:3:0.5,0.45 --wait 0.5 --size 960x640");
  ASSERT_EQ(run.status, 0) << run.err;
  const RgbaImage image = picture(file);
  ASSERT_EQ(image.width, 960);
  const auto near = [&](int x, int y, int r, int g, int b) {
    const std::size_t i = (static_cast<std::size_t>(y) * 960 + x) * 4;
    return std::abs(image.pixels[i] - r) <= 3 && std::abs(image.pixels[i + 1] - g) <= 3 &&
           std::abs(image.pixels[i + 2] - b) <= 3;
  };
  // The chosen tool's capsule is ink; the other segment sits on paper.
  EXPECT_TRUE(near(400, 590, 43, 36, 31));
  EXPECT_TRUE(near(540, 590, 249, 244, 236));
  int red = 0;
  for (int y = 44; y < 64; ++y)
    for (int x = 430; x < 530; ++x) red += near(x, y, 179, 56, 41);
  EXPECT_GT(red, 10) << "the mistakes line is not in mistake red";

  const auto refused = still("--still '" + file.string() + "' --ui --ui-scale 9 --size 32x20");
  EXPECT_EQ(refused.status, 1);
  EXPECT_THAT(refused.err, HasSubstr("sorvelUIScale"));
}

TEST_F(Still, TheSettingsCardShowsOverTheTableWithItsSwitches) {
  // The card's paper fills the window's middle, and the sound's switch is
  // on, in teal; the table alone has neither.
  const auto count = [&](const std::string& demo) {
    const auto file = dir / (demo + ".png");
    const auto run = still("--still '" + file.string() + "' --ui --size 960x640" + (demo.empty() ? "" : " --demo " + demo));
    EXPECT_EQ(run.status, 0) << run.err;
    const RgbaImage image = picture(file);
    int teal = 0, paper = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const std::size_t i = (static_cast<std::size_t>(y) * image.width + x) * 4;
        const auto is = [&](int r, int g, int b) {
          return std::abs(image.pixels[i] - r) <= 3 && std::abs(image.pixels[i + 1] - g) <= 3 &&
                 std::abs(image.pixels[i + 2] - b) <= 3;
        };
        teal += is(92, 140, 158);
        paper += x > 380 && x < 580 && y > 250 && y < 400 && is(249, 244, 236);
      }
    }
    return std::pair(teal, paper);
  };
  const auto [tealCard, paperCard] = count("settings");
  const auto [tealTable, paperTable] = count("");
  EXPECT_GT(tealCard, 300);
  EXPECT_LT(tealTable, 30);
  EXPECT_GT(paperCard, 20000);
  EXPECT_LT(paperTable, 1000);
}

}  // namespace
}  // namespace sorvel
