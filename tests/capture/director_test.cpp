// The film without pictures: its sequence over a real game, its sound track
// and its progress line. No GPU.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <cmath>
#include <vector>

#include "capture/film_progress.hpp"
#include "capture/director.hpp"
#include "capture/film_soundtrack.hpp"
#include "game/game.hpp"
#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

// Surplus cubes of a block, counted from its solution text alone.
int surplusOf(const Game& game, int block) {
  const std::string& solution = game.slot(block).puzzle.def.solution;
  return static_cast<int>(std::count(solution.begin(), solution.end(), '0'));
}

TEST(FilmCarvePace, EachCarveIsHeldLessAsTheBlockEmptiesAndEmptyPhasesHoldNothing) {
  std::vector<int> holds;
  for (int i = 1; i <= 20; ++i) holds.push_back(film::carveHold(i, 20, {0.16, 0.11}));
  EXPECT_THAT(holds, ElementsAreArray({9, 9, 9, 8, 8, 8, 7, 7, 7, 6, 6, 6, 5, 5, 5, 4, 4, 4, 3, 3}));
  // Past the m-th cube the hold stays at a - b; 60 * 0.045 = 2.7 rounds up.
  EXPECT_EQ(film::carveHold(40, 20, {0.12, 0.075}), 3);
  EXPECT_EQ(film::carvePhaseFrames(20, {0.16, 0.11}), 123);
  EXPECT_EQ(film::carvePhaseFrames(0, {0.16, 0.11}), 0);
}

class FilmOfAChapter : public ::testing::Test {
 protected:
  Game game{GameOptions{.resources = test::fixtureResources(), .seed = 3}};
};

TEST_F(FilmOfAChapter, RecordsTheFixedStepsAndOneHoldPerCarvedCube) {
  const std::int64_t expected = film::expectedFrames(game);
  // The same total worked out from the puzzle files, not from the game.
  const auto phase = [](int surplus, double a, double b) {
    std::int64_t frames = 0;
    for (int i = 1; i <= surplus; ++i) {
      frames += std::llround(60 * (a - b * std::min(static_cast<double>(i) / std::max(surplus, 1), 1.0)));
    }
    return frames;
  };
  EXPECT_EQ(expected, 1927 + phase(surplusOf(game, 1), 0.16, 0.11) + phase(surplusOf(game, 2), 0.12, 0.075) +
                          phase(surplusOf(game, 3), 0.12, 0.075));

  std::int64_t frames = 0;
  std::vector<std::int64_t> soundFrames;
  game.setSoundRecorder([&](std::span<const float>, float) { soundFrames.push_back(frames); });
  film::Director director(game, [&] {
    ++frames;
    return true;
  });
  ASSERT_TRUE(director.playWholeFilm());
  EXPECT_EQ(frames, expected);
  // Every block the film opened was carved clean and revealed.
  for (int block = 0; block < 4; ++block) EXPECT_TRUE(game.slot(block).puzzle.solved()) << block;
  EXPECT_EQ(game.screen(), Screen::home);
  // The first block's carving is heard before the first film frame.
  ASSERT_FALSE(soundFrames.empty());
  EXPECT_EQ(soundFrames.front(), 0);
  EXPECT_GT(soundFrames.back(), 1000);
}

TEST_F(FilmOfAChapter, AShotThatFailsStopsTheFilmAtOnce) {
  int shots = 0;
  film::Director director(game, [&] { return ++shots < 200; });
  EXPECT_FALSE(director.playWholeFilm());
  EXPECT_EQ(shots, 200);
}

TEST(FilmChapter, AChapterWithTooFewBlocksIsRefusedByName) {
  test::TempDir dir;
  test::writeFile(dir / "puzzles/chapter.json",
                  R"({"id": "corto", "name": {"es": "Corto"}, "puzzles": ["barca"]})");
  std::filesystem::copy_file(test::fixtureResources() / "puzzles/barca.json", dir / "puzzles/barca.json");
  Game game(GameOptions{.resources = dir.path()});
  const Result<void> tooShort = film::canFilmChapter(game);
  EXPECT_FALSE(tooShort);
  EXPECT_THAT(tooShort.why(), HasSubstr("\"corto\" has 1"));
  Game fixture(GameOptions{.resources = test::fixtureResources()});
  const Result<void> filmable = film::canFilmChapter(fixture);
  EXPECT_TRUE(filmable) << filmable.why();
}

TEST(FilmSoundtrack, SoundsLandAtTheirFramesTimeAndTheTrackGrowsToHoldThem) {
  EXPECT_EQ(film::Soundtrack::sampleAt(11), 8084u);  // 8084.99..., truncated
  film::Soundtrack track;
  const std::vector<float> sound(2205, 0.5f);
  track.hear(10, sound, 0.8f);
  track.hear(10, sound, 0.2f);
  const std::vector<float>& s = track.samples();
  EXPECT_EQ(s[7349], 0.0f);
  EXPECT_FLOAT_EQ(s[7350], 0.5f);
  EXPECT_FLOAT_EQ(s[9554], 0.5f);
  EXPECT_EQ(s[9555], 0.0f);

  // A sound reaching the end of the two minutes makes room for itself and a
  // second more.
  const std::int64_t lateFrame = 7199;  // 119.98 s
  const std::size_t start = film::Soundtrack::sampleAt(lateFrame);
  track.hear(lateFrame, sound, 1);
  EXPECT_EQ(s.size(), start + 2205 + 44100);
  EXPECT_FLOAT_EQ(s[start + 2204], 0.5f);
}

TEST(FilmSoundtrack, FinishingScalesLoudTracksToNinetyPercentAndNeverReadsPastTheTrack) {
  // 1,927 frames are 1,416,345 samples.
  EXPECT_EQ(film::Soundtrack().finish(1927).size(), 1'416'345u);

  film::Soundtrack quiet;
  quiet.hear(0, std::vector<float>{0.5f, -1.2f / 0.9f * 0.5f}, 1);
  std::vector<std::int16_t> pcm = quiet.finish(60);
  EXPECT_EQ(pcm[0], 14745);  // 0.5 at gain 0.9: 0.45
  EXPECT_EQ(pcm[1], -19660);

  film::Soundtrack loud;
  loud.hear(0, std::vector<float>{2.0f, -1.0f}, 1);
  pcm = loud.finish(60);
  EXPECT_EQ(pcm[0], 29490);  // gain 0.45: the peak at 0.9
  EXPECT_EQ(pcm[1], -14745);

  // Only the film's own samples set the gain: a louder sound past its end
  // (heard while the last frame was made) does not quieten the rest.
  film::Soundtrack tail;
  tail.hear(0, std::vector<float>{0.5f}, 1);
  tail.hear(60, std::vector<float>{4.0f}, 1);
  EXPECT_EQ(tail.finish(60)[0], 14745);

  // A film longer than the track: the rest is silence.
  film::Soundtrack shortTrack;
  shortTrack.hear(0, std::vector<float>{0.25f}, 1);
  pcm = shortTrack.finish(9000);  // 150 s
  EXPECT_EQ(pcm.size(), 6'615'000u);
  EXPECT_EQ(pcm.back(), 0);
}

TEST(FilmProgress, SaysFramesRateAndTimeLeftAndNothingOffATerminal) {
  EXPECT_EQ(film::progressLine(500, 2000, 10), "sorvel: film frame 500 of 2000 (25%) · 50.0 fps · 0:30 left");
  // Past the estimate the total follows the frames.
  EXPECT_EQ(film::progressLine(2010, 2000, 100), "sorvel: film frame 2010 of 2010 (100%) · 20.1 fps · 0:00 left");
  EXPECT_EQ(film::progressLine(0, 2000, 0), "sorvel: film frame 0 of 2000 (0%) · 0.0 fps");

  std::FILE* log = std::tmpfile();
  ASSERT_NE(log, nullptr);
  {
    film::Progress progress(log, 100);
    for (int n = 1; n <= 100; ++n) progress.frameDone(n);
  }
  EXPECT_EQ(std::ftell(log), 0);
  std::fclose(log);
}

}  // namespace
}  // namespace sorvel
