#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace sorvel {

// Turns SIGINT and SIGTERM into a call of `onSignal` on a thread of its own,
// then ends the process by that signal as it would have ended anyway. Used to
// flush pending progress before an interrupt takes the program down.
//
// Call blockInThisThread() first in main(), before any other thread exists:
// threads inherit the blocked signals, so only the waiter ever receives them.
class SignalFlush {
 public:
  static void blockInThisThread();
  explicit SignalFlush(std::function<void(int signal)> onSignal);
  ~SignalFlush();
  SignalFlush(const SignalFlush&) = delete;
  SignalFlush& operator=(const SignalFlush&) = delete;

 private:
  // Set before the private wake-up, so a SIGUSR2 from outside is not taken
  // for a request to stop listening.
  std::shared_ptr<std::atomic<bool>> stopping_ = std::make_shared<std::atomic<bool>>(false);
  std::thread waiter_;
};

}  // namespace sorvel
