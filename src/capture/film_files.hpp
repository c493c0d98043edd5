#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <span>
#include <string>

#include "base/result.hpp"

namespace sorvel::film {

// The film's video and sound track while they are made. Each is written
// under a temporary name beside its place (the same folder, so the rename is
// atomic; the same extension, so the encoder still knows the format), and
// only a whole film takes the places: a failure or an interrupt leaves
// whatever stood there before.
class Files {
 public:
  // The video at `output`, its sound track at `output`.wav.
  explicit Files(const std::filesystem::path& output);
  // Removes the temporaries, unless the film was kept.
  ~Files() { discard(); }
  Files(const Files&) = delete;
  Files& operator=(const Files&) = delete;

  // Where the encoder writes the video: ".NAME.partial-PID" and the
  // output's extension, beside the output.
  const std::filesystem::path& videoTemporary() const { return videoTemporary_; }

  // Once the encoder has exited content: checks that it wrote a video,
  // writes the sound track and puts both in their places. On failure the
  // temporaries are removed and the places left untouched.
  Result<void> keep(std::span<const std::int16_t> sound);

  // From any thread, as an interrupt does: removes the temporaries, after
  // which nothing is kept. False when the film was kept already. Kill the
  // encoder first, or it may write its temporary again.
  bool discard();

 private:
  enum class State { making, kept, discarded };
  Result<void> place(std::span<const std::int16_t> sound);
  void removeTemporaries();

  std::filesystem::path video_;
  std::filesystem::path sound_;
  std::filesystem::path videoTemporary_;
  std::filesystem::path soundTemporary_;
  std::mutex mutex_;
  State state_ = State::making;
};

}  // namespace sorvel::film
