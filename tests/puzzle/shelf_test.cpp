// The shelf: the game's chapters in their order, the player's beside them,
// and every way a chapter can fail to join it.
#include "puzzle/shelf.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "puzzle/library.hpp"
#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::writeFile;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A chapter folder of one-cube puzzles.
void writeChapter(const fs::path& folder, const std::string& id, const std::vector<std::string>& puzzles) {
  writeFile(folder / "puzzles/chapter.json", json{{"id", id}, {"name", {{"es", "El " + id}}}, {"puzzles", puzzles}}.dump());
  for (const std::string& puzzle : puzzles) {
    writeFile(folder / "puzzles" / (puzzle + ".json"),
              json{{"id", puzzle}, {"name", {{"es", puzzle}}}, {"dims", {1, 1, 1}}, {"solution", "1"},
                   {"clues", {{"x", {1}}, {"y", {1}}, {"z", {1}}}}}
                  .dump());
  }
}

std::vector<std::string> ids(const Shelf& shelf) {
  std::vector<std::string> out;
  for (const Chapter& chapter : shelf.chapters) out.push_back(chapter.chapter.id);
  return out;
}

class ShelfLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    writeChapter(resources, "costa", {"banco", "barquita"});
    writeChapter(resources / "chapters/03-circo", "circo", {"payaso"});
    writeChapter(resources / "chapters/02-bosque", "bosque", {"ardilla", "buho"});
  }
  ShelfPlaces places() const { return {.resources = resources, .playerChapters = player}; }
  std::string failure(const ShelfPlaces& from) const {
    try {
      Library::loadShelf(from);
    } catch (const LoadError& error) {
      return error.what();
    }
    return "loaded";
  }

  test::TempDir dir;
  fs::path resources = dir / "resources";
  fs::path player = dir / "player";
};

TEST_F(ShelfLoad, TheGamesChaptersComeInFolderOrderThenTheTriedOneThenThePlayers) {
  writeChapter(player / "b-mio", "mio", {"cometa"});
  writeChapter(player / "a-tuyo", "tuyo", {"peonza"});
  writeFile(player / "LEEME.txt", "not a chapter");
  writeChapter(player / ".oculto", "oculto", {"nada"});
  writeChapter(dir / "probando", "prueba", {"dado"});
  ShelfPlaces from = places();
  from.tryChapter = dir / "probando";
  const Shelf shelf = Library::loadShelf(from);
  EXPECT_THAT(ids(shelf), ElementsAre("costa", "bosque", "circo", "prueba", "tuyo", "mio"));
  EXPECT_EQ(shelf.tried, 3u);
  EXPECT_TRUE(shelf.notes.empty());
  EXPECT_TRUE(shelf.chapters[2].shipped);
  EXPECT_FALSE(shelf.chapters[3].shipped);
  EXPECT_FALSE(shelf.chapters[5].shipped);
  EXPECT_EQ(shelf.chapters[1].folder, resources / "chapters/02-bosque");
  EXPECT_EQ(shelf.chapters[1].puzzles.at(1).id, "buho");

  // Without a tried chapter the mark stands past the end; without the
  // player's folder only the game's chapters load.
  const Shelf shipped = Library::loadShelf({.resources = resources, .playerChapters = dir / "nowhere"});
  EXPECT_THAT(ids(shipped), ElementsAre("costa", "bosque", "circo"));
  EXPECT_EQ(shipped.tried, 3u);
  EXPECT_TRUE(shipped.notes.empty());
}

TEST_F(ShelfLoad, APlayersBrokenOrClashingChapterIsLeftOffNamingTheFileAndTheRestLoad) {
  writeChapter(player / "1-roto", "roto", {"pieza"});
  writeFile(player / "1-roto/puzzles/pieza.json", "{\"id\": ");
  writeChapter(player / "2-copia", "copia", {"propia", "banco"});
  writeChapter(player / "3-costa", "costa", {"otra"});
  writeChapter(player / "4-vacio", "vacio", {});
  writeChapter(player / "5-bueno", "bueno", {"trompo"});
  const Shelf shelf = Library::loadShelf(places());
  EXPECT_THAT(ids(shelf), ElementsAre("costa", "bosque", "circo", "bueno"));
  ASSERT_EQ(shelf.notes.size(), 4u);
  EXPECT_THAT(shelf.notes[0], HasSubstr((player / "1-roto/puzzles/pieza.json").string() + ": JSON"));
  // A clash names both files: the one left off and the one that holds the id.
  EXPECT_THAT(shelf.notes[1], HasSubstr((player / "2-copia/puzzles/banco.json").string() + ": the id \"banco\" is "
                                        "already used by " + (resources / "puzzles/banco.json").string()));
  EXPECT_THAT(shelf.notes[2], HasSubstr("the chapter id \"costa\" is already used by " +
                                        (resources / "puzzles/chapter.json").string()));
  EXPECT_THAT(shelf.notes[3], HasSubstr("4-vacio/puzzles/chapter.json: lists no puzzles"));
  for (const std::string& note : shelf.notes) EXPECT_THAT(note, HasSubstr("left off the shelf"));
}

TEST_F(ShelfLoad, TheGamesOwnChaptersAndTheTriedOneMustLoad) {
  // A clash between two of the game's chapters names both files.
  writeChapter(resources / "chapters/04-copia", "copia", {"ardilla"});
  EXPECT_THAT(failure(places()), HasSubstr((resources / "chapters/04-copia/puzzles/ardilla.json").string() +
                                           ": the id \"ardilla\" is already used by " +
                                           (resources / "chapters/02-bosque/puzzles/ardilla.json").string()));
  fs::remove_all(resources / "chapters/04-copia");
  writeFile(resources / "chapters/02-bosque/puzzles/buho.json", "[]");
  EXPECT_THAT(failure(places()), HasSubstr("02-bosque/puzzles/buho.json: must hold a JSON object"));
  writeChapter(resources / "chapters/02-bosque", "bosque", {"ardilla", "buho"});

  ShelfPlaces from = places();
  from.tryChapter = dir / "no-such-folder";
  EXPECT_THAT(failure(from), HasSubstr("chapter file \"chapter\" not found: looked for " +
                                       (dir / "no-such-folder/puzzles/chapter.json").string()));
  writeChapter(dir / "probando", "prueba", {"payaso"});
  from.tryChapter = dir / "probando";
  EXPECT_THAT(failure(from), HasSubstr("the id \"payaso\" is already used by"));
}

TEST_F(ShelfLoad, AChapterTriedFromThePlayersFolderIsOnTheShelfOnce) {
  writeChapter(player / "mio", "mio", {"cometa"});
  ShelfPlaces from = places();
  from.tryChapter = player / "mio";
  const Shelf shelf = Library::loadShelf(from);
  EXPECT_THAT(ids(shelf), ElementsAre("costa", "bosque", "circo", "mio"));
  EXPECT_TRUE(shelf.notes.empty());
}

}  // namespace
}  // namespace sorvel
