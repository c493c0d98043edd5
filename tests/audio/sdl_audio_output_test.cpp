// The device path on a machine without sound: SDL is steered through its
// driver variable, so no real device is ever opened.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "audio/sound.hpp"
#include "platform_audio/sdl_audio_output.hpp"

namespace sorvel {
namespace {

TEST(SdlAudioOutputTest, MissingDeviceIsReportedWithSdlsReasonAndSoundCarriesOn) {
  ::setenv("SDL_AUDIODRIVER", "sorvel-no-such-driver", 1);
  testing::internal::CaptureStdout();
  Sound sound(std::make_unique<SdlAudioOutput>());
  std::size_t recorded = 0;
  sound.recorder = [&](std::span<const float> samples, float) { recorded += samples.size(); };
  sound.play(SoundKind::tick, 1.0f);
  const std::string printed = testing::internal::GetCapturedStdout();
  ::unsetenv("SDL_AUDIODRIVER");

  EXPECT_FALSE(sound.running());
  EXPECT_EQ(recorded, 2205u);
  ASSERT_EQ(printed.rfind("audio: ", 0), 0u) << printed;
  EXPECT_GT(printed.size(), std::string("audio: \n").size()) << "SDL's reason is missing";
  EXPECT_EQ(printed.find('\n'), printed.size() - 1) << "printed more than one line: " << printed;
}

}  // namespace
}  // namespace sorvel
