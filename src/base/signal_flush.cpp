#include "base/signal_flush.hpp"

#include <pthread.h>
#include <signal.h>

namespace sorvel {

namespace {

sigset_t handledSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);  // the terminal or the session closing
  sigaddset(&set, SIGUSR2);  // private wake-up used to stop the waiter
  return set;
}

}  // namespace

void SignalFlush::blockInThisThread() {
  const sigset_t set = handledSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

SignalFlush::SignalFlush(std::function<void(int)> onSignal) {
  blockInThisThread();
  const sigset_t set = handledSignals();
  waiter_ = std::thread([set, onSignal = std::move(onSignal), stopping = stopping_] {
    int received = 0;
    for (;;) {
      if (sigwait(&set, &received) != 0) continue;
      if (received != SIGUSR2) break;
      if (*stopping) return;
    }
    onSignal(received);
    // Die of the signal itself, so the parent sees the usual status.
    signal(received, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, received);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(received);
  });
}

SignalFlush::~SignalFlush() {
  *stopping_ = true;
  pthread_kill(waiter_.native_handle(), SIGUSR2);
  waiter_.join();
}

}  // namespace sorvel
