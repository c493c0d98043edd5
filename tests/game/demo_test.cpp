#include <algorithm>
#include <cstdint>
#include <cstring>
#include <regex>

#include "game_fixture.hpp"

namespace sorvel::test {
namespace {

int count(const std::vector<SoundKind>& kinds, SoundKind kind) {
  return static_cast<int>(std::count(kinds.begin(), kinds.end(), kind));
}

int cellsIn(const Slot& slot, CellState state) {
  return static_cast<int>(std::count(slot.puzzle.state.begin(), slot.puzzle.state.end(), state));
}

TEST(Demo, HomeSnapsTheTableViewSilently) {
  Rig rig;
  auto game = rig.start();
  game->open(1);
  rig.heard.clear();
  game->demo("home");
  EXPECT_EQ(game->screen(), Screen::home);
  EXPECT_EQ(game->camera.dist, game->camera.goalDist);
  EXPECT_EQ(game->camera.target, game->camera.goalTarget);
  EXPECT_TRUE(rig.heard.empty());
}

TEST(Demo, PlayCarvesMarksAndPeelsAsAsked) {
  Rig rig;
  auto game = rig.start();
  game->setShowTutorial(true);
  game->demo("play:1:0:3");
  EXPECT_EQ(game->current(), 1);
  EXPECT_FALSE(game->showTutorial());
  EXPECT_EQ(cellsIn(slotAt(*game, 1), CellState::marked), 3);
  EXPECT_EQ(cellsIn(slotAt(*game, 1), CellState::broken), 0);
  EXPECT_EQ(count(rig.kinds(), SoundKind::mark), 3);

  game->demo("play:3:2");
  EXPECT_EQ(cellsIn(slotAt(*game, 3), CellState::broken), 2);
  EXPECT_EQ(cellsIn(slotAt(*game, 3), CellState::marked), 0);
  EXPECT_EQ(game->peel(), 0);

  game->demo("play:1:0:0:2");
  EXPECT_EQ(game->peel(), 2);

  game->demo("play::2");  // the empty field is dropped: n is 2
  EXPECT_EQ(game->current(), 2);
  game->demo("play:x");  // not a number: slot 0
  EXPECT_EQ(game->current(), 0);
}

TEST(Demo, SolvedAndAllSolvedCarveToTheEnd) {
  Rig rig;
  auto game = rig.start(true);
  game->demo("solved:1");
  EXPECT_EQ(game->screen(), Screen::solved);
  EXPECT_EQ(game->current(), 1);
  EXPECT_TRUE(game->solvedIDs().contains("barco"));
  EXPECT_EQ(rig.store().stringList("sorvel.solved"), std::vector<std::string>{"barco"});

  game->demo("allsolved");
  EXPECT_EQ(game->screen(), Screen::home);
  EXPECT_EQ(game->solvedIDs(), (std::set<std::string>{"tutorial", "barco", "pieza", "torre"}));
  EXPECT_EQ(game->solvedCount(), 3);
}

TEST(Demo, CarvingLoopsEndWhenTheNearestSurplusCubeIsMarked) {
  Rig rig;
  auto game = rig.start();
  Slot& boat = slotAt(*game, 1);
  for (int i = 0; i < boat.puzzle.cellCount(); ++i) {
    if (!boat.puzzle.sol[static_cast<size_t>(i)]) boat.puzzle.state[static_cast<size_t>(i)] = CellState::marked;
  }
  game->demo("solved:1");  // must return
  EXPECT_EQ(game->screen(), Screen::playing);
  EXPECT_EQ(boat.puzzle.remainingToCarve(), 9);

  game->demo("allsolved");
  EXPECT_EQ(game->screen(), Screen::home);
  EXPECT_EQ(game->solvedIDs(), (std::set<std::string>{"tutorial", "pieza", "torre"}));
}

TEST(Demo, TapOpensSnapsAndTapsOnlyWholePoints) {
  Rig rig;
  auto game = rig.start();
  game->demo("tap:1:0.5");
  EXPECT_EQ(game->current(), 1);
  EXPECT_EQ(game->camera.yaw, game->camera.goalYaw);
  EXPECT_EQ(slotAt(*game, 1).puzzle.encodeState(), std::string(18, '0'));
  game->demo("tap:1:0.5,x;0.5,0.5,0.5;;");
  EXPECT_EQ(slotAt(*game, 1).puzzle.encodeState(), std::string(18, '0'));

  rig.heard.clear();
  game->demo("tap:1:0.5,0.5");
  EXPECT_LT(cellsIn(slotAt(*game, 1), CellState::solid), 18);  // the block is in the middle of the view
  EXPECT_EQ(rig.heard.size(), 2u);  // the whoosh of opening, then the tap's own sound
  EXPECT_FALSE(game->touchFX()) << "a point tap shows no ripple";
}

TEST(Demo, GuideShowsTheIntroductionOrTheFirstStep) {
  Rig rig;
  auto game = rig.start();
  game->demo("guide:0:0");
  ASSERT_TRUE(game->guide());
  EXPECT_EQ(game->guide()->step, 0);
  game->demo("guide:0:1");
  EXPECT_EQ(game->guide()->step, 1);
  EXPECT_EQ(cellsIn(slotAt(*game, 0), CellState::broken), 0);
  game->demo("guide:0:3");  // "Vale", then two carves
  EXPECT_EQ(cellsIn(slotAt(*game, 0), CellState::broken), 2);

  game->demo("tutorial");
  EXPECT_EQ(game->current(), 1);
  EXPECT_TRUE(game->showTutorial());
}

TEST(Demo, UnknownOrEmptyCommandsChangeNothing) {
  Rig rig;
  auto game = rig.start();
  const auto revision = game->revision();
  game->demo("");
  game->demo(":::");
  game->demo("dance:1:2");
  EXPECT_EQ(game->revision(), revision);
  EXPECT_TRUE(rig.out.str().empty());
}

TEST(Demo, CommandsNamingAMissingSlotAreIgnoredWithOneLine) {
  Rig rig({pegPuzzle()});
  auto game = rig.start();
  for (const char* command : {"play:5", "solved:-1", "tap:1:0.5,0.5", "guide:3:1", "tutorial", "guiderun", "autotutorial"}) {
    rig.out.str("");
    const auto revision = game->revision();
    game->demo(command);
    const std::string said = rig.out.str();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << command << ": " << said;
    EXPECT_EQ(game->revision(), revision) << command;
    EXPECT_EQ(game->screen(), Screen::home);
  }
  EXPECT_TRUE(game->script.empty());
  EXPECT_FALSE(game->sound.recorder == nullptr) << "the test's own recorder stays";
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

std::uint32_t le32(const std::string& bytes, size_t at) {
  std::uint32_t v = 0;
  for (size_t k = 0; k < 4; ++k) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + k])) << (8 * k);
  return v;
}

TEST(Demo, AutoTutorialPlaysTheGuideAndWritesItsSoundTrack) {
  Rig rig;
  auto game = rig.start();
  game->demo("autotutorial");
  EXPECT_EQ(game->script.size(), 9u);
  runFor(*game, 26);
  EXPECT_TRUE(game->solvedIDs().contains("tutorial"));  // the five taps carved the five surplus cubes
  EXPECT_EQ(slotAt(*game, 0).puzzle.mistakes, 0);
  runFor(*game, 5.1);
  EXPECT_TRUE(game->script.empty());
  EXPECT_EQ(game->current(), 1);  // moved on to the next puzzle

  const std::string wav = readFile(rig.dir / "sorvel-audio.wav");
  ASSERT_EQ(wav.size(), 2'734'244u);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(le32(wav, 4), 2'734'236u);
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(le32(wav, 24), 44'100u);
  EXPECT_EQ(wav.substr(36, 4), "data");
  EXPECT_EQ(le32(wav, 40), 2'734'200u);
  EXPECT_TRUE(std::any_of(wav.begin() + 44, wav.end(), [](char c) { return c != 0; })) << "silent track";

  const std::string t0 = readFile(rig.dir / "sorvel-audio-t0.txt");
  EXPECT_TRUE(std::regex_match(t0, std::regex(R"(\d{10}\.\d{3})"))) << t0;
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

TEST(Demo, AutoTutorialOnASolvedTutorialOnlyShowsIt) {
  Rig rig;
  auto game = rig.start();
  Slot& tutorial = slotAt(*game, 0);
  for (int i : {1, 4, 15, 16, 17}) tutorial.puzzle.state[static_cast<size_t>(i)] = CellState::broken;
  game->setSolvedIDs({"tutorial"});
  game->demo("autotutorial");
  EXPECT_EQ(game->screen(), Screen::solved);
  runFor(*game, 25);
  EXPECT_EQ(game->screen(), Screen::solved);
  EXPECT_EQ(tutorial.puzzle.mistakes, 0);
  EXPECT_EQ(tutorial.puzzle.encodeState(), "020020000000000222");
}

}  // namespace
}  // namespace sorvel::test
