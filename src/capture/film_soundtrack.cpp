#include "capture/film_soundtrack.hpp"

#include <algorithm>
#include <cmath>

#include "audio/wav.hpp"

namespace sorvel::film {

std::size_t Soundtrack::sampleAt(std::int64_t frame) {
  return static_cast<std::size_t>(static_cast<double>(std::max<std::int64_t>(frame, 0)) / 60.0 * kRate);
}

void Soundtrack::hear(std::int64_t frame, std::span<const float> samples, float volume) {
  const std::size_t start = sampleAt(frame);
  if (start + samples.size() >= track_.size()) track_.resize(start + samples.size() + 44100, 0.0f);
  for (std::size_t j = 0; j < samples.size(); ++j) track_[start + j] += volume * samples[j];
}

std::vector<std::int16_t> Soundtrack::finish(std::int64_t frames) const {
  const std::size_t n = sampleAt(frames);
  // The film may outlast the track when nothing was played near its end:
  // the rest is silence, never whatever lies past the track.
  const std::size_t heard = std::min(n, track_.size());
  float peak = 0;
  for (std::size_t j = 0; j < heard; ++j) peak = std::max(peak, std::abs(track_[j]));
  const float gain = peak < 1 ? 0.9f : 0.9f / peak;
  std::vector<std::int16_t> pcm(n, 0);
  for (std::size_t j = 0; j < heard; ++j) pcm[j] = toPcm16(gain * track_[j]);
  return pcm;
}

}  // namespace sorvel::film
