// The film's frames through the overlapped pipeline must be the frames of the
// plain order (draw, wait, read, write), byte for byte, with every sound at
// the same place; and a consumer that gives up must stop it, not hang it.
#include <gtest/gtest.h>

#include <vector>

#include "capture/capture_session.hpp"
#include "capture/director.hpp"
#include "capture/film_soundtrack.hpp"
#include "render/frame_pipeline.hpp"
#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

using Frames = std::vector<std::vector<std::uint8_t>>;

struct Take {
  Frames frames;
  std::vector<float> sound;
};

// A stretch of the film: a block opened, turned, marked and carved clean.
void shortScene(Game& game, film::Director& director) {
  game.open(1);
  ASSERT_TRUE(director.record(8, glm::vec2(0.55f, 0)));
  game.autoMark(1);
  ASSERT_TRUE(director.record(4));
  ASSERT_TRUE(director.carvePhase({0.16, 0.11}, {0.55f, 0}));
  ASSERT_TRUE(director.record(6));
}

class FilmFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    Result<std::unique_ptr<CaptureSession>> created =
        CaptureSession::create({.width = 64, .height = 36, .resources = test::fixtureResources(), .seed = 11});
    ASSERT_TRUE(created) << created.why();
    session = std::move(*created);
  }

  // Draw, wait for the GPU, read, write, count: one frame after another.
  Take inPlainOrder() {
    session->restartGame();
    Take take;
    std::int64_t frames = 0;
    film::Soundtrack track;
    session->game().setSoundRecorder([&](std::span<const float> s, float v) { track.hear(frames, s, v); });
    film::Director director(session->game(), [&] {
      const Result<void> drawn = session->draw();
      EXPECT_TRUE(drawn) << drawn.why();
      take.frames.push_back(session->read(PixelOrder::Bgra));
      ++frames;
      return true;
    });
    shortScene(session->game(), director);
    take.sound = track.samples();
    return take;
  }

  // As the film makes them: drawn, handed to the pipeline, counted.
  Take throughThePipeline() {
    session->restartGame();
    Take take;
    auto pipe = FramePipeline::create(64, 36, [&](std::span<const std::uint8_t> frame) {
      take.frames.emplace_back(frame.begin(), frame.end());
      return true;
    });
    // Nothing below can go on without it.
    if (!pipe) {
      ADD_FAILURE() << pipe.why();
      return take;
    }
    std::int64_t frames = 0;
    film::Soundtrack track;
    session->game().setSoundRecorder([&](std::span<const float> s, float v) { track.hear(frames, s, v); });
    film::Director director(session->game(), [&] {
      EXPECT_TRUE(session->renderer().render(session->game().frame(), session->renderTarget()));
      EXPECT_TRUE((*pipe)->submit(session->renderTarget().framebuffer));
      ++frames;
      return true;
    });
    shortScene(session->game(), director);
    EXPECT_TRUE((*pipe)->finish());
    take.sound = track.samples();
    return take;
  }

  std::unique_ptr<CaptureSession> session;
};

TEST_F(FilmFrames, ThePipelineWritesTheFramesAndSoundsOfThePlainOrder) {
  const Take plain = inPlainOrder();
  const Take piped = throughThePipeline();
  ASSERT_GT(plain.frames.size(), 30u);
  ASSERT_EQ(piped.frames.size(), plain.frames.size());
  // The scene moves, so a frame out of place would show.
  EXPECT_NE(plain.frames[0], plain.frames[10]);
  for (std::size_t n = 0; n < plain.frames.size(); ++n) {
    ASSERT_EQ(piped.frames[n].size(), 64u * 36u * 4u);
    EXPECT_TRUE(piped.frames[n] == plain.frames[n]) << "frame " << n;
  }
  EXPECT_TRUE(piped.sound == plain.sound);
  EXPECT_GT(std::count_if(plain.sound.begin(), plain.sound.end(), [](float s) { return s != 0; }), 1000);
}

TEST_F(FilmFrames, AConsumerThatGivesUpStopsThePipelineWithoutHanging) {
  int written = 0;
  auto pipe = FramePipeline::create(64, 36, [&](std::span<const std::uint8_t>) {
    return ++written < 3;
  });
  ASSERT_TRUE(pipe) << pipe.why();
  int submitted = 0;
  while (submitted < 100) {
    const Result<void> drawn = session->draw();
    ASSERT_TRUE(drawn) << drawn.why();
    if (!(*pipe)->submit(session->renderTarget().framebuffer)) break;
    ++submitted;
  }
  // The failure is heard within the queue's length of frames.
  EXPECT_LE(submitted, 3 + static_cast<int>(FramePipeline::kQueued) + 2);
  EXPECT_FALSE((*pipe)->finish());
  EXPECT_EQ(written, 3);
}

}  // namespace
}  // namespace sorvel
