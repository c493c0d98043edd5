// The film end to end: the executable renders the whole sequence, pipes it
// into the encoder and writes the sound track, as `sorvel --film` does for a
// player; and each way the encoder or the paths can fail is reported.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "support/processes.hpp"
#include "support/run_sorvel.hpp"
#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;

const fs::path kShippedResources = SORVEL_RESOURCES_DIR;

// The frames the film must have, worked out from the chapter's files: the
// fixed steps, and for each of blocks 1 to 3 one hold per surplus cube.
std::int64_t expectedFrames(const fs::path& resources) {
  const auto chapter = nlohmann::json::parse(test::readFile(resources / "puzzles/chapter.json"));
  const double paces[3][2] = {{0.16, 0.11}, {0.12, 0.075}, {0.12, 0.075}};
  std::int64_t frames = 1927;
  for (int block = 1; block <= 3; ++block) {
    const std::string id = chapter.at("puzzles").at(block);
    const std::string solution =
        nlohmann::json::parse(test::readFile(resources / "puzzles" / (id + ".json"))).at("solution");
    const auto surplus = std::count(solution.begin(), solution.end(), '0');
    const double m = std::max<double>(static_cast<double>(surplus), 1);
    const auto [a, b] = paces[block - 1];
    for (int i = 1; i <= surplus; ++i) frames += std::llround(60 * (a - b * std::min(i / m, 1.0)));
  }
  return frames;
}

std::uint32_t little32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}
std::uint16_t little16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::string commandOutput(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
  }
  return out;
}

class Film : public ::testing::Test {
 protected:
  void TearDown() override { unsetenv("SORVEL_FFMPEG"); }

  // An encoder of our own, put where the game looks first. $OUT is the file
  // it is asked to write.
  void useEncoder(const std::string& body) {
    const fs::path script = dir / "encoder/ffmpeg";
    test::writeFile(script,
                    "#!/bin/sh\nD=\"$(dirname \"$0\")\"\nfor a in \"$@\"; do OUT=\"$a\"; done\nOUT=\"${OUT#file:}\"\n" +
                        body + "\n");
    fs::permissions(script, fs::perms::owner_all);
    setenv("SORVEL_FFMPEG", script.c_str(), 1);
  }

  test::SorvelRun film(const std::string& args, const fs::path& resources = test::fixtureResources(),
                       const fs::path& folder = {}) {
    return test::runSorvel(SORVEL_EXECUTABLE, args, dir, resources, folder);
  }

  // Temporaries the film left in its folder.
  std::vector<std::string> partials() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
      if (entry.path().filename().string().find(".partial-") != std::string::npos) {
        found.push_back(entry.path().filename().string());
      }
    }
    return found;
  }

  test::TempDir dir;
};

TEST_F(Film, TheWholeFilmReachesTheEncoderWithItsSoundTrackBeside) {
  // The real encoder, behind a script that keeps its arguments and counts
  // every byte it is handed.
  useEncoder(
      "printf '%s\\n' \"$@\" > \"$D/args\"\n"
      "mkfifo \"$D/tap\"\n"
      "wc -c < \"$D/tap\" > \"$D/bytes\" &\n"
      "tee \"$D/tap\" | ffmpeg \"$@\"\n"
      "status=$?\n"
      "wait\n"
      "exit $status");
  const fs::path video = dir / "la costa.mp4";
  const auto run = film("--film '" + video.string() + "' --size 192x108", kShippedResources);
  ASSERT_EQ(run.status, 0) << run.err;

  const std::int64_t frames = expectedFrames(kShippedResources);
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", static_cast<double>(frames) / 60.0);
  EXPECT_EQ(run.out, "Audio: " + video.string() + ".wav\nVídeo: " + video.string() + " · " +
                         std::to_string(frames) + " frames (" + seconds + " s)\n");
  // Nothing on standard error when it is not a terminal: no progress line.
  EXPECT_EQ(run.err, "");

  const std::string args = test::readFile(dir / "encoder/args");
  const std::string options =
      "-y\n-loglevel\nerror\n-f\nrawvideo\n-pix_fmt\nbgra\n-s\n192x108\n-r\n60\n-i\n-\n-c:v\nlibx264\n"
      "-preset\nslow\n-crf\n19\n-pix_fmt\nyuv420p\n-movflags\n+faststart\n";
  EXPECT_EQ(args.substr(0, options.size()), options);
  // Made beside its place, under a name of its own that takes the place once
  // the film is whole.
  EXPECT_THAT(args.substr(options.size()), ::testing::StartsWith("file:" + (dir / ".la costa.mp4.partial-").string()));
  EXPECT_THAT(args, ::testing::EndsWith(".mp4\n"));
  EXPECT_EQ(partials(), std::vector<std::string>{});
  EXPECT_EQ(std::stoll(test::readFile(dir / "encoder/bytes")), frames * 192 * 108 * 4);
  EXPECT_EQ(commandOutput("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                          "stream=width,height,r_frame_rate,nb_read_frames -of csv=p=0 '" +
                          video.string() + "'"),
            "192,108,60/1," + std::to_string(frames) + "\n");

  const std::string wav = test::readFile(video.string() + ".wav");
  const auto samples = static_cast<std::uint32_t>(static_cast<double>(frames) / 60.0 * 44100.0);
  ASSERT_EQ(wav.size(), 44 + 2 * std::size_t{samples});
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(little32(wav, 4), 36 + 2 * samples);
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(little32(wav, 16), 16u);
  EXPECT_EQ(little16(wav, 20), 1);  // PCM
  EXPECT_EQ(little16(wav, 22), 1);  // mono
  EXPECT_EQ(little32(wav, 24), 44100u);
  EXPECT_EQ(little32(wav, 28), 88200u);
  EXPECT_EQ(little16(wav, 32), 2);
  EXPECT_EQ(little16(wav, 34), 16);
  EXPECT_EQ(wav.substr(36, 4), "data");
  EXPECT_EQ(little32(wav, 40), 2 * samples);
  int loudest = 0;
  for (std::size_t at = 44; at < wav.size(); at += 2) {
    loudest = std::max(loudest, std::abs(static_cast<std::int16_t>(little16(wav, at))));
  }
  EXPECT_GT(loudest, 3000) << "the carving and reveals are heard";
}

TEST_F(Film, AMissingEncoderIsNamedBeforeAnyWork) {
  setenv("SORVEL_FFMPEG", (dir / "no/ffmpeg").c_str(), 1);
  const auto run = film("--film '" + (dir / "a.mp4").string() + "' --size 64x36");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("no film: the video encoder " + (dir / "no/ffmpeg").string() +
                                 " (from SORVEL_FFMPEG) is not an executable file"));
  EXPECT_FALSE(fs::exists(dir / "a.mp4.wav"));
}

TEST_F(Film, AnEncoderThatFailsAtOnceOrHalfwayIsReportedWithWhatItSaid) {
  useEncoder("echo \"Unknown encoder 'libx264'\" >&2\nexit 1");
  auto run = film("--film '" + (dir / "a.mp4").string() + "' --size 64x36");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("exited with status 1 after"));
  EXPECT_THAT(run.err, HasSubstr("Unknown encoder 'libx264'"));
  EXPECT_THAT(run.out, Not(HasSubstr("Vídeo:")));
  EXPECT_FALSE(fs::exists(dir / "a.mp4.wav"));

  // Ten frames in, the disk fills up; the film made before is still whole.
  test::writeFile(dir / "b.mp4", "the old film");
  test::writeFile(dir / "b.mp4.wav", "the old sound");
  useEncoder("head -c " + std::to_string(10 * 64 * 36 * 4) + " > \"$OUT\"\necho 'No space left' >&2\nexit 2");
  run = film("--film '" + (dir / "b.mp4").string() + "' --size 64x36");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("exited with status 2 after"));
  EXPECT_THAT(run.err, HasSubstr("No space left"));
  EXPECT_THAT(run.out, Not(HasSubstr("Vídeo:")));
  // (Not compared with EXPECT_EQ, which would print half a video.)
  EXPECT_TRUE(test::readFile(dir / "b.mp4") == "the old film");
  EXPECT_TRUE(test::readFile(dir / "b.mp4.wav") == "the old sound");
  EXPECT_EQ(partials(), std::vector<std::string>{});

  // One that reads everything but never writes a film is a failure too.
  useEncoder("head -c " + std::to_string(5 * 64 * 36 * 4) + " > /dev/null\nexit 0");
  run = film("--film '" + (dir / "c.mp4").string() + "' --size 64x36");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("stopped reading after"));
}

TEST_F(Film, PathsAndSizesThatCannotBeMadeAreRefusedBeforeTheEncoderStarts) {
  useEncoder("touch \"$D/started\"\ncat > /dev/null");
  fs::create_directories(dir / "a.mp4.wav");
  auto run = film("--film '" + (dir / "a.mp4").string() + "' --size 64x36");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr((dir / "a.mp4.wav").string()));

  run = film("--film '" + (dir / "missing/a.mp4").string() + "' --size 64x36");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("there is no folder " + (dir / "missing").string()));

  run = film("--film '" + (dir / "b.mp4").string() + "' --size 191x108");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("sorvelSize 191x108: the film's 4:2:0 video needs an even width and height"));
  EXPECT_FALSE(fs::exists(dir / "encoder/started"));
}

// Its exit status as waitpid gives it; if it has not ended within ten
// seconds, it is killed and the status is -1.
int statusOnceEnded(pid_t pid) {
  for (int n = 0; n < 1000; ++n) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

TEST_F(Film, AnInterruptedFilmLeavesTheOldFilmInPlaceAndNoEncoderBehind) {
  // Takes the frames as they come, then lingers as an encoder finishing its
  // file would.
  useEncoder("echo \"$OUT\" > \"$D/out\"\necho $$ > \"$D/pid\"\ncat > \"$OUT\"\ntouch \"$D/done\"\nexec sleep 30");
  const fs::path video = dir / "a.mp4";
  for (const int signal : {SIGINT, SIGTERM, SIGKILL}) {
    SCOPED_TRACE(sigabbrev_np(signal));
    test::writeFile(video, "the old film");
    test::writeFile(video.string() + ".wav", "the old sound");
    fs::remove(dir / "encoder/pid");
    fs::remove(dir / "encoder/out");
    const pid_t sorvel = test::startSorvel(SORVEL_EXECUTABLE, "--film '" + video.string() + "' --size 16x10", dir);
    ASSERT_GT(sorvel, 0);
    const pid_t encoder = test::pidIn(dir / "encoder/pid");
    ASSERT_GT(encoder, 0) << test::readFile(dir / "err");
    std::string written = test::readFile(dir / "encoder/out");
    ASSERT_FALSE(written.empty());
    written.pop_back();
    // Halfway: some frames have reached the encoder's file.
    for (int n = 0; n < 1000 && test::readFile(written).size() < 20 * 16 * 10 * 4; ++n) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(sorvel, signal);
    const int status = statusOnceEnded(sorvel);
    EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    if (signal == SIGKILL) {
      // Nothing is left to clean up after this one, but the film made
      // before must still be whole once the encoder has finished.
      for (int n = 0; n < 1000 && !fs::exists(dir / "encoder/done"); ++n) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      EXPECT_TRUE(fs::exists(dir / "encoder/done"));
    } else {
      EXPECT_THAT(test::readFile(dir / "err"),
                  HasSubstr("sorvel: no film: interrupted; nothing was written to " + video.string()));
      EXPECT_EQ(partials(), std::vector<std::string>{});
      EXPECT_FALSE(test::running(encoder)) << "the encoder outlived the film";
    }
    // (Not compared with EXPECT_EQ, which would print half a video.)
    EXPECT_TRUE(test::readFile(video) == "the old film");
    EXPECT_TRUE(test::readFile(video.string() + ".wav") == "the old sound");
    if (test::running(encoder)) kill(encoder, SIGKILL);
  }
}

TEST_F(Film, TheEncoderIsGivenTheOutputAsAFileNeverAsAUrl) {
  // A folder that makes a network address a path; the encoder is asked for
  // that path, not the address.
  useEncoder("printf '%s\\n' \"$@\" > \"$D/args\"\nexit 1");
  fs::create_directories(dir / "tcp:/127.0.0.1:9");
  const auto run = film("--film tcp://127.0.0.1:9/f.mp4 --size 16x10", test::fixtureResources(), dir.path());
  EXPECT_EQ(run.status, 1);
  std::string last = test::readFile(dir / "encoder/args");
  last.pop_back();
  last = last.substr(last.rfind('\n') + 1);
  EXPECT_THAT(last, ::testing::StartsWith("file:" + dir.path().string() + "/tcp://127.0.0.1:9/"));
  EXPECT_THAT(last, ::testing::EndsWith(".mp4"));
}

}  // namespace
}  // namespace sorvel
