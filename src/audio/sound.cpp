#include "audio/sound.hpp"

#include <algorithm>
#include <cstdio>

namespace sorvel {

Sound::Sound(std::unique_ptr<AudioOutput> output, std::uint64_t variantSeed)
    : bank_(SoundBank::synthesise()), output_(std::move(output)), variantState_(variantSeed) {
  if (!output_) return;
  const std::string failure = output_->start(mixer_);
  running_ = failure.empty();
  if (!running_) {
    std::printf("audio: %s\n", failure.c_str());
    std::fflush(stdout);
    output_.reset();
  }
}

Sound::~Sound() {
  // Stop the device thread before the buffers and the mixer it reads go.
  output_.reset();
}

std::size_t Sound::chooseVariant(std::size_t count) {
  // splitmix64: small, seedable and the same everywhere, unlike the
  // standard distributions. The modulo bias over at most a handful of
  // variants is far below anything audible.
  variantState_ += 0x9E3779B97F4A7C15ull;
  std::uint64_t z = variantState_;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return static_cast<std::size_t>(z % count);
}

void Sound::play(SoundKind kind, float volume) {
  const auto& variants = bank_.variants(kind);
  if (variants.empty()) return;
  // NaN falls to silence rather than poisoning the mix.
  volume = volume > 0.0f ? std::min(volume, 1.0f) : 0.0f;
  const std::vector<float>& samples = variants[chooseVariant(variants.size())];

  if (recorder) recorder(samples, volume);
  if (!enabled || !running_) return;
  const int voice = next_;
  next_ = (next_ + 1) % VoiceMixer::kVoices;
  mixer_.play(voice, samples, volume);
}

}  // namespace sorvel
