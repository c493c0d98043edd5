#include "platform_audio/sdl_audio_output.hpp"

#include <SDL.h>

#include "audio/synth.hpp"
#include "audio/voice_mixer.hpp"

namespace sorvel {
namespace {

constexpr Uint16 kBlockSamples = 256;

// Runs on SDL's audio thread: it only renders, which neither allocates nor
// waits on the game.
void SDLCALL fill(void* mixer, Uint8* stream, int bytes) {
  auto* out = reinterpret_cast<float*>(stream);
  static_cast<VoiceMixer*>(mixer)->render({out, static_cast<std::size_t>(bytes) / sizeof(float)});
}

}  // namespace

std::string SdlAudioOutput::start(VoiceMixer& mixer) {
  if (device_ != 0) return "the audio device is already open";
  if (!subsystem_) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return SDL_GetError();
    subsystem_ = true;
  }
  SDL_AudioSpec wanted{};
  wanted.freq = kSampleRate;
  wanted.format = AUDIO_F32SYS;
  wanted.channels = 1;
  wanted.samples = kBlockSamples;
  wanted.callback = fill;
  wanted.userdata = &mixer;
  SDL_AudioSpec obtained{};
  // No changes allowed: SDL converts to whatever the device really takes, so
  // the callback always sees the format the mixer renders.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device_ == 0) return SDL_GetError();
  SDL_PauseAudioDevice(device_, 0);
  return {};
}

SdlAudioOutput::~SdlAudioOutput() {
  // Closing waits for a callback in progress, so the mixer is not read after.
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace sorvel
