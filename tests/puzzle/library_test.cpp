#include "puzzle/library.hpp"

#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <nlohmann/json.hpp>

#include "puzzle/puzzle.hpp"
#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

using nlohmann::json;
using test::TempDir;
using test::writeFile;
using ::testing::HasSubstr;

TEST(LibraryLoad, ReadsTheFixtureChapterInTableOrder) {
  const Chapter loaded = Library::load(test::fixtureResources());
  EXPECT_EQ(loaded.chapter.id, "pruebas");
  EXPECT_EQ(loaded.chapter.name.at("es"), "Pruebas");
  ASSERT_EQ(loaded.puzzles.size(), 4u);
  EXPECT_EQ(loaded.puzzles[0].id, "tutorial");
  EXPECT_TRUE(loaded.puzzles[0].isTutorial());
  // "barca" exists both in puzzles/ and at the top: the subfolder wins.
  EXPECT_EQ(loaded.puzzles[1].id, "barca");
  EXPECT_FALSE(loaded.puzzles[1].tutorial.has_value());
  EXPECT_FALSE(loaded.puzzles[1].isTutorial());
  // "faro" exists only at the top of the resource folder.
  EXPECT_EQ(loaded.puzzles[2].id, "faro");
  EXPECT_EQ(loaded.puzzles[2].name.count("es"), 0u);
  // "dado" says tutorial false, carries an unknown key and a fourth size.
  EXPECT_EQ(loaded.puzzles[3].tutorial, std::optional<bool>(false));
  EXPECT_FALSE(loaded.puzzles[3].isTutorial());
  const Puzzle dado(loaded.puzzles[3]);
  EXPECT_EQ(dado.X * dado.Y * dado.Z, 8);
  EXPECT_EQ(dado.cellCount(), 8);
}

// A folder with one chapter and one valid puzzle that tests then break.
class BrokenDefinitions : public ::testing::Test {
 protected:
  void SetUp() override {
    writeChapter(json{{"id", "c"}, {"name", {{"es", "C"}}}, {"puzzles", {"p"}}});
    puzzle = json{
        {"id", "p"},
        {"name", {{"es", "P"}}},
        {"dims", {2, 1, 3}},
        {"solution", "101100"},
        {"clues", {{"x", {1, 11, 1}}, {"y", {1, 0, 1, 1, 0, 1}}, {"z", {12, 1}}}},
    };
  }
  void writeChapter(const json& chapter) { writeFile(dir / "puzzles/chapter.json", chapter.dump()); }
  std::filesystem::path puzzlePath() const { return dir / "puzzles/p.json"; }

  // The load error for the puzzle after `change`; fails the test if it loads.
  std::string refusal(const std::function<void(json&)>& change) {
    json broken = puzzle;
    change(broken);
    writeFile(puzzlePath(), broken.dump());
    try {
      Library::load(dir.path());
    } catch (const LoadError& error) {
      return error.what();
    }
    ADD_FAILURE() << "loaded: " << broken.dump();
    return {};
  }

  TempDir dir;
  json puzzle;
};

TEST_F(BrokenDefinitions, EachRefusalNamesTheFileAndTheFault) {
  const struct {
    std::function<void(json&)> change;
    const char* fault;
  } cases[] = {
      {[](json& p) { p.erase("name"); }, "\"name\" is missing"},
      {[](json& p) { p.erase("clues"); }, "\"clues\" is missing"},
      {[](json& p) { p["id"] = 7; }, "\"id\" must be a string"},
      {[](json& p) { p["name"]["es"] = 3; }, "\"name\" entry \"es\" must be a string"},
      {[](json& p) { p["dims"][1] = "1"; }, "\"dims\" entry 1 must be an integer"},
      {[](json& p) { p["dims"][0] = 2.0; }, "\"dims\" entry 0 must be an integer, not a fractional"},
      {[](json& p) { p["clues"]["y"][2] = nullptr; }, "list \"y\" entry 2 must be an integer"},
      {[](json& p) { p["tutorial"] = "yes"; }, "\"tutorial\" must be true or false"},
      {[](json& p) { p["dims"] = {2, 1}; }, "needs three entries"},
      {[](json& p) { p["dims"][2] = 0; }, "entry 2 (Z) is 0"},
      {[](json& p) { p["dims"] = {2097152, 2097152, 2097152}; }, "block has more cells"},
      {[](json& p) { p["solution"] = "10110"; }, "has 5 characters, but a 2x1x3 block has 6 cells"},
      {[](json& p) { p["clues"]["x"] = {1, 1}; }, "clue list \"x\" has 2 entries, but a 2x1x3 block needs 3"},
      {[](json& p) { p["clues"].erase("z"); }, "no list \"z\""},
      {[](json& p) { p["clues"]["z"][0] = 30; }, "entry 0 is 30"},
      {[](json& p) { p["id"] = "../p"; }, "not a plain file name"},
      {[](json& p) { p = json::array(); }, "must hold a JSON object"},
  };
  for (const auto& c : cases) {
    const std::string message = refusal(c.change);
    EXPECT_THAT(message, HasSubstr(puzzlePath().string())) << c.fault;
    EXPECT_THAT(message, HasSubstr(c.fault));
  }
}

TEST_F(BrokenDefinitions, AcceptsWhatTheFormatAllows) {
  json p = puzzle;
  p["solution"] = "1ñ11éé";  // six characters, eight bytes
  p["clues"]["w"] = "ignored";
  p["clues"]["x"] = {-1, -2147483647, 29};
  writeFile(puzzlePath(), p.dump());
  const Puzzle loaded(Library::load(dir.path()).puzzles.at(0));
  EXPECT_EQ(loaded.cellCount(), 6);
  EXPECT_EQ(loaded.remainingToCarve(), 3);
}

TEST_F(BrokenDefinitions, TextTheJsonParserRejectsIsARefusalNamingTheFile) {
  const struct {
    std::string text;
    const char* fault;
  } cases[] = {
      {"{\n  \"id\": \"p\",\n  \"name\": {\"es\": \"P\"\n", "line 4"},
      // The parser reports these as out of range, not as syntax errors.
      {R"({"id": "p", "name": {}, "dims": [1e400, 1, 1], "solution": "1", "clues": {}})", "number overflow"},
      {R"({"id": "p", "dims": [-1e999]})", "number overflow"},
      {"{\"id\": \"\xff\xfe\"}", "invalid string"},
  };
  for (const auto& c : cases) {
    writeFile(puzzlePath(), c.text);
    try {
      Library::load(dir.path());
      ADD_FAILURE() << "loaded: " << c.text;
    } catch (const LoadError& error) {
      EXPECT_THAT(error.what(), HasSubstr(puzzlePath().string() + ": JSON"));
      EXPECT_THAT(error.what(), HasSubstr(c.fault));
    }
    EXPECT_THROW(Library::parsePuzzle(c.text, "p.json"), LoadError) << c.text;
  }
  EXPECT_THROW(Library::parseChapter(R"({"id": 1e400})", "chapter.json"), LoadError);
}

TEST_F(BrokenDefinitions, FilesFarLargerOrDeeperThanAPuzzleAreRefusedBeforeTheyCostMemory) {
  // Parsed whole, 15 MB of "[" took 14 s and 1.2 GB before the syntax error.
  const struct {
    std::string text;
    const char* fault;
  } cases[] = {
      {std::string(5u << 20, ' '), ": 5242880 bytes is too large"},
      {std::string(4u << 20, '['), ": JSON nested more than 16 levels deep"},
      {R"({"id": "p", "extra": )" + std::string(17, '[') + std::string(17, ']') + "}", ": JSON nested more than 16 levels"},
  };
  for (const auto& c : cases) {
    writeFile(puzzlePath(), c.text);
    try {
      Library::load(dir.path());
      ADD_FAILURE() << c.fault;
    } catch (const LoadError& error) {
      EXPECT_THAT(error.what(), HasSubstr(puzzlePath().string() + c.fault));
    }
  }
}

TEST_F(BrokenDefinitions, MissingFilesNameBothPlacesLookedAt) {
  try {
    Library::load(dir.path());
    FAIL() << "a chapter without its puzzle file loaded";
  } catch (const LoadError& error) {
    EXPECT_THAT(error.what(), HasSubstr((dir / "puzzles/p.json").string()));
    EXPECT_THAT(error.what(), HasSubstr((dir / "p.json").string()));
  }
}

TEST_F(BrokenDefinitions, AFolderThePlayerMayNotReadIsNamedAsSuch) {
  // Root reads every folder whatever its mode: the fault cannot arise.
  if (geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  writeFile(puzzlePath(), puzzle.dump());
  std::filesystem::permissions(dir.path(), std::filesystem::perms::none);
  std::string said;
  try {
    Library::load(dir.path());
  } catch (const LoadError& error) {
    said = error.what();
  }
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
  EXPECT_THAT(said, HasSubstr(dir.path().string() + ": cannot be read (Permission denied)"));
}

TEST_F(BrokenDefinitions, ChapterFaultsAreRefusedToo) {
  writeFile(puzzlePath(), puzzle.dump());
  // Two blocks with one id would save their progress over each other.
  writeFile(dir / "puzzles/q.json", puzzle.dump());
  writeChapter(json{{"id", "c"}, {"name", {{"es", "C"}}}, {"puzzles", {"p", "q"}}});
  try {
    Library::load(dir.path());
    ADD_FAILURE() << "two puzzles with one id loaded";
  } catch (const LoadError& error) {
    EXPECT_THAT(error.what(), HasSubstr("q.json: the id \"p\" is already used by"));
  }
  writeChapter(json{{"id", "c"}, {"name", {{"es", "C"}}}, {"puzzles", {"../../etc/passwd"}}});
  EXPECT_THROW(Library::load(dir.path()), LoadError);
  writeChapter(json{{"id", "c"}, {"name", {{"es", "C"}}}});
  EXPECT_THROW(Library::load(dir.path()), LoadError);
}

// A chapter of blocks as the game's limits allow them, with every cube
// figure and no clues; tests then push one limit a step too far.
class ChapterLimits : public ::testing::Test {
 protected:
  struct Block {
    std::string id;
    int X = 1, Y = 1, Z = 1;
  };

  void write(const std::vector<Block>& blocks) {
    json ids = json::array();
    for (const Block& b : blocks) {
      ids.push_back(b.id);
      const auto none = [](int n) { return std::vector<int>(static_cast<size_t>(n), -1); };
      writeFile(puzzlePath(b.id),
                json{{"id", b.id},
                     {"name", {{"es", b.id}}},
                     {"dims", {b.X, b.Y, b.Z}},
                     {"solution", std::string(static_cast<size_t>(b.X * b.Y * b.Z), '1')},
                     {"clues", {{"x", none(b.Y * b.Z)}, {"y", none(b.X * b.Z)}, {"z", none(b.X * b.Y)}}}}
                    .dump());
    }
    writeFile(dir / "puzzles/chapter.json", json{{"id", "c"}, {"name", {{"es", "C"}}}, {"puzzles", ids}}.dump());
  }
  std::filesystem::path puzzlePath(const std::string& id) const { return dir / "puzzles" / (id + ".json"); }

  // The load error for `blocks`; fails the test if they load.
  std::string refusal(const std::vector<Block>& blocks) {
    write(blocks);
    try {
      Library::load(dir.path());
    } catch (const LoadError& error) {
      return error.what();
    }
    ADD_FAILURE() << "loaded " << blocks.size() << " blocks";
    return {};
  }

  static std::vector<Block> many(int count, int X = 1, int Y = 1, int Z = 1) {
    std::vector<Block> blocks;
    for (int i = 0; i < count; ++i) blocks.push_back({"b" + std::to_string(i), X, Y, Z});
    return blocks;
  }

  TempDir dir;
};

TEST_F(ChapterLimits, TheLargestChapterLoadsAndOneBlockOrIdByteMoreDoesNot) {
  // As many blocks as allowed, the longest ids, the longest sides and nearly
  // every cube allowed: 24^3 + 24x3x24 + 14 x 24 = 15888.
  std::vector<Block> blocks = many(Library::kMaxChapterBlocks, 2, 3, 4);
  const int side = Library::kMaxSide;
  blocks[0] = {std::string(Library::kMaxIdBytes, 'a'), side, side, side};
  blocks[1] = {std::string(Library::kMaxIdBytes, 'b'), side, 3, side};
  write(blocks);
  const Chapter loaded = Library::load(dir.path());
  ASSERT_EQ(loaded.puzzles.size(), static_cast<size_t>(Library::kMaxChapterBlocks));
  EXPECT_EQ(loaded.puzzles[0].id.size(), Library::kMaxIdBytes);
  EXPECT_EQ(loaded.puzzles[0].dims, (std::vector<int>{24, 24, 24}));

  const std::string chapterFile = (dir / "puzzles/chapter.json").string();
  EXPECT_THAT(refusal(many(Library::kMaxChapterBlocks + 1)),
              HasSubstr(chapterFile + ": \"puzzles\" lists 17 blocks; a chapter holds at most 16"));
  blocks = many(2);
  blocks[1].id = std::string(Library::kMaxIdBytes + 1, 'x');
  EXPECT_THAT(refusal(blocks), HasSubstr(chapterFile + ": puzzle id of 65 bytes is too long (at most 64)"));
  // Parsed alone, as the fuzzer does, the chapter file is held to the same.
  EXPECT_THROW(Library::parseChapter(test::readFile(chapterFile), "chapter.json"), LoadError);
}

TEST_F(ChapterLimits, APuzzlePastALimitIsRefusedNamingItsFile) {
  std::vector<Block> blocks = many(3);
  blocks[1] = {"ancho", Library::kMaxSide + 1, 1, 1};
  EXPECT_THAT(refusal(blocks), HasSubstr(puzzlePath("ancho").string() +
                                         ": \"dims\" entry 0 (X) is 25; a block is at most 24 cubes a side"));
  blocks[1] = {"alto", 1, Library::kMaxSide + 1, 1};
  EXPECT_THAT(refusal(blocks), HasSubstr(puzzlePath("alto").string() + ": \"dims\" entry 1 (Y) is 25"));
  blocks[1] = {"hondo", 1, 1, Library::kMaxSide + 1};
  EXPECT_THAT(refusal(blocks), HasSubstr(puzzlePath("hondo").string() + ": \"dims\" entry 2 (Z) is 25"));

  // The cubes are counted over the chapter: the block that takes it past the
  // limit is named. Two blocks of 20x20x20 fill it exactly.
  blocks = many(2, 20, 20, 20);
  write(blocks);
  EXPECT_NO_THROW(Library::load(dir.path()));
  blocks.push_back({"uno", 1, 1, 1});
  EXPECT_THAT(refusal(blocks), HasSubstr(puzzlePath("uno").string() +
                                         ": its 1x1x1 block brings the chapter to 16001 cubes; a chapter holds "
                                         "at most 16000"));

  // A puzzle's own id, past the length of one.
  blocks = many(2);
  const std::string longId(Library::kMaxIdBytes + 1, 'x');
  write(blocks);
  json puzzle = json::parse(test::readFile(puzzlePath("b1")));
  puzzle["id"] = longId;
  writeFile(puzzlePath("b1"), puzzle.dump());
  try {
    Library::load(dir.path());
    ADD_FAILURE() << "a puzzle with a 65-byte id loaded";
  } catch (const LoadError& error) {
    EXPECT_THAT(error.what(), HasSubstr(puzzlePath("b1").string() + ": \"id\" of 65 bytes is too long (at most 64)"));
  }
}


TEST_F(BrokenDefinitions, TheChapterComesBackRefusedNamingTheFile) {
  writeFile(puzzlePath(), R"({"id": "p", "dims": [1e400]})");
  const Result<Chapter> loaded = Library::chapter(dir.path());
  ASSERT_FALSE(loaded.ok());
  EXPECT_THAT(loaded.why(), HasSubstr("cannot load the puzzles: "));
  EXPECT_THAT(loaded.why(), HasSubstr("p.json: JSON number overflow"));
}

}  // namespace
}  // namespace sorvel
