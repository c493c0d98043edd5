#include "game/demo_recording.hpp"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "audio/wav.hpp"
#include "base/atomic_file.hpp"

namespace sorvel {

namespace {

double wallClock() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

}  // namespace

DemoRecording::DemoRecording(Clock clock) : clock_(clock ? std::move(clock) : Clock(wallClock)), t0_(clock_()) {}

void DemoRecording::hear(std::span<const float> samples, float volume) {
  const double now = clock_() - t0_;
  const double start = std::floor(now * kRate);
  if (start >= 0 && start + static_cast<double>(samples.size()) < static_cast<double>(kSamples)) {
    const auto s = static_cast<size_t>(start);
    for (size_t k = 0; k < samples.size(); ++k) samples_[s + k] += volume * samples[k];
  }
  events_.push_back(now);
}

std::vector<std::string> DemoRecording::save(const std::filesystem::path& folder) const {
  std::vector<std::int16_t> track(kTrackSamples);
  for (size_t i = 0; i < kTrackSamples; ++i) track[i] = toPcm16(samples_[i] * 0.8f);
  const Result<void> wav = writeWav(folder / "sorvel-audio.wav", track);
  char t0[64];
  std::snprintf(t0, sizeof t0, "%.3f", t0_);
  const Result<void> t0Written = writeFileAtomically(folder / "sorvel-audio-t0.txt", t0);
  std::vector<std::string> problems;
  if (!wav) problems.push_back(wav.why());
  if (!t0Written) problems.push_back(t0Written.why());
  return problems;
}

std::filesystem::path temporaryFolder(const std::filesystem::path& chosen) {
  if (!chosen.empty()) return chosen;
  const char* tmp = std::getenv("TMPDIR");
  return tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
}

}  // namespace sorvel
