// Playback through the ten voices, the recorder and the muted paths, with a
// stand-in output whose mixer the test renders itself.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
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

TEST(VoiceMixerTest, SumsVoicesAtTheirGainsAcrossBlocksThenClips) {
  VoiceMixer mixer;
  const std::vector<float> a{0.1f, 0.2f, 0.3f};
  const std::vector<float> b{-0.5f, 0.25f, 0.5f, 0.4f, 0.6f};
  mixer.play(2, a, 0.5f);
  mixer.play(7, b, 1.0f);
  std::array<float, 2> first{};
  mixer.render(first);
  std::array<float, 4> second{};
  mixer.render(second);
  // The second block carries on where the first stopped; `a` runs out in it.
  const std::array<float, 6> expected{0.5f * a[0] + b[0], 0.5f * a[1] + b[1], 0.5f * a[2] + b[2], b[3], b[4], 0.0f};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(i < 2 ? first[i] : second[i - 2], VoiceMixer::kMasterGain * expected[i]) << i;
  }
  EXPECT_FALSE(mixer.voice(2).playing());

  const std::vector<float> loud(16, -0.8f);
  for (int v = 0; v < VoiceMixer::kVoices; ++v) mixer.play(v, loud, 1.0f);
  std::array<float, 16> block{};
  mixer.render(block);
  for (float s : block) EXPECT_EQ(s, -1.0f);
}

TEST(SoundTest, ElevenPlaysCycleTheVoicesAndCutTheOldestSound) {
  VoiceMixer* mixer = nullptr;
  Sound sound(std::make_unique<FakeOutput>(&mixer, ""));
  ASSERT_TRUE(sound.running());
  ASSERT_NE(mixer, nullptr);
  sound.play(SoundKind::error, 1.0f);
  std::array<float, 512> block{};
  mixer->render(block);
  EXPECT_EQ(mixer->voice(0).samples, sound.bank().variants(SoundKind::error)[0].data());
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
  EXPECT_EQ(mixer->voice(0).samples, sound.bank().variants(SoundKind::tick)[0].data());
  EXPECT_EQ(mixer->voice(0).position, 256u);
  EXPECT_FLOAT_EQ(mixer->voice(0).gain, 0.6f);
  for (int v = 1; v < 10; ++v) EXPECT_FLOAT_EQ(mixer->voice(v).gain, 0.7f) << v;
}

TEST(SoundTest, RecorderHearsEverythingWhileNothingIsPlayed) {
  // A null failure stands for no output at all.
  struct Case { const char *why, *failure; bool enabled; float volume, recorded; const char* printed; };
  const Case cases[] = {{"output switched off", "", false, 0.6f, 0.6f, ""},
                        {"no output", nullptr, true, 3.0f, 1.0f, ""},
                        {"output failed", "no device here", true, std::nanf(""), 0.0f, "audio: no device here\n"}};
  for (const Case& c : cases) {
    VoiceMixer* mixer = nullptr;
    testing::internal::CaptureStdout();
    Sound sound(std::unique_ptr<AudioOutput>(c.failure ? new FakeOutput(&mixer, c.failure) : nullptr));
    sound.enabled = c.enabled;
    std::vector<std::pair<std::size_t, float>> heard;
    sound.recorder = [&](std::span<const float> samples, float volume) { heard.emplace_back(samples.size(), volume); };
    sound.play(SoundKind::tick, c.volume);
    sound.play(SoundKind::solved, -1.0f);
    // Said once, however many sounds are lost.
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed) << c.why;
    EXPECT_EQ(heard, (std::vector<std::pair<std::size_t, float>>{{2205, c.recorded}, {94815, 0.0f}})) << c.why;
    EXPECT_EQ(sound.next(), 0) << c.why;
    if (mixer) {
      std::array<float, 64> block{};
      mixer->render(block);
      EXPECT_FALSE(mixer->voice(0).playing()) << c.why;
    }
  }
}

}  // namespace
}  // namespace sorvel
