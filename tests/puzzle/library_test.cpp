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

TEST_F(BrokenDefinitions, TheGameStopsWithStatusOneNamingTheFile) {
  writeFile(puzzlePath(), R"({"id": "p", "dims": [1e400]})");
  const std::string folder = dir.path().string();
  EXPECT_EXIT(
      {
        setenv("SORVEL_RESOURCES", folder.c_str(), 1);
        Library::chapter();
      },
      ::testing::ExitedWithCode(1), "p\\.json: JSON number overflow");
}

}  // namespace
}  // namespace sorvel
