// Playback through the ten voices, the recorder and the muted paths, with a
// stand-in output whose mixer the test renders itself.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "audio/sound.hpp"

namespace sorvel {
namespace {

class FakeOutput final : public AudioOutput {
 public:
  FakeOutput(VoiceMixer** mixer, std::string failure) : mixer_(mixer), failure_(std::move(failure)) {}
  std::string start(VoiceMixer& mixer) override {
    *mixer_ = &mixer;
    return failure_;
  }

 private:
  VoiceMixer** mixer_;
  std::string failure_;
};

struct Recording {
  std::vector<std::vector<float>> sounds;
  std::vector<float> volumes;
  Sound::Recorder recorder() {
    return [this](std::span<const float> samples, float volume) {
      sounds.emplace_back(samples.begin(), samples.end());
      volumes.push_back(volume);
    };
  }
};

TEST(SoundTest, ElevenPlaysCycleTheVoicesAndCutTheOldestSound) {
  VoiceMixer* mixer = nullptr;
  Sound sound(std::make_unique<FakeOutput>(&mixer, ""));
  ASSERT_TRUE(sound.running());
  ASSERT_NE(mixer, nullptr);
  const std::vector<float>& error = sound.bank().variants(SoundKind::error)[0];
  const std::vector<float>& tick = sound.bank().variants(SoundKind::tick)[0];

  sound.play(SoundKind::error, 1.0f);
  EXPECT_EQ(sound.next(), 1);
  std::array<float, 512> block{};
  mixer->render(block);
  EXPECT_EQ(mixer->voice(0).samples, error.data());
  EXPECT_EQ(mixer->voice(0).position, 512u);

  for (int i = 1; i < 10; ++i) {
    sound.play(SoundKind::mark, 0.7f);
    EXPECT_EQ(sound.next(), (i + 1) % 10);
  }
  sound.play(SoundKind::tick, 0.6f);
  EXPECT_EQ(sound.next(), 1);

  std::array<float, 256> more{};
  mixer->render(more);
  // Voice 0 now plays the tick from its start: the error was cut, not finished.
  EXPECT_EQ(mixer->voice(0).samples, tick.data());
  EXPECT_EQ(mixer->voice(0).position, 256u);
  EXPECT_FLOAT_EQ(mixer->voice(0).gain, 0.6f);
  for (int v = 1; v < 10; ++v) {
    EXPECT_TRUE(mixer->voice(v).playing()) << v;
    EXPECT_FLOAT_EQ(mixer->voice(v).gain, 0.7f) << v;
  }
}

TEST(SoundTest, RecorderHearsEverythingWhileOutputIsOff) {
  VoiceMixer* mixer = nullptr;
  Sound sound(std::make_unique<FakeOutput>(&mixer, ""));
  Recording recording;
  sound.recorder = recording.recorder();
  sound.enabled = false;

  sound.play(SoundKind::tick, 0.6f);
  ASSERT_EQ(recording.sounds.size(), 1u);
  EXPECT_EQ(recording.sounds[0], sound.bank().variants(SoundKind::tick)[0]);
  EXPECT_EQ(recording.sounds[0].size(), 2205u);
  EXPECT_EQ(recording.volumes[0], 0.6f);
  EXPECT_EQ(sound.next(), 0);
  std::array<float, 64> block{};
  mixer->render(block);
  EXPECT_FALSE(mixer->voice(0).playing());

  // Switched back on, the same play is heard and recorded again.
  sound.enabled = true;
  sound.play(SoundKind::tick, 0.6f);
  EXPECT_EQ(recording.sounds.size(), 2u);
  EXPECT_EQ(sound.next(), 1);
}

TEST(SoundTest, OutputThatWillNotStartIsReportedOnceAndLeavesSoundMuted) {
  VoiceMixer* mixer = nullptr;
  testing::internal::CaptureStdout();
  Sound sound(std::make_unique<FakeOutput>(&mixer, "no device in this room"));
  Recording recording;
  sound.recorder = recording.recorder();
  sound.play(SoundKind::whoosh, 0.5f);
  sound.play(SoundKind::solved, 1.0f);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "audio: no device in this room\n");
  EXPECT_FALSE(sound.running());
  EXPECT_EQ(sound.next(), 0);
  ASSERT_EQ(recording.sounds.size(), 2u);
  EXPECT_EQ(recording.sounds[1].size(), 94815u);
}

TEST(SoundTest, WithoutAnOutputNothingIsHeardButTheRecorderIsFed) {
  testing::internal::CaptureStdout();
  Sound sound(nullptr);
  Recording recording;
  sound.recorder = recording.recorder();
  sound.play(SoundKind::carve, 0.85f);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(sound.next(), 0);
  ASSERT_EQ(recording.sounds.size(), 1u);
  EXPECT_EQ(recording.sounds[0].size(), 9702u);
  EXPECT_EQ(recording.volumes[0], 0.85f);
}

TEST(SoundTest, VolumesOutsideTheRangeAreLimited) {
  Sound sound(nullptr);
  Recording recording;
  sound.recorder = recording.recorder();
  sound.play(SoundKind::mark, 3.0f);
  sound.play(SoundKind::mark, -1.0f);
  sound.play(SoundKind::mark, std::nanf(""));
  EXPECT_THAT(recording.volumes, testing::ElementsAre(1.0f, 0.0f, 0.0f));
}

// Which carve variant each of `plays` plays chose.
std::vector<int> carveChoices(std::uint64_t seed, int plays) {
  Sound sound(nullptr, seed);
  const auto& variants = sound.bank().variants(SoundKind::carve);
  std::vector<int> choices;
  sound.recorder = [&](std::span<const float> samples, float) {
    for (std::size_t k = 0; k < variants.size(); ++k) {
      if (samples.data() == variants[k].data()) choices.push_back(static_cast<int>(k));
    }
  };
  for (int i = 0; i < plays; ++i) sound.play(SoundKind::carve, 0.85f);
  return choices;
}

TEST(SoundTest, CarveVariantsAreChosenFromTheSeed) {
  const std::vector<int> first = carveChoices(7, 120);
  ASSERT_EQ(first.size(), 120u);
  EXPECT_EQ(carveChoices(7, 120), first);
  EXPECT_NE(carveChoices(8, 120), first);
  std::array<int, 6> counts{};
  for (int k : first) ++counts[static_cast<std::size_t>(k)];
  for (int k = 0; k < 6; ++k) EXPECT_GE(counts[static_cast<std::size_t>(k)], 8) << "variant " << k;
}

}  // namespace
}  // namespace sorvel
