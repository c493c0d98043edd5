#pragma once

#include <cstdint>
#include <string>

#include "audio/audio_output.hpp"

namespace sorvel {

// Plays the mixer through SDL's default audio device: 32-bit float, mono,
// 44.1 kHz, in blocks of 256 samples (under 6 ms) so that a carve is heard at
// once. SDL converts if the device wants another format.
class SdlAudioOutput final : public AudioOutput {
 public:
  SdlAudioOutput() = default;
  ~SdlAudioOutput() override;
  SdlAudioOutput(const SdlAudioOutput&) = delete;
  SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

  // Fails with SDL's own description when there is no device (as on a
  // headless machine) or it refuses the format.
  std::string start(VoiceMixer& mixer) override;

 private:
  std::uint32_t device_ = 0;  // SDL_AudioDeviceID; 0 while closed
  bool subsystem_ = false;
};

}  // namespace sorvel
