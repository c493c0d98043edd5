#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "base/message_sink.hpp"
#include "base/result.hpp"

namespace sorvel {

// The per-user key-value store that holds progress. Reads and writes are
// typed; a missing key reads as 0, false or nothing. Writes land in memory at
// once and reach the disk from a background thread, atomically, so the game
// never waits on the disk and a crash leaves the old file or the new one.
// Any number of games may share the file: each save, under a lock, reads
// what the others saved and writes only the keys this game changed over it.
class SettingsStore {
 public:
  struct Options {
    // Empty: the store lives in memory only, reading and writing no file
    // (captures, which must leave saved progress alone).
    std::filesystem::path file;
    // Writes arriving within this time of each other go to disk together.
    std::chrono::milliseconds coalesce{20};
    // Where the store reports trouble (a set-aside file, a folder it cannot
    // write).
    MessageSink say = linesTo(stdout);
  };

  // Saved progress takes a few kilobytes a chapter; a file larger than this
  // was not written by the store, and reading it would only cost memory.
  static constexpr std::uintmax_t kMaxFileBytes = 8u << 20;

  explicit SettingsStore(Options options);
  ~SettingsStore();  // flushes
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  bool contains(std::string_view key) const;
  std::optional<std::string> string(std::string_view key) const;
  std::int64_t integer(std::string_view key) const;
  double number(std::string_view key) const;
  bool boolean(std::string_view key) const;
  // Nothing unless the entry is a list whose every element is a string.
  std::optional<std::vector<std::string>> stringList(std::string_view key) const;
  // The entry as it was stored, whatever its type: for readers that must tell
  // a missing value from one of the wrong kind.
  std::optional<nlohmann::json> entry(std::string_view key) const { return lookup(key); }

  void setString(std::string_view key, std::string value);
  void setInteger(std::string_view key, std::int64_t value);
  void setNumber(std::string_view key, double value);
  void setBoolean(std::string_view key, bool value);
  void setStringList(std::string_view key, std::vector<std::string> value);

  // Forgets `key` here and, at the next save, in the file too, whatever
  // another game saved under it meanwhile. A missing key is no error.
  void remove(std::string_view key);
  // Removes, as remove() does, every key held here for which `doomed` is
  // true. It is asked under the store's lock: it must not use the store.
  void removeIf(const std::function<bool(std::string_view key)>& doomed);
  // Forgets every stored entry and deletes the file (the reset option).
  void removeAll();

  // Blocks until every write made so far is on disk (or has failed).
  void flush();

  const std::filesystem::path& file() const { return options_.file; }

 private:
  bool inMemoryOnly() const { return options_.file.empty(); }
  void load();
  void setAside(const std::string& why);
  void put(std::string_view key, nlohmann::json value);
  // Under the lock: forgets `key` here, and remembers to remove it on disk.
  void forget(const std::string& key);
  std::optional<nlohmann::json> lookup(std::string_view key) const;
  void writerLoop();
  // Writes `changes` over what is on disk now, without the keys in
  // `removed`; empty, or why it failed.
  std::string save(const nlohmann::json& changes, const std::vector<std::string>& removed);
  nlohmann::json readForMerge();
  void waitForWrites(std::unique_lock<std::mutex>& lock);
  void report(const std::string& line) const;

  Options options_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable written_;
  nlohmann::json values_ = nlohmann::json::object();
  // Keys changed here since the last save; one no longer in values_ was
  // removed, and goes from the file too.
  std::set<std::string> changed_;
  std::uint64_t version_ = 0;
  std::uint64_t writtenVersion_ = 0;
  bool stopping_ = false;
  int flushWaiters_ = 0;  // a waiting flush cuts the coalescing short
  // False when a damaged file could not be moved out of the way: writing over
  // it would destroy the player's only copy.
  bool writable_ = true;
  bool reportedWriteFailure_ = false;
  std::thread writer_;
};

// A settings file's text, checked as the store loads it: an object the store
// can use, or why the file must be set aside.
Result<nlohmann::json> decodeSettings(std::string_view text);

// The store for this user, at userDataDir()/settings.json.
SettingsStore::Options defaultSettingsOptions();

}  // namespace sorvel
