// The encoder as an outside process: found, started with a clean signal
// state, fed through a pipe, and reported on when it fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "capture/encoder_process.hpp"
#include "support/processes.hpp"
#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

using ::testing::HasSubstr;

void writeScript(const std::filesystem::path& path, const std::string& body) {
  test::writeFile(path, "#!/bin/sh\n" + body + "\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

TEST(EncoderLocate, FindsTheEncoderOnTheSearchPathOrWhereItWasPointedAndSaysWhatIsMissing) {
  test::TempDir dir;
  writeScript(dir / "bin/ffmpeg", "exit 0");
  test::writeFile(dir / "other/ffmpeg", "not executable");
  const std::string path = (dir / "other").string() + "::" + (dir / "bin").string();
  EXPECT_EQ(*encoder::locate(nullptr, path.c_str()), (dir / "bin/ffmpeg").string());

  const Result<std::string> none = encoder::locate(nullptr, (dir / "other").string().c_str());
  ASSERT_FALSE(none.ok());
  EXPECT_THAT(none.why(), HasSubstr("cannot find the video encoder \"ffmpeg\" on PATH"));
  EXPECT_THAT(none.why(), HasSubstr("apt install ffmpeg"));
  EXPECT_THAT(none.why(), HasSubstr("SORVEL_FFMPEG"));

  const std::string pointed = (dir / "other/ffmpeg").string();
  EXPECT_THAT(encoder::locate(pointed.c_str(), path.c_str()).why(),
              HasSubstr(pointed + " (from SORVEL_FFMPEG) is not an executable file"));
  EXPECT_THAT(encoder::locate(dir.path().c_str(), path.c_str()).why(), HasSubstr("is not an executable file"));
  EXPECT_THAT(encoder::locate("", path.c_str()).why(), HasSubstr("SORVEL_FFMPEG is set but empty"));
  // A bare name is looked up on the path like any command.
  EXPECT_EQ(*encoder::locate("ffmpeg", path.c_str()), (dir / "bin/ffmpeg").string());
}

TEST(EncoderArguments, AskForRawBgraAtSixtyAFrameAndH264WithTheOutputLastAsAFile) {
  const std::string here = std::filesystem::current_path().string();
  EXPECT_THAT(encoder::arguments(1920, 1080, "out dir/film.mp4"),
              ::testing::ElementsAre("-y", "-loglevel", "error", "-f", "rawvideo", "-pix_fmt", "bgra", "-s",
                                     "1920x1080", "-r", "60", "-i", "-", "-c:v", "libx264", "-preset", "slow",
                                     "-crf", "19", "-pix_fmt", "yuv420p", "-movflags", "+faststart",
                                     "file:" + here + "/out dir/film.mp4"));
  // Neither an option nor a URL, though the encoder would read them as such.
  EXPECT_EQ(encoder::arguments(2, 2, "-film.mp4").back(), "file:" + here + "/-film.mp4");
  EXPECT_EQ(encoder::arguments(2, 2, "tcp://127.0.0.1:9/f.mp4").back(), "file:" + here + "/tcp://127.0.0.1:9/f.mp4");
  EXPECT_EQ(encoder::arguments(2, 2, "/films/a.mp4").back(), "file:/films/a.mp4");
}

TEST(EncoderProcess, TakesEveryByteAndReportsItsStatusAndLastErrorLines) {
  test::TempDir dir;
  const std::string received = (dir / "received").string();
  auto started = EncoderProcess::start(
      "/bin/sh", {"-c", "cat > \"$0\"; for n in 1 2 3 4 5 6 7 8 9 10; do echo line $n >&2; done; exit 3", received});
  ASSERT_TRUE(started) << started.why();
  std::vector<std::uint8_t> frame(1 << 20);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint8_t>(i * 7);
  for (int n = 0; n < 5; ++n) ASSERT_TRUE((*started)->write(frame));
  const EncoderProcess::Exit exit = (*started)->finish();
  EXPECT_FALSE(exit.success);
  EXPECT_EQ(exit.status, "exited with status 3");
  EXPECT_EQ(exit.errorTail, "line 3\nline 4\nline 5\nline 6\nline 7\nline 8\nline 9\nline 10");
  const std::string bytes = test::readFile(received);
  ASSERT_EQ(bytes.size(), 5u << 20);
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[(4u << 20) + 3]), static_cast<std::uint8_t>(3 * 7));
}

TEST(EncoderProcess, AnEncoderThatStopsReadingFailsTheWriteWithoutASignal) {
  // Were SIGPIPE raised, this test process would die here.
  auto started = EncoderProcess::start("/bin/sh", {"-c", "exit 0"});
  ASSERT_TRUE(started) << started.why();
  const std::vector<std::uint8_t> frame(1 << 20, 1);
  bool written = true;
  for (int n = 0; n < 50 && written; ++n) written = (*started)->write(frame);
  EXPECT_FALSE(written);
  EXPECT_TRUE((*started)->finish().success);

  auto killed = EncoderProcess::start("/bin/sh", {"-c", "kill -9 $$"});
  ASSERT_TRUE(killed);
  EXPECT_THAT((*killed)->finish().status, HasSubstr("was killed by signal 9"));
}

TEST(EncoderProcess, StartsWithNoSignalBlockedOrIgnoredWhateverTheGameBlocks) {
  test::TempDir dir;
  sigset_t interrupts;
  sigemptyset(&interrupts);
  sigaddset(&interrupts, SIGINT);
  sigaddset(&interrupts, SIGTERM);
  sigset_t previous;
  ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &interrupts, &previous), 0);
  const auto oldPipe = signal(SIGPIPE, SIG_IGN);
  auto started = EncoderProcess::start(
      "/bin/sh", {"-c", "exec grep -E '^Sig(Blk|Ign)' /proc/self/status > \"$0\"", (dir / "status").string()});
  signal(SIGPIPE, oldPipe);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  ASSERT_TRUE(started) << started.why();
  EXPECT_TRUE((*started)->finish().success);
  // Each line holds a mask in hex, bit n - 1 for signal n.
  const std::string status = test::readFile(dir / "status");
  ASSERT_THAT(status, ::testing::MatchesRegex("SigBlk:\t[0-9a-f]+\nSigIgn:\t[0-9a-f]+\n"));
  const unsigned long long blocked = std::stoull(status.substr(8, 16), nullptr, 16);
  const unsigned long long ignored = std::stoull(status.substr(33, 16), nullptr, 16);
  EXPECT_EQ(blocked, 0u);
  for (int signal : {SIGINT, SIGTERM, SIGPIPE}) EXPECT_EQ(ignored & (1ull << (signal - 1)), 0u) << signal;
}

using test::endsSoon;
using test::pidIn;
using test::running;

// Kills the processes whose ids stand in `files` if the test is still
// waiting on them after `limit`: a hang fails the test instead of stopping it.
class Watchdog {
 public:
  Watchdog(std::vector<std::filesystem::path> files, std::chrono::seconds limit)
      : thread_([this, files = std::move(files), limit] {
          std::unique_lock lock(mutex_);
          if (done_.wait_for(lock, limit, [this] { return over_; })) return;
          for (const auto& file : files) {
            if (const pid_t pid = pidIn(file); pid > 0) ::kill(pid, SIGKILL);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      over_ = true;
    }
    done_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool over_ = false;
  std::thread thread_;
};

using Clock = std::chrono::steady_clock;
constexpr EncoderTimeouts kShortTimeouts{std::chrono::milliseconds(300), std::chrono::milliseconds(300)};

// A shell standing in for the encoder: it notes its own id in `parent`, then
// runs `body`, which starts a child of its own and notes its id in "$1"
// (`child`), as a wrapper script would. Watched, so a hang fails the test.
struct EncoderFamily {
  explicit EncoderFamily(const std::string& body, EncoderTimeouts timeouts = {})
      : started(EncoderProcess::start("/bin/sh", {"-c", "echo $$ > \"$0\"; " + body, parent.string(), child.string()},
                                      timeouts)) {
    if (!started) return;
    parentPid = pidIn(parent);
    childPid = pidIn(child);
  }

  test::TempDir dir;
  std::filesystem::path parent = dir / "parent";
  std::filesystem::path child = dir / "child";
  Watchdog watchdog{{parent, child}, std::chrono::seconds(10)};
  Clock::time_point start = Clock::now();
  Result<std::unique_ptr<EncoderProcess>> started;
  pid_t parentPid = -1;
  pid_t childPid = -1;
};

TEST(EncoderProcess, AnEncoderThatStopsReadingOrNeverExitsIsKilledWithWhatItStartedAfterItsTimeout) {
  struct Case {
    const char* body;
    bool writesAll;
    const char* status;
  };
  // Each leaves a child of its own running, as a wrapper script would.
  const Case cases[] = {
      {"sleep 30 & echo $! > \"$1\"; wait", false, "took no input for 0.3 s and was killed"},
      {"sleep 30 & echo $! > \"$1\"; cat > /dev/null; wait", true,
       "did not exit within 0.3 s of the end of its input and was killed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    EncoderFamily family(c.body, kShortTimeouts);
    ASSERT_TRUE(family.started) << family.started.why();
    ASSERT_GT(family.parentPid, 0);
    ASSERT_GT(family.childPid, 0);
    const std::vector<std::uint8_t> frame(1 << 20, 1);
    bool written = true;
    for (int n = 0; n < 5 && written; ++n) written = (*family.started)->write(frame);
    EXPECT_EQ(written, c.writesAll);
    const EncoderProcess::Exit exit = (*family.started)->finish();
    EXPECT_LT(Clock::now() - family.start, std::chrono::seconds(5));
    EXPECT_FALSE(exit.success);
    EXPECT_EQ(exit.status, c.status);
    EXPECT_FALSE(running(family.parentPid));
    EXPECT_TRUE(endsSoon(family.childPid));
  }
}

TEST(EncoderProcess, AnEncoderKilledFromAnotherThreadTakesWhatItStartedWithIt) {
  EncoderFamily family("sleep 30 & echo $! > \"$1\"; cat > /dev/null; wait");
  ASSERT_TRUE(family.started) << family.started.why();
  ASSERT_GT(family.childPid, 0);
  EncoderProcess& encoder = **family.started;
  std::thread writer([&encoder] {
    const std::vector<std::uint8_t> frame(1 << 16, 1);
    // Bounded: a reader that outlives the kill would take frames for ever.
    const Clock::time_point end = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < end && encoder.write(frame)) {
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  encoder.kill();
  EXPECT_FALSE(running(family.parentPid));
  EXPECT_TRUE(endsSoon(family.childPid));
  writer.join();
  EXPECT_LT(Clock::now() - family.start, std::chrono::seconds(3));
  EXPECT_THAT(encoder.finish().status, HasSubstr("was killed by signal 9"));
}

TEST(EncoderProcess, AChildLeftBehindByAnEncoderThatExitedDoesNotHoldUpItsEnd) {
  struct Case {
    const char* body;
    const char* errorTail;  // nullptr: not checked
  };
  // Holding its error output open, or even writing to it all along.
  const Case cases[] = {
      {"sleep 30 & echo $! > \"$1\"; cat > /dev/null; echo done >&2", "done"},
      {"while :; do echo x >&2; sleep 0.01; done & echo $! > \"$1\"; cat > /dev/null", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    EncoderFamily family(c.body);
    ASSERT_TRUE(family.started) << family.started.why();
    ASSERT_GT(family.childPid, 0);
    const EncoderProcess::Exit exit = (*family.started)->finish();
    EXPECT_LT(Clock::now() - family.start, std::chrono::seconds(3));
    EXPECT_TRUE(exit.success);
    if (c.errorTail != nullptr) {
      EXPECT_EQ(exit.errorTail, c.errorTail);
    }
    ::kill(family.childPid, SIGKILL);
  }
}

TEST(EncoderProcess, AProgramThatCannotBeStartedIsReported) {
  auto started = EncoderProcess::start("/no/such/encoder", {});
  EXPECT_FALSE(started);
  EXPECT_THAT(started.why(), HasSubstr("cannot start the video encoder /no/such/encoder"));
}

}  // namespace
}  // namespace sorvel
