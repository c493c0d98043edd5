#include "base/atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

}  // namespace

std::string writeFileAtomically(const fs::path& target, std::string_view contents) {
  const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::error_code error;
  fs::create_directories(dir, error);
  if (error) return "cannot create " + dir.string() + ": " + error.message();

  std::string pattern = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return failure("cannot create a file in", dir, errno);
  TemporaryFile temporary(pattern, fd);
  // mkstemp makes the file private; settings are the user's own, like any file.
  ::fchmod(fd, 0644);

  if (!writeAll(fd, contents)) return failure("cannot write", pattern, errno);
  if (::fsync(fd) != 0) return failure("cannot sync", pattern, errno);
  if (!temporary.close()) return failure("cannot close", pattern, errno);
  if (::rename(pattern.c_str(), target.c_str()) != 0) return failure("cannot replace", target, errno);
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
