#include "audio/voice_mixer.hpp"

#include <algorithm>
#include <cmath>

namespace sorvel {

void VoiceMixer::play(int voice, std::span<const float> samples, float gain) {
  if (voice < 0 || voice >= kVoices) return;
  // One bad gain would turn the whole mix into noise for as long as it plays.
  if (!std::isfinite(gain)) gain = 0.0f;
  Mailbox& box = mailboxes_[static_cast<std::size_t>(voice)];
  const std::uint32_t sequence = box.sequence.load(std::memory_order_relaxed);
  box.sequence.store(sequence + 1, std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_release);
  box.samples.store(samples.data(), std::memory_order_relaxed);
  box.length.store(samples.size(), std::memory_order_relaxed);
  box.gain.store(gain, std::memory_order_relaxed);
  box.sequence.store(sequence + 2, std::memory_order_release);
}

void VoiceMixer::collect(std::size_t voice) {
  const Mailbox& box = mailboxes_[voice];
  // A few tries are plenty: the writer holds the mailbox for three stores.
  for (int attempt = 0; attempt < 4; ++attempt) {
    const std::uint32_t before = box.sequence.load(std::memory_order_acquire);
    if (before == seen_[voice]) return;
    if (before & 1u) continue;
    const float* samples = box.samples.load(std::memory_order_relaxed);
    const std::size_t length = box.length.load(std::memory_order_relaxed);
    const float gain = box.gain.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    if (box.sequence.load(std::memory_order_relaxed) != before) continue;
    seen_[voice] = before;
    voices_[voice] = {.samples = samples, .length = samples ? length : 0, .position = 0, .gain = gain};
    return;
  }
}

void VoiceMixer::render(std::span<float> out) {
  std::fill(out.begin(), out.end(), 0.0f);
  for (std::size_t v = 0; v < voices_.size(); ++v) {
    collect(v);
    VoiceState& voice = voices_[v];
    if (!voice.playing()) continue;
    const std::size_t count = std::min(out.size(), voice.length - voice.position);
    const float* source = voice.samples + voice.position;
    for (std::size_t i = 0; i < count; ++i) out[i] += voice.gain * source[i];
    voice.position += count;
  }
  for (float& sample : out) sample = std::clamp(sample * kMasterGain, -1.0f, 1.0f);
}

}  // namespace sorvel
