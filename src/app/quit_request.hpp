#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace sorvel {

// Lets an interrupt, which arrives on a thread of its own, end the game the
// way closing the window does: the draw loop sees the request, saves on the
// main thread (the game is not thread-safe) and says when it is done, while
// the interrupted thread waits a bounded time so the process still ends
// promptly if the loop is stuck.
class QuitRequest {
 public:
  // From any thread. Rouses the loop, which may be waiting for events (or
  // stops the film). False when nothing is listening (a still, or the loop
  // has ended), so the caller need not wait.
  bool request() {
    asked_ = true;
    std::function<void()> wake;
    {
      std::lock_guard lock(mutex_);
      if (done_) return false;
      wake = wake_;
    }
    if (wake) wake();
    return static_cast<bool>(wake);
  }
  bool asked() const { return asked_; }

  // The loop, once everything is saved, or when it never started.
  void done() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    changed_.notify_all();
  }
  // The interrupted thread: true if the loop finished within `limit`.
  bool waitUntilDone(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return done_; });
  }

  // Set by the loop when it starts listening.
  void setWake(std::function<void()> wake) {
    std::lock_guard lock(mutex_);
    wake_ = std::move(wake);
  }

 private:
  std::atomic<bool> asked_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool done_ = false;
  std::function<void()> wake_;
};

}  // namespace sorvel
