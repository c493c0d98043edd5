#include <algorithm>
#include <cstdint>
#include <cstring>
#include <regex>

#include "audio/wav.hpp"
#include "game/demo_recording.hpp"
#include "game_fixture.hpp"

namespace sorvel::test {
namespace {

TEST(Demo, SolvedAndAllSolvedCarveToTheEndButStopAtAMarkedSurplusCube) {
  Rig rig;
  auto game = rig.start(true);
  game->demo("solved:2");
  EXPECT_EQ(game->screen(), Screen::solved);
  EXPECT_EQ(rig.store->stringList("sorvel.solved"), std::vector<std::string>{"pieza"});

  // Every carve of the boat is refused; the commands must still return.
  const Slot& boat = game->slot(1);
  game->open(1);
  for (int i = 0; i < boat.puzzle.cellCount(); ++i) {
    if (!boat.puzzle.sol[static_cast<size_t>(i)]) game->act(i, Tool::mark);
  }
  ASSERT_EQ(std::ranges::count(boat.puzzle.state, CellState::marked), 9);
  game->demo("solved:1");
  EXPECT_EQ(game->screen(), Screen::playing);
  EXPECT_EQ(boat.puzzle.remainingToCarve(), 9);
  game->demo("allsolved");
  EXPECT_EQ(game->screen(), Screen::home);
  EXPECT_EQ(game->solvedIDs(), (std::set<std::string>{"tutorial", "pieza"}));
  EXPECT_EQ(game->solvedCount(), 1);  // the tutorial is not a figure
}

TEST(Demo, CommandsPrepareTheGame) {
  Rig rig;
  auto game = rig.start();
  const Slot& boat = game->slot(1);
  auto count = [&boat](CellState state) { return std::ranges::count(boat.puzzle.state, state); };

  game->demo("play:1:2:3:1");  // carve two, mark three, peel one
  EXPECT_EQ(game->current(), 1);
  EXPECT_EQ(count(CellState::broken), 2);
  EXPECT_EQ(count(CellState::marked), 3);
  EXPECT_EQ(game->peel(), 1);
  game->demo("play::1:0:2");  // an empty field counts for nothing: slot 1 again
  EXPECT_EQ(count(CellState::marked), 5);

  rig.heard.clear();
  game->demo("tap:1:0.5;0.5,0.5,0.5");  // neither point has exactly two numbers
  EXPECT_EQ(rig.kinds(), std::vector<SoundKind>{SoundKind::whoosh});
  game->demo("tap:1:0.5,0.5");  // the middle of the view is on the block: one action
  EXPECT_EQ(rig.heard.size(), 3u);

  game->demo("guide:0:0");
  ASSERT_TRUE(game->guide().has_value());
  EXPECT_EQ(game->guide()->step, 0);
  game->demo("guide:0:1");
  EXPECT_EQ(game->guide()->step, 1);
  game->demo("guide:0:-2147483648");  // the smallest count must not wrap around
  EXPECT_EQ(game->guide()->step, 0);

  game->demo("tutorial");
  EXPECT_EQ(game->current(), 1);
  EXPECT_TRUE(game->showTutorial());
  const auto revision = game->revision();
  game->demo("dance:1");
  EXPECT_EQ(game->revision(), revision);
  // Only what changes is published: the window takes a new snapshot when the
  // revision moved, and only then.
  game->setTool(game->tool());
  game->open(1);  // opening the open block again publishes only what it already shows
  EXPECT_EQ(game->revision(), revision);
  game->setTool(game->tool() == Tool::carve ? Tool::mark : Tool::carve);
  EXPECT_EQ(game->revision(), revision + 1);
  game->demo("home");
  EXPECT_GT(game->revision(), revision + 1);
  EXPECT_EQ(game->screen(), Screen::home);
  EXPECT_EQ(game->camera().dist, game->camera().goalDist);
}

TEST(Demo, ACommandNamingAMissingSlotIsIgnoredWithOneLine) {
  Rig rig({pegPuzzle()});
  auto game = rig.start();
  for (const char* command :
       {"play:5", "solved:-1", "tap:1:0.5,0.5", "guide:3:1", "tutorial", "guiderun", "autotutorial"}) {
    rig.out.str("");
    const auto revision = game->revision();
    game->demo(command);
    const std::string said = rig.out.str();
    EXPECT_EQ(std::ranges::count(said, '\n'), 1) << command << ": " << said;
    EXPECT_EQ(game->revision(), revision) << command;
  }
  EXPECT_FALSE(game->scriptPending());
}

TEST(Demo, GuideRunPrintsEachCarve) {
  Rig rig;
  auto game = rig.start();
  game->demo("guiderun");
  EXPECT_EQ(rig.out.str(),
            "guía: 0\n"
            "guía: 1\n"
            "tallo 2,2,1 → guía: 1 fallos: 0 resuelto: false pantalla: playing\n"
            "tallo 1,2,1 → guía: 1 fallos: 0 resuelto: false pantalla: playing\n"
            "tallo 0,2,1 → guía: 2 fallos: 0 resuelto: false pantalla: playing\n"
            "tallo 1,0,1 → guía: 3 fallos: 0 resuelto: false pantalla: playing\n"
            "tallo 1,0,0 → guía: -1 fallos: 0 resuelto: true pantalla: solved\n");
}

TEST(Demo, AutoTutorialSolvesTheTutorialAndWritesItsSoundTrack) {
  Rig rig;
  auto game = rig.start();
  game->demo("autotutorial");
  runFor(*game, 31.1);
  EXPECT_TRUE(game->solvedIDs().contains("tutorial"));
  EXPECT_EQ(game->slot(0).puzzle.mistakes, 0);
  EXPECT_EQ(game->current(), 1);  // moved on to the next puzzle
  EXPECT_FALSE(game->scriptPending());

  // 31 s of 16-bit mono at 44.1 kHz behind a 44-byte header.
  const std::string wav = readFile(rig.dir / "sorvel-audio.wav");
  EXPECT_EQ(wav.size(), 2'734'244u);
  EXPECT_TRUE(wav.starts_with("RIFF"));
  EXPECT_TRUE(std::any_of(wav.begin() + 44, wav.end(), [](char c) { return c != 0; })) << "silent track";
  EXPECT_TRUE(std::regex_match(readFile(rig.dir / "sorvel-audio-t0.txt"), std::regex(R"(\d{10}\.\d{3})")));
  // Five carves, the jingle and the whoosh of the next puzzle.
  EXPECT_EQ(rig.out.str(), "audio listo 7\n");
}

TEST(Demo, AnUnwritableSoundTrackIsReportedAndTheRunGoesOn) {
  Rig rig;
  writeFile(rig.dir / "blocker", "a file where the folder should be");
  rig.tempDir = rig.dir / "blocker";
  auto game = rig.start();
  game->demo("autotutorial");
  runFor(*game, 31.1);
  const std::string said = rig.out.str();
  EXPECT_TRUE(said.starts_with("demo: ")) << said;
  EXPECT_NE(said.find("blocker"), std::string::npos) << said;
  EXPECT_TRUE(said.ends_with("audio listo 7\n")) << said;
  EXPECT_EQ(game->current(), 1);
}

TEST(DemoRecording, MixesEachSoundInAtItsMomentAndKeepsTheFirstThirtyOneSeconds) {
  TempDir dir;
  double now = 1000;
  DemoRecording recording([&now] { return now; });
  const std::vector<float> knock = {1, -0.5f};
  now = 1000.5;
  recording.hear(knock, 0.5f);
  recording.hear(knock, 0.5f);  // two at the same moment add up
  now = 999;
  recording.hear(knock, 1);  // before the start
  now = 1060;
  recording.hear(knock, 1);  // would end past the minute
  EXPECT_EQ(recording.soundsHeard(), 4u);
  EXPECT_TRUE(recording.save(dir.path()).empty());

  const std::string wav = readFile(dir / "sorvel-audio.wav");
  ASSERT_EQ(wav.size(), 44 + 2 * DemoRecording::kTrackSamples);
  std::vector<std::int16_t> track(DemoRecording::kTrackSamples);
  std::memcpy(track.data(), wav.data() + 44, wav.size() - 44);  // little-endian, as is this machine
  EXPECT_EQ(track[22050], toPcm16(0.8f));
  EXPECT_EQ(track[22051], toPcm16(-0.4f));
  EXPECT_EQ(std::ranges::count(track, 0), static_cast<std::ptrdiff_t>(track.size()) - 2);
  EXPECT_EQ(readFile(dir / "sorvel-audio-t0.txt"), "1000.000");
}

}  // namespace
}  // namespace sorvel::test
