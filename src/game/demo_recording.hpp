#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace sorvel {

// The sound of a scripted run, laid down for a film made of the same run:
// every sound the game plays, mixed in at the wall-clock moment it was
// played, over the first minute.
class DemoRecording {
 public:
  // Seconds on the wall clock; a test may hand in its own.
  using Clock = std::function<double()>;

  static constexpr double kRate = 44100;
  static constexpr std::size_t kSamples = 2'646'000;       // 60 s
  static constexpr std::size_t kTrackSamples = 1'367'100;  // the first 31 s

  // Starts the recording's clock now.
  explicit DemoRecording(Clock clock = {});

  // Mixes one played sound in from the moment it comes; one that would not
  // end within the minute, or came before the start, is only counted.
  void hear(std::span<const float> samples, float volume);

  // Writes the first 31 s into `folder` as "sorvel-audio.wav", and the
  // wall-clock start, to the millisecond, as "sorvel-audio-t0.txt". Both are
  // tried; the result names what could not be written.
  std::vector<std::string> save(const std::filesystem::path& folder) const;

  // Every sound played since the start, mixed in or not.
  std::size_t soundsHeard() const { return events_.size(); }
  double t0() const { return t0_; }

 private:
  Clock clock_;
  double t0_;
  std::vector<float> samples_ = std::vector<float>(kSamples, 0.0f);
  std::vector<double> events_;
};

// Where a scripted run leaves its files: `chosen`, else $TMPDIR, else /tmp.
std::filesystem::path temporaryFolder(const std::filesystem::path& chosen);

}  // namespace sorvel
