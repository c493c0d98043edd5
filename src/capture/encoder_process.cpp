#include "capture/encoder_process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <sstream>

extern char** environ;

namespace sorvel {
namespace encoder {
namespace {

bool isExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

Result<std::string> locate(const char* asked, const char* searchPath) {
  if (asked != nullptr && *asked == '\0') {
    return Reason{std::string(kOverride) + " is set but empty: unset it to use ffmpeg from PATH, or set it to the encoder"};
  }
  const std::string name = asked != nullptr ? asked : "ffmpeg";
  const std::string origin = asked != nullptr ? std::string(" (from ") + kOverride + ")" : "";
  if (name.find('/') != std::string::npos) {
    if (isExecutableFile(name)) return name;
    return Reason{"the video encoder " + name + origin + " is not an executable file"};
  }
  const std::string folders = searchPath != nullptr ? searchPath : "";
  std::size_t from = 0;
  while (from <= folders.size()) {
    const std::size_t colon = std::min(folders.find(':', from), folders.size());
    const std::string folder = folders.substr(from, colon - from);
    // An empty entry means the current folder, as for the shell.
    const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
    if (isExecutableFile(candidate)) return candidate;
    from = colon + 1;
  }
  return Reason{"cannot find the video encoder \"" + name + "\"" + origin +
                " on PATH; install ffmpeg (on Debian: apt install ffmpeg) or set " + kOverride + " to its path"};
}

std::vector<std::string> arguments(int width, int height, const std::string& output) {
  return {"-y",       "-loglevel", "error",   "-f",
          "rawvideo", "-pix_fmt",  "bgra",    "-s",
          std::to_string(width) + "x" + std::to_string(height),
          "-r",       "60",        "-i",      "-",
          "-c:v",     "libx264",   "-preset", "slow",
          "-crf",     "19",        "-pix_fmt", "yuv420p",
          "-movflags", "+faststart",
          // As a plain name the encoder would take "tcp://..." for a URL and
          // a leading "-" for an option of its own.
          "file:" + std::filesystem::absolute(output).string()};
}

}  // namespace encoder

namespace {

// How much of the encoder's error output is kept for the report.
constexpr std::size_t kErrorBytesKept = 8192;
constexpr int kErrorLinesShown = 8;

std::string lastLines(const std::string& text, int count) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  std::string tail;
  const std::size_t first = lines.size() > static_cast<std::size_t>(count) ? lines.size() - count : 0;
  for (std::size_t i = first; i < lines.size(); ++i) tail += (tail.empty() ? "" : "\n") + lines[i];
  return tail;
}

std::string describe(int status) {
  if (WIFEXITED(status)) return "exited with status " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) {
    const char* name = sigdescr_np(WTERMSIG(status));
    return "was killed by signal " + std::to_string(WTERMSIG(status)) + (name ? std::string(" (") + name + ")" : "");
  }
  return "ended with wait status " + std::to_string(status);
}

std::string seconds(std::chrono::milliseconds span) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", static_cast<double>(span.count()) / 1000.0);
  return text;
}

void closeBoth(int fds[2]) {
  ::close(fds[0]);
  ::close(fds[1]);
}

}  // namespace

Result<std::unique_ptr<EncoderProcess>> EncoderProcess::start(const std::string& program,
                                                              const std::vector<std::string>& arguments,
                                                              EncoderTimeouts timeouts) {
  int input[2];
  int errors[2];
  if (::pipe2(input, O_CLOEXEC) != 0) return Reason{std::string("cannot make a pipe: ") + std::strerror(errno)};
  if (::pipe2(errors, O_CLOEXEC) != 0) {
    const int error = errno;
    closeBoth(input);
    return Reason{std::string("cannot make a pipe: ") + std::strerror(error)};
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) sigaddset(&defaults, signal);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(input[0]);
  ::close(errors[1]);
  if (spawned != 0) {
    ::close(input[1]);
    ::close(errors[0]);
    return Reason{"cannot start the video encoder " + program + ": " + std::strerror(spawned)};
  }

  // Our end only: a full pipe must not block a write past its timeout.
  ::fcntl(input[1], F_SETFL, ::fcntl(input[1], F_GETFL) | O_NONBLOCK);
  std::unique_ptr<EncoderProcess> process(new EncoderProcess(timeouts));
  process->pid_ = pid;
  process->input_ = input[1];
  process->errorReader_ = std::thread([raw = process.get(), fd = errors[0]] { raw->collectErrors(fd); });
  return process;
}

EncoderProcess::~EncoderProcess() {
  if (!finished_) finish();
}

void EncoderProcess::collectErrors(int fd) {
  char buffer[4096];
  std::optional<std::chrono::steady_clock::time_point> giveUpAt;
  for (;;) {
    // Something the encoder started may hold its error output open after it
    // has gone, even keep writing to it; what is left a moment after its
    // exit is not waited for.
    if (ended_) {
      const auto now = std::chrono::steady_clock::now();
      if (!giveUpAt) giveUpAt = now + std::chrono::seconds(1);
      if (now >= *giveUpAt) break;
    }
    pollfd readable{fd, POLLIN, 0};
    const int ready = ::poll(&readable, 1, 50);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) break;
    if (ready == 0) {
      if (ended_) break;
      continue;
    }
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    std::lock_guard lock(errorMutex_);
    errors_.append(buffer, static_cast<std::size_t>(n));
    if (errors_.size() > kErrorBytesKept) errors_.erase(0, errors_.size() - kErrorBytesKept);
  }
  ::close(fd);
}

bool EncoderProcess::write(std::span<const std::uint8_t> bytes) {
  if (input_ < 0) return false;
  // A write into a pipe nobody reads raises SIGPIPE, which would end the
  // whole game without a word. Held back in this thread, the write fails
  // with EPIPE instead, and the signal it left pending is taken away.
  sigset_t pipeSignal;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  sigset_t previous;
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
  bool written = true;
  std::size_t done = 0;
  auto lastProgress = std::chrono::steady_clock::now();
  while (done < bytes.size()) {
    const ssize_t n = ::write(input_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      lastProgress = std::chrono::steady_clock::now();
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      const auto waited = std::chrono::steady_clock::now() - lastProgress;
      if (waited >= timeouts_.write) {
        stalled_ = true;
        written = false;
        break;
      }
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(timeouts_.write - waited);
      pollfd room{input_, POLLOUT, 0};
      ::poll(&room, 1, static_cast<int>(std::min<std::chrono::milliseconds::rep>(left.count(), 60000)));
      continue;
    }
    written = false;
    break;
  }
  if (!written) {
    const timespec noWait{0, 0};
    while (sigtimedwait(&pipeSignal, nullptr, &noWait) > 0) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return written;
}

bool EncoderProcess::reapIfEnded() {
  if (reaped_) return true;
  int status = 0;
  pid_t waited = -1;
  do {
    waited = ::waitpid(pid_, &status, WNOHANG);
  } while (waited < 0 && errno == EINTR);
  if (waited == 0) return false;
  reaped_ = true;
  waitStatus_ = status;
  waitError_ = waited < 0 ? errno : 0;
  ended_ = true;
  return true;
}

void EncoderProcess::killAndReap() {
  if (reaped_) return;
  // The whole group, so that a wrapper's own children go too; the group
  // cannot be another's while its leader is not yet reaped.
  ::kill(-pid_, SIGKILL);
  int status = 0;
  pid_t waited = -1;
  do {
    waited = ::waitpid(pid_, &status, 0);
  } while (waited < 0 && errno == EINTR);
  reaped_ = true;
  waitStatus_ = status;
  waitError_ = waited < 0 ? errno : 0;
  ended_ = true;
}

void EncoderProcess::kill() {
  std::lock_guard lock(processMutex_);
  killAndReap();
}

EncoderProcess::Exit EncoderProcess::finish() {
  if (finished_) return exit_;
  finished_ = true;
  if (input_ >= 0) ::close(input_);
  input_ = -1;
  std::string killedFor;
  // A slow preset holds frames back and rewrites the file at the end, work
  // that grows with the film: as long again as the film took so far is
  // allowed on top, so only an encoder that truly hangs is killed.
  const auto now = std::chrono::steady_clock::now();
  const auto deadline = now + timeouts_.exit + (now - started_);
  for (;;) {
    {
      std::lock_guard lock(processMutex_);
      if (reapIfEnded()) break;
      // Stalled, it would not read to the end of its input either.
      if (stalled_ || std::chrono::steady_clock::now() >= deadline) {
        killedFor = stalled_ ? "took no input for " + seconds(timeouts_.write)
                             : "did not exit within " + seconds(timeouts_.exit) + " of the end of its input";
        killAndReap();
        break;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (errorReader_.joinable()) errorReader_.join();
  std::lock_guard processLock(processMutex_);
  const int status = waitStatus_;
  exit_.success = killedFor.empty() && waitError_ == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!killedFor.empty()) {
    exit_.status = killedFor + " and was killed";
  } else if (waitError_ != 0) {
    exit_.status = std::string("could not be waited for: ") + std::strerror(waitError_);
  } else {
    exit_.status = describe(status);
  }
  std::lock_guard lock(errorMutex_);
  exit_.errorTail = lastLines(errors_, kErrorLinesShown);
  return exit_;
}

}  // namespace sorvel
