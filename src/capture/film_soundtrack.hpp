#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace sorvel::film {

// The film's sound: every sound the game plays, mixed into one mono track at
// the film time of the frame being made when it was played.
class Soundtrack {
 public:
  static constexpr double kRate = 44100;
  // Two minutes to begin with; it grows when a sound would reach its end.
  static constexpr std::size_t kInitialSamples = 5'292'000;

  // The first sample of film frame `frame` (from 0), truncated.
  static std::size_t sampleAt(std::int64_t frame);

  // Mixes `samples` at `volume` in from the start of frame `frame`.
  void hear(std::int64_t frame, std::span<const float> samples, float volume);

  // The track of a film `frames` long, as 16-bit samples: brought to a peak
  // of 0.9 when louder than full scale, else at a gain of 0.9.
  std::vector<std::int16_t> finish(std::int64_t frames) const;

  const std::vector<float>& samples() const { return track_; }

 private:
  std::vector<float> track_ = std::vector<float>(kInitialSamples, 0.0f);
};

}  // namespace sorvel::film
