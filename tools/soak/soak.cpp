#include "soak/soak.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <glm/vec2.hpp>
#include <limits>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>

#include "base/settings_store.hpp"
#include "game/game.hpp"
#include "soak/watch.hpp"

namespace sorvel::soak {

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

constexpr double kFrameDt = 1.0 / 60;
constexpr size_t kRecentSteps = 12;

std::optional<std::int64_t> statusKiB(const std::string& field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(field + ":", 0) != 0) continue;
    std::istringstream fields(line.substr(field.size() + 1));
    std::int64_t kib = 0;
    if (fields >> kib) return kib;
  }
  return std::nullopt;
}

// A folder of our own for the settings file, so a soak never touches a
// player's progress; left behind when a run fails, for a look at the file.
class PrivateFolder {
 public:
  PrivateFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/sorvel-soak-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a folder from " + pattern);
    path_ = pattern;
  }
  ~PrivateFolder() {
    if (keep) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  bool keep = false;

 private:
  std::filesystem::path path_;
};

// One soak session: the store and game it plays, the watch holding them to
// their invariants, and the random player.
class Session {
 public:
  explicit Session(const Options& options)
      : options_(options), rng_(options.seed), store_(openStore()), game_(newGame()), watch_(*game_) {
    largest_ = 0;
    for (int s = 0; s < game_->slotCount(); ++s) {
      if (game_->slot(s).puzzle.cellCount() > game_->slot(largest_).puzzle.cellCount()) largest_ = s;
    }
    report_.block = game_->slot(largest_).puzzle.def.id;
  }

  Report run() {
    const std::uint64_t ticks = options_.ticks;
    const std::uint64_t sampleEvery = std::max<std::uint64_t>(ticks / 200, 50);
    const std::uint64_t warmup = std::max<std::uint64_t>(ticks / 10, sampleEvery);
    report_.memory.judged = !kAddressSanitizer;
    report_.memory.startKiB = residentKiB().value_or(0);
    try {
      for (tick_ = 0; tick_ < ticks; ++tick_) {
        // Relaunches and side-by-side games cost memory of their own: make
        // sure the warm-up plateau already holds one of each.
        if (tick_ == warmup / 2) {
          compare();
          relaunch();
        }
        const double roll = uniform(0, 1);
        const int actions = roll < 0.35 ? 0 : roll < 0.9 ? 1 : 2;
        for (int a = 0; a < actions; ++a) act();
        stepTick();
        if (options_.frameEvery > 0 && tick_ % options_.frameEvery == 0) checkFrame(*game_);

        if ((tick_ + 1) % sampleEvery == 0) {
          const std::int64_t kib = residentKiB().value_or(0);
          report_.memory.samples.emplace_back(tick_ + 1, kib);
          if (tick_ + 1 <= warmup) {
            report_.memory.plateauKiB = std::max(report_.memory.plateauKiB, kib);
          } else if (report_.memory.judged && kib > report_.memory.plateauKiB + options_.toleranceKiB) {
            throw Violation("resident memory grew to " + std::to_string(kib) + " KiB, past the warm-up plateau of " +
                            std::to_string(report_.memory.plateauKiB) + " KiB by more than " +
                            std::to_string(options_.toleranceKiB) + " KiB");
          }
        }
        if (options_.log != nullptr && ticks >= 10 && (tick_ + 1) % (ticks / 10) == 0) {
          *options_.log << "soak: tick " << tick_ + 1 << " of " << ticks << ", " << watch_.solves() << " solves, "
                        << residentKiB().value_or(0) << " KiB resident\n";
        }
      }
      // The last word on saving: everything played must come back.
      relaunch();
      report_.memory.endKiB = residentKiB().value_or(0);
      // The kernel raises its high-water mark lazily: a sample may lie above it.
      report_.memory.peakKiB = std::max(peakResidentKiB().value_or(0), report_.memory.endKiB);
      for (const auto& [tick, kib] : report_.memory.samples) {
        report_.memory.peakKiB = std::max(report_.memory.peakKiB, kib);
      }
    } catch (const Violation& v) {
      folder_.keep = true;
      std::vector<std::string> recent(recent_.begin(), recent_.end());
      throw Failure(std::string(v.what()) + " (settings kept in " + folder_.path().string() + ")", tick_,
                    std::move(recent));
    }
    report_.solves = watch_.solves();
    report_.solvesByBlock = watch_.solvesByBlock();
    return report_;
  }

 private:
  std::unique_ptr<SettingsStore> openStore() {
    return std::make_unique<SettingsStore>(SettingsStore::Options{
        .file = folder_.path() / "settings.json", .say = [this](const std::string& line) {
          const std::lock_guard lock(said_.mutex);
          said_.lines.push_back(line);
        }});
  }

  std::unique_ptr<Game> newGame() {
    return std::make_unique<Game>(GameOptions{.persist = true,
                                              .store = store_.get(),
                                              .resources = options_.resources,
                                              .seed = options_.seed ^ ++launches_,
                                              .out = &quiet_,
                                              .tempDir = folder_.path()});
  }

  // The store reports trouble from its writer thread: any at all is a fault here.
  void checkStoreQuiet() {
    const std::lock_guard lock(said_.mutex);
    if (!said_.lines.empty()) throw Violation("the settings store said: " + said_.lines.front());
  }

  double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }
  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  bool chance(double p) { return uniform(0, 1) < p; }

  glm::vec2 viewPoint() {
    // Mostly inside the view; now and then a pointer dragged past its edge.
    if (chance(0.85)) return {static_cast<float>(uniform(0, 1)), static_cast<float>(uniform(0, 1))};
    return {static_cast<float>(uniform(-0.5, 1.5)), static_cast<float>(uniform(-0.5, 1.5))};
  }

  void note(const char* what, const std::string& detail = {}) {
    ++report_.actions[what];
    std::ostringstream line;
    line << "tick " << tick_ << ": " << what;
    if (!detail.empty()) line << " " << detail;
    recent_.push_back(line.str());
    if (recent_.size() > kRecentSteps) recent_.pop_front();
  }

  static std::string point(glm::vec2 p) {
    std::ostringstream text;
    text.precision(9);
    text << "(" << p.x << ", " << p.y << ")";
    return text.str();
  }

  void stepTick() {
    double dt = kFrameDt;
    if (chance(0.04)) {
      // A stalled frame, a suspended laptop, a clock that did not move.
      static constexpr std::array kOdd = {0.0,  1e-12, 5e-324, 1e-4, 0.04999, 0.2,
                                          1.0,  3600.0, 1e300, std::numeric_limits<double>::infinity()};
      dt = kOdd[static_cast<size_t>(below(static_cast<int>(kOdd.size())))];
      std::ostringstream text;
      text << dt;
      note("tick-odd", text.str());
    } else {
      ++report_.actions["tick"];
    }
    game_->tick(dt);
    watch_.step(*game_, Change::tick(dt));
    report_.mostChips = std::max(report_.mostChips, game_->chips().size());
  }

  void act() {
    const Screen screen = game_->screen();
    const bool onLargest = game_->current() == largest_;
    const bool settled = screen == Screen::solved && game_->revealT() > 2.5f;
    // How often each step comes, shaped so that most play happens on the
    // largest block and a solved one is soon started again.
    struct Weighted {
      double weight;
      void (Session::*step)();
    };
    const Weighted steps[] = {
        {30, &Session::tapAtPoint},
        {20, &Session::tapCell},
        {6, &Session::tapSurplus},
        {0.03, &Session::burst},
        {8, &Session::drag},
        {6, &Session::hover},
        {4, &Session::peel},
        {4, &Session::switchTool},
        {2, &Session::guide},
        {1.5, &Session::viewport},
        {0.3 + (settled ? 1.0 : 0.0) + (screen == Screen::playing && !onLargest ? 0.4 : 0.0), &Session::home},
        {0.3 + (screen == Screen::home ? 25.0 : 0.0) + (settled ? 1.0 : 0.0), &Session::openBlock},
        {0.2 + (settled ? 1.0 : 0.0), &Session::next},
        {0.002 + (settled ? (onLargest ? 3.0 : 0.5) : 0.0), &Session::restart},
        {1, &Session::save},
        {0.05, &Session::flush},
        {0.003, &Session::compare},
        {0.002, &Session::relaunch},
    };
    double total = 0;
    for (const auto& s : steps) total += s.weight;
    double pick = uniform(0, total);
    for (const auto& s : steps) {
      pick -= s.weight;
      if (pick < 0) {
        (this->*s.step)();
        return;
      }
    }
    (this->*steps[0].step)();
  }

  void tapAtPoint() {
    const glm::vec2 p = viewPoint();
    const bool alternate = chance(0.25);
    const Tool works = alternate ? (game_->tool() == Tool::carve ? Tool::mark : Tool::carve) : game_->tool();
    note(alternate ? "tap-alternate" : "tap", point(p));
    game_->showTouch(p);
    game_->tap(p, alternate);
    watch_.step(*game_, Change::tap(works));
  }

  void tapCell() {
    const Slot* slot = game_->currentSlot();
    if (slot == nullptr) return tapAtPoint();
    // A cube the player can see, as a player would aim at one.
    const Puzzle& p = slot->puzzle;
    int cell = below(p.cellCount());
    for (int tries = 0; tries < 8 && !game_->visible(*slot, cell); ++tries) cell = below(p.cellCount());
    const glm::ivec3 c = p.coords(cell);
    note("tap-cell", "(" + std::to_string(c.x) + ", " + std::to_string(c.y) + ", " + std::to_string(c.z) + ")");
    const Tool works = game_->tool();
    game_->tapCell(c.x, c.y, c.z);
    watch_.step(*game_, Change::tap(works));
  }

  // A player who has worked out a cube is surplus: marked, it is unmarked
  // first; otherwise carved.
  void tapSurplus() {
    const Slot* slot = game_->currentSlot();
    if (slot == nullptr || game_->screen() != Screen::playing) return tapAtPoint();
    const Puzzle& p = slot->puzzle;
    std::vector<int> surplus;
    for (int i = 0; i < p.cellCount(); ++i) {
      const auto cell = static_cast<size_t>(i);
      if (!p.sol[cell] && p.state[cell] != CellState::broken && game_->visible(*slot, i)) surplus.push_back(i);
    }
    if (surplus.empty()) return tapCell();
    const int cell = surplus[static_cast<size_t>(below(static_cast<int>(surplus.size())))];
    const Tool tool = p.state[static_cast<size_t>(cell)] == CellState::marked ? Tool::mark : Tool::carve;
    if (game_->tool() != tool) {
      note("tool", tool == Tool::carve ? "carve" : "mark");
      game_->setTool(tool);
      watch_.step(*game_, Change::nothing());
    }
    const glm::ivec3 c = p.coords(cell);
    note("tap-surplus", "(" + std::to_string(c.x) + ", " + std::to_string(c.y) + ", " + std::to_string(c.z) + ")");
    game_->tapCell(c.x, c.y, c.z);
    watch_.step(*game_, Change::tap(tool));
    report_.mostChips = std::max(report_.mostChips, game_->chips().size());
  }

  // Taps queued up behind a stalled frame all arrive before the next tick:
  // enough carving at once to push the wood chips to their cap.
  void burst() {
    note("burst");
    for (int i = 0; i < 150 && game_->screen() == Screen::playing; ++i) tapSurplus();
  }

  void drag() {
    const float scale = chance(0.02) ? 3000.0f : 60.0f;
    const glm::vec2 d(static_cast<float>(uniform(-1, 1)) * scale, static_cast<float>(uniform(-1, 1)) * scale);
    note("drag", point(d));
    game_->drag(d);
    watch_.step(*game_, Change::nothing());
  }

  void hover() {
    if (chance(0.1)) {
      note("hover-out");
      game_->hoverAt(std::nullopt);
    } else {
      const glm::vec2 p = viewPoint();
      note("hover", point(p));
      game_->hoverAt(p);
    }
    watch_.step(*game_, Change::nothing());
  }

  void peel() {
    const int n = below(16) - 2;
    note("peel", std::to_string(n));
    game_->setPeel(n);
    watch_.step(*game_, Change::nothing());
  }

  void switchTool() {
    const Tool tool = chance(0.5) ? Tool::carve : Tool::mark;
    note("tool", tool == Tool::carve ? "carve" : "mark");
    game_->setTool(tool);
    watch_.step(*game_, Change::nothing());
  }

  void guide() {
    switch (below(4)) {
      case 0: note("guide-ok"); game_->acknowledgeGuide(); break;
      case 1: note("guide-update"); game_->updateGuide(); break;
      case 2: note("tutorial-card"); game_->showTutorialCard(); break;
      default: note("tutorial-done"); game_->dismissTutorialCard(); break;
    }
    watch_.step(*game_, Change::nothing());
  }

  void viewport() {
    // Ordinary windows most of the time; then shapes no one asks for: a
    // strip one pixel high or wide, the portrait threshold itself, a window
    // minimised to nothing, and what a division by zero hands over.
    static constexpr std::array kOrdinary = {1.6f, 16.0f / 9, 1.0f, 0.5625f, 0.75f, 2.4f};
    static constexpr std::array kOdd = {0.9f,  0.8999f, 0.9001f, 1.0f / 16384, 16384.0f, 1e-3f, 1e3f, 0.0f, -1.0f,
                                        std::numeric_limits<float>::quiet_NaN(),
                                        std::numeric_limits<float>::infinity(),
                                        -std::numeric_limits<float>::infinity()};
    float aspect;
    if (chance(0.6)) {
      aspect = kOrdinary[static_cast<size_t>(below(static_cast<int>(kOrdinary.size())))];
    } else if (chance(0.1)) {
      aspect = game_->camera().aspect + 0.0005f;  // a jitter too small to matter
    } else {
      aspect = kOdd[static_cast<size_t>(below(static_cast<int>(kOdd.size())))];
    }
    std::ostringstream text;
    text << aspect;
    note("viewport", text.str());
    game_->viewportChanged(aspect);
    watch_.step(*game_, Change::nothing());
  }

  void home() {
    const bool animated = chance(0.7);
    note("home", animated ? "animated" : "at once");
    game_->goHome(animated);
    watch_.step(*game_, Change::nothing());
  }

  void openBlock() {
    const int index = chance(0.7) ? largest_ : below(game_->slotCount());
    note("open", std::to_string(index));
    game_->open(index);
    watch_.step(*game_, Change::nothing());
  }

  void next() {
    note("next");
    game_->nextPuzzle();
    watch_.step(*game_, Change::nothing());
  }

  void restart() {
    note("restart");
    if (game_->current()) ++report_.restarts;
    game_->restartCurrent();
    watch_.step(*game_, Change::restart());
  }

  void save() {
    note("save");
    game_->saveOpenPuzzle();
    watch_.step(*game_, Change::nothing());
  }

  void flush() {
    note("flush");
    store_->flush();
    checkStoreQuiet();
  }

  // A second game beside the first, built from the same store: it must
  // restore exactly the progress the first has saved.
  void compare() {
    note("compare");
    game_->saveOpenPuzzle();
    watch_.step(*game_, Change::nothing());
    const auto second = newGame();
    watch_.compareRestored(*second);
  }

  // Quitting and starting again: the store is written out and read afresh
  // from its file, and play goes on in the new game.
  void relaunch() {
    note("relaunch");
    game_->saveOpenPuzzle();
    watch_.step(*game_, Change::nothing());
    game_.reset();
    store_.reset();
    checkStoreQuiet();
    store_ = openStore();
    game_ = newGame();
    watch_.restored(*game_);
  }

  struct Said {
    std::mutex mutex;
    std::vector<std::string> lines;
  };

  const Options& options_;
  std::mt19937_64 rng_;
  PrivateFolder folder_;
  Said said_;
  std::ostream quiet_{nullptr};
  std::uint64_t launches_ = 0;
  std::unique_ptr<SettingsStore> store_;
  std::unique_ptr<Game> game_;
  Watch watch_;
  int largest_ = 0;
  std::uint64_t tick_ = 0;
  std::deque<std::string> recent_;
  Report report_;
};

}  // namespace

std::optional<std::int64_t> residentKiB() { return statusKiB("VmRSS"); }
std::optional<std::int64_t> peakResidentKiB() { return statusKiB("VmHWM"); }

Report run(const Options& options) {
  // A watch that throws while the game is first built still names the tick.
  try {
    Session session(options);
    return session.run();
  } catch (const Violation& v) {
    throw Failure(v.what(), 0, {});
  }
}

}  // namespace sorvel::soak
