// Demo scripts come from the command line (--demo) and drive the whole game:
// screens, carving, marking, taps, the guide and the recorded tutorial. Each
// input line is one script, run in turn on a game of the test chapter, with
// time passing after each and until every scheduled step has run.
//
// A fresh game is built for every input (a few milliseconds): a game reused
// across inputs would carry carved cubes, mistakes and solved figures from
// one input into the next, and a crash would then depend on the inputs before
// it and could not be replayed from its file alone.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

#include "fuzz_support.hpp"
#include "game/game.hpp"

using namespace sorvel;

namespace {

constexpr int kMaxScripts = 4;
constexpr int kTicksBetween = 20;
// The longest schedule (the recorded tutorial) ends at 31 s; ticks are at
// most 0.05 s long.
constexpr int kMaxTicksAfter = 700;

// "autotutorial" writes its sound track here, never beside the player's files.
struct TempFolder {
  std::filesystem::path path;
  TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/sorvel-demo-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) fuzz::broken("a private temporary folder can be made");
    path = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

const std::filesystem::path& tempFolder() {
  static const TempFolder folder;
  return folder.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::ostream silent(nullptr);  // the demo's messages go nowhere
  Game game(GameOptions{.persist = false,
                        .resources = SORVEL_FUZZ_CHAPTER,
                        .seed = 1,
                        .out = &silent,
                        .tempDir = tempFolder()});

  std::string_view rest = fuzz::text(data, size);
  for (int n = 0; n < kMaxScripts && !rest.empty(); ++n) {
    const std::size_t end = rest.find('\n');
    game.demo(std::string(rest.substr(0, end)));
    for (int t = 0; t < kTicksBetween; ++t) game.tick(1.0 / 60);
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  for (int t = 0; t < kMaxTicksAfter && game.scriptPending(); ++t) game.tick(0.05);
  fuzz::require(!game.scriptPending(), "every scheduled step of a demo runs within its time");

  // What the renderer would draw next; every slot it names must exist.
  const Frame frame = game.frame();
  (void)frame;
  if (const auto current = game.current()) {
    fuzz::require(*current >= 0 && *current < game.slotCount(), "the open block is on the table");
  }
  return 0;
}
