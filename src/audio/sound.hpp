#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <span>

#include "audio/audio_output.hpp"
#include "audio/sound_kind.hpp"
#include "audio/synth.hpp"
#include "audio/voice_mixer.hpp"
#include "base/message_sink.hpp"
#include "base/split_mix.hpp"

namespace sorvel {

// Makes every sound of the game: synthesises them all once at construction,
// then plays them on ten voices used in turn.
class Sound {
 public:
  // Receives each played sound (the very variant that is or would be heard)
  // with its volume, synchronously inside play. The samples live as long as
  // the Sound; copy them to keep them.
  using Recorder = std::function<void(std::span<const float> samples, float volume)>;

  // `output` may be null (nothing is ever heard). An output that will not
  // start prints one "audio: <reason>" line and the game goes on muted.
  // `variantSeed` pins the choice among a kind's variants.
  // A device that will not start is reported to `say` and the game plays on
  // silent.
  explicit Sound(std::unique_ptr<AudioOutput> output, std::uint64_t variantSeed = std::random_device{}(),
                 const MessageSink& say = linesTo(stdout));
  ~Sound();
  Sound(const Sound&) = delete;
  Sound& operator=(const Sound&) = delete;

  // Plays one variant of `kind` at a linear volume in 0..1 (values outside
  // are limited to it).
  void play(SoundKind kind, float volume);

  // Live output on or off; the recorder is fed either way.
  bool enabled = true;
  // The player's volume, 0..1, for what is heard; the recorder hears every
  // sound as it was played.
  float loudness = 1;
  Recorder recorder;

  // The voice the next live sound uses, 0..9.
  int next() const { return next_; }
  // Whether the output started, i.e. whether anything can be heard at all.
  bool running() const { return running_; }
  const SoundBank& bank() const { return bank_; }

 private:
  // Declared before the output so that they outlive the device thread that
  // reads them.
  const SoundBank bank_;
  VoiceMixer mixer_;
  std::unique_ptr<AudioOutput> output_;
  bool running_ = false;
  int next_ = 0;
  SplitMix64 variantRandom_;
};

}  // namespace sorvel
