#include "capture/film.hpp"

#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "capture/capture_session.hpp"
#include "capture/encoder_process.hpp"
#include "capture/film_files.hpp"
#include "capture/film_progress.hpp"
#include "capture/director.hpp"
#include "capture/film_soundtrack.hpp"
#include "render/frame_pipeline.hpp"
#include "capture/output_path.hpp"
#include "capture/still_options.hpp"

namespace sorvel {
namespace {

int refuse(const std::string& why) {
  std::fprintf(stderr, "sorvel: no film: %s\n", why.c_str());
  return 1;
}

std::string encoderFailure(const encoder::Located& encoder, const EncoderProcess::Exit& exit, std::int64_t frames) {
  std::string why = "the video encoder " + encoder.path + " " +
                    (exit.success ? std::string("stopped reading") : exit.status) + " after " +
                    std::to_string(frames) + " frames";
  if (exit.errorTail.empty()) return why;
  why += "; it said:";
  std::size_t from = 0;
  while (from < exit.errorTail.size()) {
    const std::size_t end = std::min(exit.errorTail.find('\n', from), exit.errorTail.size());
    why += "\n  " + exit.errorTail.substr(from, end - from);
    from = end + 1;
  }
  return why;
}

// Clears the film's part in an interrupt before what that part reaches goes.
class WhileRunning {
 public:
  WhileRunning(FilmInterrupt& interrupt, std::function<void()> undo) : interrupt_(interrupt) {
    interrupt_.whileRunning(std::move(undo));
  }
  ~WhileRunning() { interrupt_.whileRunning({}); }
  WhileRunning(const WhileRunning&) = delete;
  WhileRunning& operator=(const WhileRunning&) = delete;

 private:
  FilmInterrupt& interrupt_;
};

int shootFilm(const SettingsStore& options, const std::string& output, FilmInterrupt& interrupt) {
  const std::string soundPath = output + ".wav";
  // Everything that can be known wrong is refused before any of the work.
  for (const std::string& path : {output, soundPath}) {
    if (const std::string refusal = refusalToWrite(path); !refusal.empty()) return refuse(refusal);
  }
  const still::SizeParse size = still::parseSize(options.string("sorvelSize"), still::kFilmSize);
  if (!size.error.empty()) return refuse(size.error);
  const int width = size.size.width;
  const int height = size.size.height;
  if (width % 2 != 0 || height % 2 != 0) {
    return refuse("sorvelSize " + std::to_string(width) + "x" + std::to_string(height) +
                  ": the film's 4:2:0 video needs an even width and height");
  }
  const encoder::Located encoderProgram = encoder::locate();
  if (!encoderProgram.error.empty()) return refuse(encoderProgram.error);

  CaptureSession::Created created = CaptureSession::create({.width = width, .height = height});
  if (!created.session) return refuse(created.error);
  CaptureSession& session = *created.session;
  Game& game = session.game();
  if (const std::string refusal = film::chapterRefusal(game); !refusal.empty()) return refuse(refusal);
  const std::int64_t expected = film::expectedFrames(game);

  // Before the encoder, so that it is gone before its half-made video goes.
  film::Files files(output);
  EncoderProcess::Started started;
  const WhileRunning interruptible(interrupt, [&] {
    if (started.process) started.process->kill();
    if (!files.discard()) return;
    // The progress line may stand where the message goes.
    std::fprintf(stderr, "%ssorvel: no film: interrupted; nothing was written to %s\n",
                 isatty(STDERR_FILENO) == 1 ? "\r\033[K" : "", output.c_str());
    std::fflush(stderr);
  });
  if (!interrupt.unlessStopped([&] {
        started = EncoderProcess::start(encoderProgram.path,
                                        encoder::arguments(width, height, files.videoTemporary().string()));
      })) {
    return 1;
  }
  if (!started.process) return refuse(started.error);
  EncoderProcess& encoder = *started.process;
  FramePipeline::Created pipe = FramePipeline::create(
      width, height, [&encoder](std::span<const std::uint8_t> frame) { return encoder.write(frame); });
  if (!pipe.pipeline) return refuse(pipe.error);
  FramePipeline& pipeline = *pipe.pipeline;

  // The film's clock: frames handed on so far. A sound played while frame n
  // is made is placed at n's time, however far behind the encoder is.
  std::int64_t frames = 0;
  film::Soundtrack soundtrack;
  game.setSoundRecorder(
      [&](std::span<const float> samples, float volume) { soundtrack.hear(frames, samples, volume); });

  std::string drawError;
  film::Progress progress(stderr, expected);
  film::Director director(game, [&] {
    if (!session.renderer().render(game.frame(), session.renderTarget())) {
      drawError = "the GPU could not draw frame " + std::to_string(frames + 1);
      return false;
    }
    if (!pipeline.submit(session.renderTarget().framebuffer)) return false;
    ++frames;
    progress.frameDone(frames);
    return true;
  });
  const bool wholeFilm = director.playWholeFilm();
  const bool allWritten = wholeFilm && pipeline.finish();
  pipe.pipeline.reset();
  const EncoderProcess::Exit exit = encoder.finish();
  progress.clear();
  // The interrupt has said why already.
  if (interrupt.stopped()) return 1;
  if (!drawError.empty()) return refuse(drawError);
  if (!allWritten || !exit.success) return refuse(encoderFailure(encoderProgram, exit, frames));

  if (const std::string error = files.keep(soundtrack.finish(frames)); !error.empty()) return refuse(error);
  std::printf("Audio: %s\n", soundPath.c_str());
  std::printf("Vídeo: %s · %" PRId64 " frames (%.1f s)\n", output.c_str(), frames,
              static_cast<double>(frames) / film::kFps);
  std::fflush(stdout);
  return 0;
}

}  // namespace

void FilmInterrupt::stop() {
  std::lock_guard lock(mutex_);
  stopped_ = true;
  if (undo_) undo_();
  undo_ = nullptr;
}

bool FilmInterrupt::stopped() {
  std::lock_guard lock(mutex_);
  return stopped_;
}

void FilmInterrupt::whileRunning(std::function<void()> undo) {
  std::lock_guard lock(mutex_);
  undo_ = std::move(undo);
}

bool FilmInterrupt::unlessStopped(const std::function<void()>& step) {
  std::lock_guard lock(mutex_);
  if (stopped_) return false;
  step();
  return true;
}

int makeFilm(const SettingsStore& options, const std::string& output, FilmInterrupt& interrupt) {
  try {
    return shootFilm(options, output, interrupt);
  } catch (const std::bad_alloc&) {
    return refuse("not enough memory for frames of that size");
  } catch (const std::exception& error) {
    return refuse(error.what());
  }
}

}  // namespace sorvel
