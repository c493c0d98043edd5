#include "base/atomic_file.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <system_error>

namespace sorvel {
namespace fs = std::filesystem;

namespace {

// Closes the descriptor and, unless released, removes the half-made file.
class TemporaryFile {
 public:
  TemporaryFile(fs::path path, int fd) : path_(std::move(path)), fd_(fd) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!kept_) ::unlink(path_.c_str());
  }
  int fd() const { return fd_; }
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }
  void keep() { kept_ = true; }

 private:
  fs::path path_;
  int fd_;
  bool kept_ = false;
};

std::string failure(const char* what, const fs::path& path, int error) {
  return std::string(what) + " " + path.string() + ": " + std::strerror(error);
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

std::string temporaryPrefix(const fs::path& target) { return "." + target.filename().string() + "."; }

// mkstemp fills its six X's from letters and digits.
bool isTemporaryName(const std::string& name, const std::string& prefix) {
  if (name.size() != prefix.size() + 6 || !name.starts_with(prefix)) return false;
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    const char c = name[i];
    const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!letterOrDigit) return false;
  }
  return true;
}

}  // namespace

Result<void> canReplace(const fs::path& target) {
  struct stat info {};
  if (::lstat(target.c_str(), &info) != 0) {
    if (errno == ENOENT) return {};
    return Reason{failure("cannot look at", target, errno)};
  }
  if (S_ISREG(info.st_mode)) return {};
  const char* what = S_ISLNK(info.st_mode)   ? "a symbolic link"
                     : S_ISDIR(info.st_mode) ? "a folder"
                                             : "a device, pipe or socket, not a regular file";
  return Reason{target.string() + " is " + what + "; give the name of a new file or of a file to replace"};
}

int removeStaleTemporaries(const fs::path& target, std::chrono::seconds minimumAge) {
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const std::string prefix = temporaryPrefix(target);
  const std::time_t cutoff = std::time(nullptr) - static_cast<std::time_t>(minimumAge.count());
  int removed = 0;
  std::error_code error;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    const fs::path path = it->path();
    if (!isTemporaryName(path.filename().string(), prefix)) continue;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_mtime > cutoff) continue;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) continue;
    // A writer locks its temporary file for as long as it writes; a lock we
    // can take belongs to nobody alive.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(path.c_str()) == 0) ++removed;
    ::close(fd);
  }
  return removed;
}

Result<void> writeFileAtomically(const fs::path& target, std::string_view contents, Replace replace) {
  if (replace == Replace::onlyRegularFile) {
    if (Result<void> replaceable = canReplace(target); !replaceable) return replaceable;
  }
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::error_code error;
  fs::create_directories(dir, error);
  if (error) return Reason{"cannot create " + dir.string() + ": " + error.message()};

  std::string pattern = (dir / (temporaryPrefix(target) + "XXXXXX")).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return Reason{failure("cannot create a file in", dir, errno)};
  TemporaryFile temporary(pattern, fd);
  // Tells removeStaleTemporaries in another process that this file is alive.
  ::flock(fd, LOCK_EX | LOCK_NB);
  // mkstemp makes the file private; settings are the user's own, like any file.
  ::fchmod(fd, 0644);

  if (!writeAll(fd, contents)) return Reason{failure("cannot write", pattern, errno)};
  if (::fsync(fd) != 0) return Reason{failure("cannot sync", pattern, errno)};
  if (!temporary.close()) return Reason{failure("cannot close", pattern, errno)};
  // Checked again at the last moment: the thing at the path may have changed
  // while the bytes were being written.
  if (replace == Replace::onlyRegularFile) {
    if (Result<void> replaceable = canReplace(target); !replaceable) return replaceable;
  }
  if (::rename(pattern.c_str(), target.c_str()) != 0) return Reason{failure("cannot replace", target, errno)};
  temporary.keep();

  // The rename lives in the folder's entry list: sync it too, or a power cut
  // could bring back the old name.
  const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return {};
}

}  // namespace sorvel
