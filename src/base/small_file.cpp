#include "base/small_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sorvel {

namespace {

struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

SmallFile unreadable(int error) { return {.status = SmallFile::Status::unreadable, .reason = std::strerror(error)}; }

}  // namespace

SmallFile readSmallFile(const std::filesystem::path& file, std::uintmax_t maxBytes) {
  // Without blocking: opening a FIFO waits for a writer that never comes.
  const Descriptor in{::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
  // Nothing there, or a file where a folder of its path should be.
  if (in.fd < 0) return errno == ENOENT || errno == ENOTDIR ? SmallFile{} : unreadable(errno);
  struct stat info {};
  if (::fstat(in.fd, &info) != 0) return unreadable(errno);
  if (!S_ISREG(info.st_mode)) return {.status = SmallFile::Status::notRegular};
  const auto claimed = static_cast<std::uintmax_t>(info.st_size);
  if (claimed > maxBytes) return {.status = SmallFile::Status::tooLarge, .size = claimed};

  SmallFile read{.status = SmallFile::Status::read};
  read.text.reserve(static_cast<std::size_t>(claimed));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(in.fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return unreadable(errno);
    if (n == 0) break;
    read.text.append(buffer, static_cast<std::size_t>(n));
    // It grew since it was looked at.
    if (read.text.size() > maxBytes) return {.status = SmallFile::Status::tooLarge, .size = read.text.size()};
  }
  return read;
}

}  // namespace sorvel
