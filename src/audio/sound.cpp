#include "audio/sound.hpp"

#include <algorithm>

namespace sorvel {

Sound::Sound(std::unique_ptr<AudioOutput> output, std::uint64_t variantSeed, const MessageSink& say)
    : bank_(SoundBank::synthesise()), output_(std::move(output)), variantRandom_(variantSeed) {
  if (!output_) return;
  const std::string failure = output_->start(mixer_);
  running_ = failure.empty();
  if (!running_) {
    say("audio: " + failure);
    output_.reset();
  }
}

Sound::~Sound() {
  // Stop the device thread before the buffers and the mixer it reads go.
  output_.reset();
}

void Sound::play(SoundKind kind, float volume) {
  const auto& variants = bank_.variants(kind);
  if (variants.empty()) return;
  // NaN falls to silence rather than poisoning the mix.
  volume = volume > 0.0f ? std::min(volume, 1.0f) : 0.0f;
  const std::vector<float>& samples = variants[static_cast<std::size_t>(variantRandom_.below(variants.size()))];

  if (recorder) recorder(samples, volume);
  if (!enabled || !running_) return;
  const int voice = next_;
  next_ = (next_ + 1) % VoiceMixer::kVoices;
  mixer_.play(voice, samples, volume * std::clamp(loudness, 0.0f, 1.0f));
}

}  // namespace sorvel
