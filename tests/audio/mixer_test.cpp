#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "audio/voice_mixer.hpp"

namespace sorvel {
namespace {

TEST(VoiceMixerTest, SumsVoicesAtTheirGainsUnderTheMasterGain) {
  VoiceMixer mixer;
  const std::vector<float> a{0.1f, 0.2f, 0.3f, 0.4f, 0.5f};
  const std::vector<float> b{-0.5f, 0.25f, 0.5f, 0.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f};
  mixer.play(2, a, 0.5f);
  mixer.play(7, b, 1.0f);

  std::array<float, 4> first{};
  mixer.render(first);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(first[i], 0.9f * (0.5f * a[i] + b[i])) << i;

  // The next block carries on where the last one stopped; `a` runs out
  // after one more sample and leaves `b` alone.
  std::array<float, 8> second{};
  mixer.render(second);
  EXPECT_FLOAT_EQ(second[0], 0.9f * (0.5f * a[4] + b[4]));
  for (std::size_t i = 1; i < 6; ++i) EXPECT_FLOAT_EQ(second[i], 0.9f * b[4 + i]) << i;
  EXPECT_EQ(second[6], 0.0f);
  EXPECT_EQ(second[7], 0.0f);
  EXPECT_FALSE(mixer.voice(2).playing());
  EXPECT_FALSE(mixer.voice(7).playing());
}

TEST(VoiceMixerTest, LoudPileUpsClipAndStoppedVoicesFallSilent) {
  VoiceMixer mixer;
  const std::vector<float> loud(64, 0.8f);
  const std::vector<float> quiet(64, -0.8f);
  for (int v = 0; v < VoiceMixer::kVoices; ++v) mixer.play(v, loud, 1.0f);
  std::array<float, 16> block{};
  mixer.render(block);
  for (float s : block) EXPECT_EQ(s, 1.0f);

  for (int v = 0; v < VoiceMixer::kVoices; ++v) mixer.play(v, quiet, 1.0f);
  mixer.render(block);
  for (float s : block) EXPECT_EQ(s, -1.0f);

  for (int v = 1; v < VoiceMixer::kVoices; ++v) mixer.stop(v);
  mixer.play(0, quiet, std::nanf(""));  // a broken gain must not poison the mix
  mixer.render(block);
  for (float s : block) EXPECT_EQ(s, 0.0f);
  for (int v = 1; v < VoiceMixer::kVoices; ++v) EXPECT_FALSE(mixer.voice(v).playing());
}

TEST(VoiceMixerTest, CommandsFromAnotherThreadArriveWhole) {
  // The game thread keeps retriggering a voice with one of two buffers while
  // the audio thread renders: every block must show one buffer at its own
  // gain, never the samples of one with the length or gain of the other.
  VoiceMixer mixer;
  const std::vector<float> shortOnes(4, 1.0f);
  const std::vector<float> longTwos(4096, 0.5f);
  std::atomic<bool> done{false};
  std::thread game([&] {
    for (int i = 0; i < 20000; ++i) {
      if (i % 2) mixer.play(0, shortOnes, 0.25f);
      else mixer.play(0, longTwos, 1.0f);
    }
    done = true;
  });
  std::array<float, 8> block{};
  int rendered = 0;
  while (!done || rendered < 10) {
    mixer.render(block);
    ++rendered;
    const VoiceMixer::VoiceState& voice = mixer.voice(0);
    if (voice.samples == shortOnes.data()) {
      ASSERT_EQ(voice.length, 4u);
      ASSERT_EQ(voice.gain, 0.25f);
    } else if (voice.samples == longTwos.data()) {
      ASSERT_EQ(voice.length, 4096u);
      ASSERT_EQ(voice.gain, 1.0f);
    }
  }
  game.join();
}

}  // namespace
}  // namespace sorvel
