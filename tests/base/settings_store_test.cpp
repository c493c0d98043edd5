#include "base/settings_store.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "support/temp_dir.hpp"

namespace sorvel {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;
using ::testing::HasSubstr;

class Settings : public ::testing::Test {
 protected:
  SettingsStore::Options options() {
    return {.file = dir / "data/settings.json",
            .coalesce = std::chrono::milliseconds(0),
            .say = [this](const std::string& line) { said.push_back(line); }};
  }
  nlohmann::json onDisk() { return nlohmann::json::parse(readFile(dir / "data/settings.json")); }

  TempDir dir;
  std::vector<std::string> said;
};

TEST_F(Settings, TypedValuesSurviveARestart) {
  {
    SettingsStore store(options());
    store.setString("sorvel.state.a", "0120");
    store.setInteger("sorvel.mistakes.a", 3);
    store.setNumber("sorvel.time.a", 12.625);
    store.setBoolean("sorvel.launched", true);
    store.setStringList("sorvel.solved", {"a", "b"});
    store.setNumber("nan", std::nan(""));  // JSON cannot hold it; the file must stay readable
    store.setString("bytes", "\xff");     // nor can it hold broken UTF-8
  }
  SettingsStore store(options());
  EXPECT_TRUE(said.empty());
  EXPECT_EQ(store.number("nan"), 0.0);
  EXPECT_TRUE(store.string("bytes").has_value());
  EXPECT_EQ(store.integer("missing"), 0);
  EXPECT_FALSE(store.boolean("missing"));
  EXPECT_EQ(store.string("missing"), std::nullopt);
  EXPECT_EQ(store.string("sorvel.state.a"), "0120");
  EXPECT_EQ(store.integer("sorvel.mistakes.a"), 3);
  EXPECT_EQ(store.number("sorvel.time.a"), 12.625);
  EXPECT_TRUE(store.boolean("sorvel.launched"));
  EXPECT_EQ(store.stringList("sorvel.solved"), (std::vector<std::string>{"a", "b"}));
  // Writes replace whatever type was there before.
  store.setInteger("sorvel.solved", 1);
  EXPECT_EQ(store.stringList("sorvel.solved"), std::nullopt);
}

TEST_F(Settings, ReadsConvertBetweenTypesLikeASettingsStore) {
  writeFile(dir / "data/settings.json",
            R"({"mixed": [1, "a"], "text": "42.9 apples", "flag": true, "real": 2.75})");
  SettingsStore store(options());
  EXPECT_EQ(store.stringList("mixed"), std::nullopt);
  EXPECT_EQ(store.integer("text"), 42);
  EXPECT_EQ(store.integer("flag"), 1);
  EXPECT_EQ(store.integer("real"), 2);
  EXPECT_EQ(store.string("real"), "2.75");
}

TEST_F(Settings, TextReadsAsYesOrNoAsTheCommandLineDoes) {
  SettingsStore store(options());
  const std::pair<const char*, const char*> texts[] = {{"a", "YES"}, {"b", "true"}, {"c", "1"}, {"d", " yes "},
                                                       {"e", "TRUE"}, {"f", "no"},   {"g", "0"}, {"h", ""},
                                                       {"i", "nope"}, {"j", "0.5 apples"}};
  for (const auto& [key, text] : texts) store.setString(key, text);
  for (const char* yes : {"a", "b", "c", "d", "e", "j"}) EXPECT_TRUE(store.boolean(yes)) << yes;
  for (const char* no : {"f", "g", "h", "i"}) EXPECT_FALSE(store.boolean(no)) << no;
}

TEST_F(Settings, RemoveAllDeletesTheFile) {
  SettingsStore store(options());
  store.setInteger("sorvel.mistakes.a", 2);
  store.flush();
  ASSERT_TRUE(std::filesystem::exists(dir / "data/settings.json"));
  store.removeAll();
  EXPECT_FALSE(std::filesystem::exists(dir / "data/settings.json"));
  EXPECT_FALSE(store.contains("sorvel.mistakes.a"));
  store.setBoolean("sorvel.launched", true);
  store.flush();
  EXPECT_EQ(onDisk(), nlohmann::json({{"sorvel.launched", true}}));
}

TEST_F(Settings, ARemovedKeyStaysGoneFromTheFileAndAfterAReopen) {
  {
    SettingsStore store(options());
    store.setInteger("sorvel.mistakes.a", 2);
    store.setBoolean("sorvel.launched", true);
    store.flush();
    store.remove("sorvel.mistakes.a");
    EXPECT_FALSE(store.contains("sorvel.mistakes.a"));
    store.flush();
    EXPECT_EQ(onDisk(), nlohmann::json({{"sorvel.launched", true}}));
    // Set again after a removal, the newer value is the one kept.
    store.remove("sorvel.launched");
    store.setBoolean("sorvel.launched", false);
  }
  SettingsStore store(options());
  EXPECT_FALSE(store.contains("sorvel.mistakes.a"));
  EXPECT_TRUE(store.contains("sorvel.launched"));
  EXPECT_FALSE(store.boolean("sorvel.launched"));
  EXPECT_TRUE(said.empty());
}

TEST_F(Settings, RemovingKeepsWhatAnotherGameSavedAndRemovesWhatItSavedUnderTheKey) {
  SettingsStore running(options());
  running.setInteger("sorvel.mistakes.a", 1);
  running.setInteger("sorvel.mistakes.b", 1);
  running.flush();
  {
    SettingsStore other(options());
    other.setInteger("sorvel.mistakes.c", 3);
    other.setInteger("sorvel.mistakes.a", 5);  // unseen by the running game
  }
  running.remove("sorvel.mistakes.a");
  running.remove("sorvel.mistakes.b");
  running.flush();
  EXPECT_EQ(onDisk(), nlohmann::json({{"sorvel.mistakes.c", 3}}));
  EXPECT_EQ(running.integer("sorvel.mistakes.c"), 3);

  // A game that still holds a removed key in memory does not bring it back
  // by saving something else.
  SettingsStore stale(options());
  running.setInteger("sorvel.mistakes.d", 4);
  running.remove("sorvel.mistakes.c");
  running.flush();
  stale.setInteger("sorvel.mistakes.e", 6);
  stale.flush();
  EXPECT_EQ(onDisk(), nlohmann::json({{"sorvel.mistakes.d", 4}, {"sorvel.mistakes.e", 6}}));
}

TEST_F(Settings, RemovingAMissingKeyIsHarmless) {
  {
    SettingsStore store(options());
    store.remove("sorvel.never");
    store.flush();
    store.setInteger("sorvel.mistakes.a", 1);
    store.remove("sorvel.never");
  }
  EXPECT_EQ(onDisk(), nlohmann::json({{"sorvel.mistakes.a", 1}}));
  EXPECT_TRUE(said.empty());

  SettingsStore inMemory({.say = [this](const std::string& l) { said.push_back(l); }});
  inMemory.setInteger("sorvel.mistakes.a", 1);
  inMemory.remove("sorvel.never");
  inMemory.remove("sorvel.mistakes.a");
  inMemory.flush();
  EXPECT_FALSE(inMemory.contains("sorvel.mistakes.a"));
}

TEST_F(Settings, RemoveIfRemovesOnlyTheKeysItIsAskedTo) {
  {
    SettingsStore store(options());
    for (const char* key : {"sorvel.prefs.volume", "sorvel.state.a", "sorvel.solved", "sorvel.prefs.full"}) {
      store.setInteger(key, 1);
    }
    std::vector<std::string> asked;
    store.removeIf([&asked](std::string_view key) {
      asked.emplace_back(key);
      return !key.starts_with("sorvel.prefs.");
    });
    EXPECT_EQ(asked.size(), 4u) << "every key is asked about once";
    EXPECT_FALSE(store.contains("sorvel.state.a"));
    EXPECT_TRUE(store.contains("sorvel.prefs.volume"));
  }
  EXPECT_EQ(onDisk(), nlohmann::json({{"sorvel.prefs.volume", 1}, {"sorvel.prefs.full", 1}}));
}

TEST_F(Settings, ADamagedFileIsSetAsideAndTheGameStartsEmpty) {
  for (const char* damaged : {"{\"sorvel.launched\": tru", "[1, 2]", ""}) {
    TempDir fresh;
    const auto file = fresh / "settings.json";
    writeFile(file, damaged);
    said.clear();
    {
      SettingsStore store({.file = file, .say = [this](const std::string& l) { said.push_back(l); }});
      EXPECT_FALSE(store.contains("sorvel.launched"));
      store.setBoolean("sorvel.launched", true);
    }
    ASSERT_EQ(said.size(), 1u) << damaged;
    EXPECT_THAT(said[0], HasSubstr(file.string()));
    // The damaged bytes are kept beside it, untouched.
    int asideCount = 0;
    for (const auto& entry : std::filesystem::directory_iterator(fresh.path())) {
      if (entry.path().filename().string().starts_with("settings.json.damaged-")) {
        ++asideCount;
        EXPECT_EQ(readFile(entry.path()), damaged);
        EXPECT_THAT(said[0], HasSubstr(entry.path().string()));
      }
    }
    EXPECT_EQ(asideCount, 1);
    EXPECT_EQ(nlohmann::json::parse(readFile(file)), nlohmann::json({{"sorvel.launched", true}}));
  }
}

TEST_F(Settings, FilesTheStoreNeverWritesAreSetAsideBeforeTheyCostAnything) {
  // 60,000 levels parse, but the serialiser recurses and overflowed the
  // writer thread's stack at the next save.
  const std::string deep = "{\"a\":" + std::string(60000, '[') + std::string(60000, ']') + "}";
  const struct {
    std::string text;
    const char* why;
  } cases[] = {
      {deep, "nested deeper"},
      {R"({"a": [[1]]})", "nested deeper"},
      {std::string(50u << 20, '['), "52428800 bytes"},
      {std::string(9u << 20, ' ') + "{}", "bytes, far more"},
      {R"({"a": 1e400})", "not valid JSON"},
  };
  for (const auto& c : cases) {
    TempDir fresh;
    const auto file = fresh / "settings.json";
    writeFile(file, c.text);
    said.clear();
    {
      SettingsStore store({.file = file, .say = [this](const std::string& l) { said.push_back(l); }});
      store.setBoolean("sorvel.launched", true);
    }
    ASSERT_EQ(said.size(), 1u) << c.why;
    EXPECT_THAT(said[0], HasSubstr(c.why));
    EXPECT_THAT(said[0], HasSubstr("moved it to"));
    EXPECT_EQ(nlohmann::json::parse(readFile(file)), nlohmann::json({{"sorvel.launched", true}})) << c.why;
  }
  EXPECT_TRUE(decodeSettings(R"({"a": [1, "b", null], "c": {"d": 1}})").ok());
}

TEST_F(Settings, AStoreWithNoFileNeitherReadsNorWritesOne) {
  writeFile(dir / "settings.json", "damaged");
  {
    SettingsStore store({.say = [this](const std::string& l) { said.push_back(l); }});
    store.setInteger("sorvel.mistakes.a", 2);
    store.flush();
    EXPECT_EQ(store.integer("sorvel.mistakes.a"), 2);
    store.removeAll();
    EXPECT_FALSE(store.contains("sorvel.mistakes.a"));
  }
  EXPECT_TRUE(said.empty());
  EXPECT_EQ(readFile(dir / "settings.json"), "damaged");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(Settings, AnUnwritableFolderIsReportedOnceAndPlayGoesOn) {
  writeFile(dir / "not-a-folder", "x");
  SettingsStore store({.file = dir / "not-a-folder/sorvel/settings.json",
                       .coalesce = std::chrono::milliseconds(0),
                       .say = [this](const std::string& line) { said.push_back(line); }});
  for (int i = 0; i < 5; ++i) {
    store.setInteger("sorvel.mistakes.a", i);
    store.flush();
  }
  EXPECT_EQ(store.integer("sorvel.mistakes.a"), 4);
  ASSERT_EQ(said.size(), 1u);
  EXPECT_THAT(said[0], HasSubstr("cannot save progress"));
  EXPECT_THAT(said[0], HasSubstr("not-a-folder"));
}

// Two games on one progress file, as separate processes: each saves its own
// keys many times, interleaved with the other's saves.
TEST_F(Settings, GamesSharingTheFileKeepEveryKeyTheOthersSaved) {
  constexpr int kKeys = 150;
  const auto file = dir / "data/settings.json";
  std::vector<pid_t> games;
  for (const char* name : {"a", "b"}) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      {
        SettingsStore store({.file = file, .coalesce = std::chrono::milliseconds(0), .say = [](auto&) {}});
        for (int i = 0; i < kKeys; ++i) {
          store.setInteger(std::string("sorvel.mistakes.") + name + std::to_string(i), i);
          store.flush();
        }
      }
      _exit(0);
    }
    games.push_back(pid);
  }
  for (const pid_t pid : games) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const nlohmann::json saved = onDisk();
  EXPECT_EQ(saved.size(), 2u * kKeys) << "keys lost between two games saving " << kKeys << " times each";
  for (const char* name : {"a", "b"}) {
    for (int i = 0; i < kKeys; ++i) {
      EXPECT_EQ(saved.value(std::string("sorvel.mistakes.") + name + std::to_string(i), -1), i) << name << i;
    }
  }
}

TEST_F(Settings, AResetWinsOverAGameStartedBeforeIt) {
  SettingsStore running(options());
  running.setInteger("sorvel.mistakes.old", 3);
  running.flush();
  {
    SettingsStore resetting(options());
    resetting.removeAll();
  }
  // The running game saves again: only what it changed since comes back.
  running.setInteger("sorvel.mistakes.new", 1);
  running.flush();
  EXPECT_EQ(onDisk(), nlohmann::json({{"sorvel.mistakes.new", 1}}));
  EXPECT_FALSE(running.contains("sorvel.mistakes.old")) << "it still believes in the removed progress";
  // And a store that saved nothing since the reset writes nothing back.
  SettingsStore later(options());
  EXPECT_EQ(later.integer("sorvel.mistakes.new"), 1);
}

TEST_F(Settings, ADeviceOrAPipeInPlaceOfTheFileIsSetAsideWithoutReadingIt) {
  const auto file = dir / "data/settings.json";
  std::filesystem::create_directories(file.parent_path());
  std::filesystem::create_symlink("/dev/zero", file);
  {
    SettingsStore store(options());
    store.setBoolean("sorvel.launched", true);
  }
  ASSERT_EQ(said.size(), 1u);
  EXPECT_THAT(said[0], HasSubstr("not a regular file"));
  EXPECT_EQ(onDisk(), nlohmann::json({{"sorvel.launched", true}}));

  // A FIFO would block the start until a writer came, with the interrupts
  // already masked.
  std::filesystem::remove(file);
  ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
  said.clear();
  {
    SettingsStore store(options());
    EXPECT_FALSE(store.contains("sorvel.launched"));
  }
  ASSERT_EQ(said.size(), 1u);
  EXPECT_THAT(said[0], HasSubstr("not a regular file"));
}

}  // namespace
}  // namespace sorvel
