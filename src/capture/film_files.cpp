#include "capture/film_files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "audio/wav.hpp"
#include "base/atomic_file.hpp"

namespace sorvel::film {
namespace fs = std::filesystem;

namespace {

fs::path temporaryBeside(const fs::path& target) {
  return target.parent_path() / ("." + target.filename().string() + ".partial-" + std::to_string(::getpid()) +
                                 target.extension().string());
}

std::string failure(const char* what, const fs::path& path, int error) {
  return std::string(what) + " " + path.string() + ": " + std::strerror(error);
}

// Synced, so that after a power cut the place holds the old file or the
// whole new one, never an empty one.
Result<void> sync(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Reason{failure("cannot open", path, errno)};
  const int synced = ::fsync(fd);
  const int error = errno;
  ::close(fd);
  if (synced != 0) return Reason{failure("cannot sync", path, error)};
  return {};
}

Result<void> writeNew(const fs::path& path, const fs::path& named, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return Reason{failure("cannot write", named, errno)};
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      return Reason{failure("cannot write", named, error)};
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) {
    const int error = errno;
    ::close(fd);
    return Reason{failure("cannot write", named, error)};
  }
  if (::close(fd) != 0) return Reason{failure("cannot write", named, errno)};
  return {};
}

}  // namespace

Files::Files(const fs::path& output)
    : video_(output),
      sound_(output.string() + ".wav"),
      videoTemporary_(temporaryBeside(video_)),
      soundTemporary_(temporaryBeside(sound_)) {}

Result<void> Files::keep(std::span<const std::int16_t> sound) {
  std::lock_guard lock(mutex_);
  if (state_ == State::discarded) return Reason{"the film was interrupted"};
  if (state_ == State::kept) return {};
  Result<void> placed = place(sound);
  if (placed) {
    state_ = State::kept;
  } else {
    removeTemporaries();
  }
  return placed;
}

Result<void> Files::place(std::span<const std::int16_t> sound) {
  struct stat info {};
  if (::stat(videoTemporary_.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return Reason{"the video encoder exited with success but wrote no video for " + video_.string()};
  }
  if (info.st_size == 0) {
    return Reason{"the video encoder exited with success but the video it wrote for " + video_.string() + " is empty"};
  }
  if (Result<void> synced = sync(videoTemporary_); !synced) return synced;
  const std::string bytes = wavBytes(sound);
  if (bytes.empty()) {
    return Reason{"cannot write " + sound_.string() + ": " + std::to_string(sound.size()) +
                  " samples are too many for a WAV file"};
  }
  if (Result<void> written = writeNew(soundTemporary_, sound_, bytes); !written) return written;
  // Checked again at the last moment: what stands at a place may have
  // changed while the film was made.
  for (const fs::path* place : {&video_, &sound_}) {
    if (Result<void> replaceable = canReplace(*place); !replaceable) return replaceable;
  }
  if (::rename(videoTemporary_.c_str(), video_.c_str()) != 0) return Reason{failure("cannot replace", video_, errno)};
  if (::rename(soundTemporary_.c_str(), sound_.c_str()) != 0) return Reason{failure("cannot replace", sound_, errno)};
  const fs::path folder = video_.has_parent_path() ? video_.parent_path() : fs::path(".");
  if (const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  return {};
}

bool Files::discard() {
  std::lock_guard lock(mutex_);
  if (state_ == State::kept) return false;
  state_ = State::discarded;
  removeTemporaries();
  return true;
}

void Files::removeTemporaries() {
  ::unlink(videoTemporary_.c_str());
  ::unlink(soundTemporary_.c_str());
}

}  // namespace sorvel::film
