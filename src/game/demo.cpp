#include <algorithm>
#include <charconv>
#include <memory>
#include <ostream>
#include <sstream>

#include "game/demo_recording.hpp"
#include "game/game.hpp"

namespace sorvel {

namespace {

std::vector<std::string> splitDroppingEmpty(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  std::string piece;
  std::istringstream in(text);
  while (std::getline(in, piece, separator)) {
    if (!piece.empty()) pieces.push_back(piece);
  }
  return pieces;
}

template <typename T>
std::optional<T> parseWhole(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  T value{};
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

// "x,y;x,y;..." in normalised view coordinates; malformed points are skipped.
std::vector<glm::vec2> tapPoints(const std::string& text) {
  std::vector<glm::vec2> points;
  for (const std::string& point : splitDroppingEmpty(text, ';')) {
    std::vector<float> numbers;
    for (const std::string& piece : splitDroppingEmpty(point, ',')) {
      if (auto value = parseWhole<float>(piece)) numbers.push_back(*value);
    }
    if (numbers.size() == 2) points.push_back({numbers[0], numbers[1]});
  }
  return points;
}

// The first field of a script and the script after it, empty fields skipped
// as the split skips them.
std::pair<std::string_view, std::string_view> headField(std::string_view text) {
  const std::size_t start = text.find_first_not_of(':');
  if (start == std::string_view::npos) return {};
  text.remove_prefix(start);
  const std::size_t end = text.find(':');
  if (end == std::string_view::npos) return {text, {}};
  return {text.substr(0, end), text.substr(end + 1)};
}

}  // namespace

void Game::runScript(std::vector<ScriptEntry> entries) {
  std::stable_sort(entries.begin(), entries.end(),
                   [](const ScriptEntry& a, const ScriptEntry& b) { return a.first < b.first; });
  script_ = std::move(entries);
  scriptT_ = 0;
}

void Game::carveUntilSolved() {
  // A marked surplus cube nearest the camera is refused over and over; stop
  // as soon as a step carves nothing.
  for (;;) {
    const Slot* slot = currentSlot();
    const int before = slot != nullptr ? slot->puzzle.remainingToCarve() : 0;
    if (!autoCarveStep() || currentSlot()->puzzle.remainingToCarve() == before) return;
  }
}

bool Game::demoNeedsSlot(int index, const std::string& command) {
  if (index >= 0 && index < slotCount()) return true;
  out() << "demo: \"" << command << "\" ignored: there is no slot " << index << " (the chapter has "
        << slotCount() << ")\n";
  return false;
}

void Game::demo(const std::string& script) {
  // Prefixes set the scene for the command after them: "patterns:" turns the
  // patterned marks on, "chapter:N:" brings chapter N (from 1) onto the table.
  // They are taken in a loop rather than by recursion, so no length of chain
  // runs out of stack.
  std::string_view rest = script;
  for (;;) {
    const auto [head, after] = headField(rest);
    if (head == "patterns") {
      if (!preferences_.patternMarks) {
        Preferences p = preferences_;
        p.patternMarks = true;
        setPreferences(p);
      }
    } else if (head == "chapter") {
      const auto [number, tail] = headField(after);
      const std::optional<int> chapter = parseWhole<int>(number);
      if (!chapter || *chapter < 1 || *chapter > chapterCount()) {
        out() << "demo: \"" << script << "\" ignored: there is no chapter " << number << " (the shelf has "
              << chapterCount() << ")\n";
        return;
      }
      goHome(false);
      showChapter(*chapter - 1);
      snapCamera();
      rest = tail;
      continue;
    } else {
      break;
    }
    rest = after;
  }
  const std::string text(rest);
  const std::vector<std::string> fields = splitDroppingEmpty(text, ':');
  if (fields.empty()) return;
  const std::string& command = fields[0];
  auto number = [&fields](size_t k) {
    return k < fields.size() ? parseWhole<int>(fields[k]).value_or(0) : 0;
  };
  const int n = number(1), m = number(2);
  auto needTutorialShape = [&]() {
    if (!demoNeedsSlot(0, text)) return false;
    const Puzzle& p = slots_[0]->puzzle;
    if (p.X >= 3 && p.Y >= 3 && p.Z >= 2) return true;
    out() << "demo: \"" << text << "\" ignored: slot 0 is not a 3x3x2 tutorial block\n";
    return false;
  };
  // The picture commands show block n as it stands, without the tutorial card.
  auto openPlainly = [&] {
    if (!demoNeedsSlot(n, text)) return false;
    open(n);
    setShowTutorial(false);
    return true;
  };

  if (command == "play") {
    if (!openPlainly()) return;
    for (int i = 0; i < m && autoCarveStep(); ++i) {
    }
    autoMark(number(3));
    if (fields.size() > 4) setPeel(number(4));
  } else if (command == "solved") {
    if (openPlainly()) carveUntilSolved();
  } else if (command == "tap") {
    if (!openPlainly()) return;
    snapCamera();
    if (fields.size() < 3) return;
    for (const glm::vec2 point : tapPoints(fields[2])) tap(point, false);
  } else if (command == "allsolved") {
    for (int i = 0; i < slotCount(); ++i) {
      open(i);
      carveUntilSolved();
    }
    goHome(false);
  } else if (command == "home") {
    goHome(false);
  } else if (command == "undo") {
    undo();
  } else if (command == "redo") {
    redo();
  } else if (command == "settings") {
    // "settings:erase" shows the card asking once more before it erases.
    openSettings();
    if (fields.size() > 1 && fields[1] == "erase") askToErase();
  } else if (command == "guide") {
    if (!demoNeedsSlot(n, text)) return;
    goHome(false);
    open(n);
    if (m >= 1) acknowledgeGuide();
    for (int i = 0; i + 1 < m && autoCarveStep(); ++i) {
    }
  } else if (command == "guiderun") {
    if (needTutorialShape()) guideRun();
  } else if (command == "autotutorial") {
    if (needTutorialShape()) autoTutorial();
  } else if (command == "tutorial" && demoNeedsSlot(1, text)) {
    open(1);
    setShowTutorial(true);
  }
}

void Game::guideRun() {
  goHome(false);
  open(0);
  Slot* slot = openSlot();
  if (slot == nullptr) return;
  auto step = [this] { return guide_ ? guide_->step : -1; };
  out() << "guía: " << step() << "\n";
  acknowledgeGuide();
  out() << "guía: " << step() << "\n";
  const Puzzle& p = slot->puzzle;
  const int cells[][3] = {{2, 2, 1}, {1, 2, 1}, {0, 2, 1}, {1, 0, 1}, {1, 0, 0}};
  for (const auto& c : cells) {
    act(*slot, p.index(c[0], c[1], c[2]), Tool::carve);
    out() << "tallo " << c[0] << "," << c[1] << "," << c[2] << " → guía: " << step()
          << " fallos: " << p.mistakes << " resuelto: " << (p.solved() ? "true" : "false")
          << " pantalla: " << screenName(screen_) << "\n";
  }
  out().flush();
}

void Game::autoTutorial() {
  goHome(false);
  open(0);
  auto recording = std::make_shared<DemoRecording>();
  setSoundRecorder([recording](std::span<const float> samples, float volume) { recording->hear(samples, volume); });
  const std::filesystem::path folder = temporaryFolder(options_.tempDir);
  runScript({
      {4.5f, [this] { acknowledgeGuide(); }},
      {7.0f, [this] { tapCell(2, 2, 1); }},
      {7.9f, [this] { tapCell(1, 2, 1); }},
      {8.8f, [this] { tapCell(0, 2, 1); }},
      {12.3f, [this] { tapCell(1, 0, 1); }},
      {16.0f, [this] { camera_.goalYaw = 2.55f; }},
      {19.2f, [this] { tapCell(1, 0, 0); }},
      {26.8f, [this] { nextPuzzle(); }},
      {31.0f,
       [this, recording, folder] {
         // The recording is a by-product of a scripted run: a failed write
         // must not stop it, so the reasons are only shown.
         for (const std::string& problem : recording->save(folder)) out() << "demo: " << problem << "\n";
         out() << "audio listo " << recording->soundsHeard() << "\n";
         out().flush();
       }},
  });
}

}  // namespace sorvel
