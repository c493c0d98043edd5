// Progress must survive the program dying at any moment: killed in the middle
// of a write, or interrupted with writes still pending.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "base/atomic_file.hpp"
#include "base/settings_store.hpp"
#include "base/signal_flush.hpp"
#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

using test::readFile;
using test::TempDir;

// Forks a child that runs `body` and never returns to the test runner.
template <typename Body>
pid_t spawn(Body body) {
  const pid_t pid = fork();
  if (pid == 0) {
    body();
    _exit(0);
  }
  return pid;
}

TEST(AtomicWrite, AKilledWriterLeavesTheOldFileOrTheNewOne) {
  TempDir dir;
  const auto file = dir / "settings.json";
  // Large values make each write take long enough to be caught half-way.
  const std::string filler(4 << 20, 'x');
  for (int round = 0; round < 16; ++round) {
    const pid_t child = spawn([&] {
      SettingsStore store({.file = file, .coalesce = std::chrono::milliseconds(0), .say = [](auto&) {}});
      for (std::int64_t n = 0;; ++n) {
        store.setString("record", std::to_string(n) + ":" + filler + ":" + std::to_string(n));
        store.flush();
      }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(40 + 13 * round));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    if (!std::filesystem::exists(file)) continue;  // killed before the first write landed
    const auto saved = nlohmann::json::parse(readFile(file), nullptr, false);
    ASSERT_FALSE(saved.is_discarded()) << "round " << round << ": the file is not whole";
    // The record starts and ends with the same number only if it is whole.
    const auto record = saved.at("record").get<std::string>();
    const std::string n = record.substr(0, record.find(':'));
    EXPECT_TRUE(record == n + ":" + filler + ":" + n) << "round " << round << ": a torn record";
  }
  // Whatever temporary files the killed writers left, none is held by a
  // writer any more: all of them go, and only the settings (and the lock
  // the games share them by) stay.
  removeStaleTemporaries(file, std::chrono::seconds(0));
  std::filesystem::path lock = file;
  lock += ".lock";
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_TRUE(entry.path() == file || entry.path() == lock) << entry.path();
  }
}

TEST(AtomicWrite, OnlyOldUnheldTemporariesOfOurOwnNamingAreRemovedAtStartUp) {
  TempDir dir;
  const auto file = dir / "settings.json";
  const auto make = [&](const std::string& name, bool old) {
    test::writeFile(dir / name, "{}");
    if (old) {
      const timeval hourAgo[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
      utimes((dir / name).c_str(), hourAgo);
    }
  };
  make(".settings.json.a1B2c3", true);   // left by a killed save
  make(".settings.json.HELD00", true);   // a live writer's, however old
  make(".settings.json.fresh1", false);  // may be being written right now
  make(".settings.json.bak", true);      // not a name our writes make
  make(".other.json.a1B2c3", true);      // another file's
  make("settings.json.a1B2c3", true);
  const int held = open((dir / ".settings.json.HELD00").c_str(), O_RDONLY);
  ASSERT_EQ(flock(held, LOCK_EX), 0);

  { SettingsStore store({.file = file, .say = [](auto&) {}}); }

  std::set<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    left.insert(entry.path().filename().string());
  }
  EXPECT_EQ(left, (std::set<std::string>{".settings.json.HELD00", ".settings.json.fresh1", ".settings.json.bak",
                                         ".other.json.a1B2c3", "settings.json.a1B2c3", "settings.json.lock"}));
  close(held);
}

TEST(AtomicWrite, FailuresAreReportedWithThePath) {
  TempDir dir;
  test::writeFile(dir / "blocker", "x");
  const Result<void> blocked = writeFileAtomically(dir / "blocker/settings.json", "{}");
  EXPECT_FALSE(blocked);
  EXPECT_NE(blocked.why().find("blocker"), std::string::npos) << blocked.why();
  const Result<void> written = writeFileAtomically(dir / "a/b/settings.json", "{}");
  EXPECT_TRUE(written) << written.why();
  EXPECT_EQ(readFile(dir / "a/b/settings.json"), "{}");
}

TEST(AtomicWrite, AnInterruptFlushesPendingWritesFirst) {
  for (int signal : {SIGTERM, SIGINT}) {
    TempDir dir;
    const auto file = dir / "settings.json";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = spawn([&] {
      SignalFlush::blockInThisThread();
      // A long coalescing window: only the interrupt's flush can write in time.
      SettingsStore store({.file = file, .coalesce = std::chrono::hours(1), .say = [](auto&) {}});
      SignalFlush flush([&store](int) { store.flush(); });
      store.setString("sorvel.state.a", "2210");
      const char byte = 1;
      (void)!write(ready[1], &byte, 1);
      for (;;) pause();
    });
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    EXPECT_FALSE(std::filesystem::exists(file)) << "the write was not held back";
    kill(child, SIGUSR2);  // a stray signal must not stop the listening
    kill(child, signal);
    int status = 0;
    waitpid(child, &status, 0);
    close(ready[0]);
    close(ready[1]);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), signal);
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(nlohmann::json::parse(readFile(file)).at("sorvel.state.a"), "2210");
  }
}

}  // namespace
}  // namespace sorvel
