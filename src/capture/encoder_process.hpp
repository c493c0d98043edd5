#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "base/result.hpp"

namespace sorvel {

// The video encoder the film pipes its frames into: an outside program with
// a pipe on its standard input, its error output kept for the report when it
// fails.
namespace encoder {

// The program asked for: $SORVEL_FFMPEG when set, else "ffmpeg".
inline constexpr const char* kOverride = "SORVEL_FFMPEG";

// Finds the encoder's executable before any work is done: `asked` (a path,
// or a name looked up in `searchPath` as a shell would), else "ffmpeg" on
// `searchPath`; or why there is none.
Result<std::string> locate(const char* asked, const char* searchPath);

// The command line after the program's own name: raw BGRA frames of
// width x height at 60 a second on standard input, H.264 in `output` (given
// as "file:" and its absolute path, so the encoder reads no URL or option in
// it).
std::vector<std::string> arguments(int width, int height, const std::string& output);

}  // namespace encoder

// How long the encoder may keep the film waiting before it is killed: a
// write that makes no progress, and the exit once its input has ended (on
// top of as long again as the encoder has run, for the frames a slow preset
// holds back). Generous, for a slow encoder on a slow machine.
struct EncoderTimeouts {
  std::chrono::milliseconds write{30000};
  std::chrono::milliseconds exit{30000};
};

class EncoderProcess {
 public:
  // Starts `program` with `arguments`, its standard input a pipe from us. The
  // child gets an empty signal mask and the default handling of interrupts,
  // even though the game's threads block them, and a process group of its
  // own, so that kill() reaches whatever it started too.
  static Result<std::unique_ptr<EncoderProcess>> start(const std::string& program,
                                                      const std::vector<std::string>& arguments,
                                                      EncoderTimeouts timeouts = {});

  EncoderProcess(const EncoderProcess&) = delete;
  EncoderProcess& operator=(const EncoderProcess&) = delete;
  // Closes the pipe and waits for the program, if finish() was not called.
  ~EncoderProcess();

  // Writes all of `bytes` (blocking while the pipe is full). False once the
  // program stopped reading: it exited, closed its input, or took nothing
  // for the write timeout. Never raises SIGPIPE in this process.
  bool write(std::span<const std::uint8_t> bytes);

  struct Exit {
    bool success = false;
    // "exited with status 1", "was killed by signal 9", "took no input for
    // 30 s and was killed"
    std::string status;
    // The last lines it wrote on its error output.
    std::string errorTail;
  };
  // Ends its input and waits for it to exit; kills it when it took no input
  // for the write timeout, or does not exit within the exit timeout.
  Exit finish();

  // From any thread, while write() or finish() may be running on another:
  // kills the program and everything in its process group, and waits for
  // the program.
  void kill();

 private:
  explicit EncoderProcess(EncoderTimeouts timeouts) : timeouts_(timeouts), started_(std::chrono::steady_clock::now()) {}
  void collectErrors(int fd);
  // Under processMutex_.
  bool reapIfEnded();
  void killAndReap();

  EncoderTimeouts timeouts_;
  std::chrono::steady_clock::time_point started_;
  int input_ = -1;
  std::atomic<bool> stalled_ = false;
  std::thread errorReader_;
  std::mutex errorMutex_;
  std::string errors_;
  bool finished_ = false;
  Exit exit_;

  std::mutex processMutex_;
  pid_t pid_ = -1;
  bool reaped_ = false;
  int waitStatus_ = 0;
  int waitError_ = 0;
  // Reaped: the error reader stops once nothing more is waiting.
  std::atomic<bool> ended_ = false;
};

}  // namespace sorvel
