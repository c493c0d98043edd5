#include "capture/film.hpp"

#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "base/say_stop.hpp"
#include "capture/capture_session.hpp"
#include "capture/encoder_process.hpp"
#include "capture/film_files.hpp"
#include "capture/film_progress.hpp"
#include "capture/director.hpp"
#include "capture/film_soundtrack.hpp"
#include "render/frame_pipeline.hpp"
#include "capture/output_path.hpp"
#include "puzzle/library.hpp"

namespace sorvel {
namespace {

int refuse(const std::string& why) {
  std::fprintf(stderr, "sorvel: no film: %s\n", why.c_str());
  return 1;
}

std::string encoderFailure(const std::string& encoder, const EncoderProcess::Exit& exit, std::int64_t frames) {
  std::string why = "the video encoder " + encoder + " " +
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

// What the film will be, once everything that can be known wrong has been
// refused, before any of the work.
struct Plan {
  int width = 0;
  int height = 0;
  std::string encoder;  // the executable
};

Result<Plan> planFilm(const FilmRequest& request, const std::string& soundPath) {
  for (const std::string& path : {request.output, soundPath}) {
    if (Result<void> writable = canWriteTo(path); !writable) return Reason{writable.why()};
  }
  if (!request.size) return Reason{request.size.why()};
  const int width = request.size->width;
  const int height = request.size->height;
  if (width % 2 != 0 || height % 2 != 0) {
    return Reason{"sorvelSize " + std::to_string(width) + "x" + std::to_string(height) +
                  ": the film's 4:2:0 video needs an even width and height"};
  }
  const auto text = [](const std::optional<std::string>& given) { return given ? given->c_str() : nullptr; };
  Result<std::string> encoderProgram = encoder::locate(text(request.encoder), text(request.searchPath));
  if (!encoderProgram) return Reason{encoderProgram.why()};
  return Plan{width, height, std::move(*encoderProgram)};
}

// The film's clock and what it heard: frames handed on so far, and every
// sound played, placed at the time of the frame made while it played however
// far behind the encoder is.
struct Take {
  std::int64_t frames = 0;
  film::Soundtrack soundtrack;
  std::string drawError;
};

// Plays the whole film, drawing each frame into `pipeline`. False when it
// stopped short or not every frame reached the encoder.
bool playThrough(CaptureSession& session, FramePipeline& pipeline, film::Progress& progress, Take& take) {
  Game& game = session.game();
  game.setSoundRecorder(
      [&take](std::span<const float> samples, float volume) { take.soundtrack.hear(take.frames, samples, volume); });
  film::Director director(game, [&] {
    if (!session.renderer().render(game.frame(), session.renderTarget())) {
      take.drawError = "the GPU could not draw frame " + std::to_string(take.frames + 1);
      return false;
    }
    if (!pipeline.submit(session.renderTarget().framebuffer)) return false;
    ++take.frames;
    progress.frameDone(take.frames);
    return true;
  });
  return director.playWholeFilm() && pipeline.finish();
}

int shootFilm(const FilmRequest& request, FilmInterrupt& interrupt) {
  const std::string& output = request.output;
  const std::string soundPath = output + ".wav";
  const Result<Plan> plan = planFilm(request, soundPath);
  if (!plan) return refuse(plan.why());
  const int width = plan->width;
  const int height = plan->height;
  const std::string& encoderProgram = plan->encoder;

  Result<std::unique_ptr<CaptureSession>> created = CaptureSession::create({.width = width, .height = height, .language = request.language});
  if (!created) return refuse(created.why());
  CaptureSession& session = **created;
  Game& game = session.game();
  if (const Result<void> filmable = film::canFilmChapter(game); !filmable) return refuse(filmable.why());
  const std::int64_t expected = film::expectedFrames(game);

  // Before the encoder, so that it is gone before its half-made video goes.
  film::Files files(output);
  // Set under the interrupt's lock, so that an interrupt sees it whole.
  Result<std::unique_ptr<EncoderProcess>> started = Reason{"the video encoder has not started"};
  const WhileRunning interruptible(interrupt, [&] {
    if (started) (*started)->kill();
    if (!files.discard()) return;
    // The progress line may stand where the message goes.
    std::fprintf(stderr, "%ssorvel: no film: interrupted; nothing was written to %s\n",
                 isatty(STDERR_FILENO) == 1 ? "\r\033[K" : "", output.c_str());
    std::fflush(stderr);
  });
  if (!interrupt.unlessStopped([&] {
        started = EncoderProcess::start(encoderProgram,
                                        encoder::arguments(width, height, files.videoTemporary().string()));
      })) {
    return 1;
  }
  if (!started) return refuse(started.why());
  EncoderProcess& encoder = **started;
  Result<std::unique_ptr<FramePipeline>> pipe = FramePipeline::create(
      width, height, [&encoder](std::span<const std::uint8_t> frame) { return encoder.write(frame); });
  if (!pipe) return refuse(pipe.why());
  FramePipeline& pipeline = **pipe;

  Take take;
  film::Progress progress(stderr, expected);
  const bool allWritten = playThrough(session, pipeline, progress, take);
  pipe->reset();
  const EncoderProcess::Exit exit = encoder.finish();
  progress.clear();
  // The interrupt has said why already.
  if (interrupt.stopped()) return 1;
  if (!take.drawError.empty()) return refuse(take.drawError);
  if (!allWritten || !exit.success) return refuse(encoderFailure(encoderProgram, exit, take.frames));

  const std::int64_t frames = take.frames;
  if (const Result<void> kept = files.keep(take.soundtrack.finish(frames)); !kept) return refuse(kept.why());
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

int makeFilm(const FilmRequest& request, FilmInterrupt& interrupt) {
  try {
    return shootFilm(request, interrupt);
  } catch (const LoadError& error) {
    // The chapter, not the picture, is at fault: said as the window says it.
    sayStop(error.what());
    return 1;
  } catch (const std::bad_alloc&) {
    return refuse("not enough memory for frames of that size");
  } catch (const std::exception& error) {
    return refuse(error.what());
  }
}

}  // namespace sorvel
