#include "base/settings_store.hpp"

#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "base/atomic_file.hpp"
#include "base/resources.hpp"
#include "base/setting_text.hpp"
#include "base/shallow_json.hpp"
#include "base/small_file.hpp"

namespace sorvel {
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

std::int64_t clampToInteger(double value) {
  if (std::isnan(value)) return 0;
  constexpr double low = static_cast<double>(std::numeric_limits<std::int64_t>::min());
  constexpr double high = static_cast<double>(std::numeric_limits<std::int64_t>::max());
  if (value <= low) return std::numeric_limits<std::int64_t>::min();
  if (value >= high) return std::numeric_limits<std::int64_t>::max();
  return static_cast<std::int64_t>(value);
}

// A temporary file of an earlier save this old was left by a run that died
// mid-write; a live writer holds its file for milliseconds.
constexpr std::chrono::minutes kStaleTemporaryAge{5};

// The store writes one object whose values are scalars or lists of
// scalars; anything nested deeper was not written by it.
constexpr int kMaxDepth = 2;

// Every game, still and film on one progress file takes this lock around
// each read-modify-write, so none of them writes over a key another saved.
// The lock lives in a file of its own: the progress file is replaced by a
// rename at every save, and a lock on it would be on the old one.
class ProgressLock {
 public:
  // Reading needs no folder made for the lock: where there is none, there
  // is no file to read either.
  enum class Folder { make, mustExist };
  explicit ProgressLock(const fs::path& file, Folder folder = Folder::make) {
    fs::path lockFile = file;
    lockFile += ".lock";
    std::error_code error;
    if (folder == Folder::make) fs::create_directories(file.parent_path(), error);
    fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600);
    // Without it (a read-only folder) the save fails on its own anyway.
    if (fd_ < 0) return;
    while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~ProgressLock() {
    if (fd_ >= 0) ::close(fd_);  // and with it the lock
  }
  ProgressLock(const ProgressLock&) = delete;
  ProgressLock& operator=(const ProgressLock&) = delete;

 private:
  int fd_ = -1;
};

std::string timestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

}  // namespace

Result<json> decodeSettings(std::string_view text) {
  return readShallowObject(text, kMaxDepth, "it holds values nested deeper than saved progress ever is");
}

SettingsStore::Options defaultSettingsOptions() {
  return SettingsStore::Options{.file = userDataDir() / "settings.json"};
}

SettingsStore::SettingsStore(Options options) : options_(std::move(options)) {
  if (inMemoryOnly()) return;
  removeStaleTemporaries(options_.file, kStaleTemporaryAge);
  {
    // A file set aside as damaged must be the one read, not a good one
    // another game saved meanwhile.
    const ProgressLock locked(options_.file, ProgressLock::Folder::mustExist);
    load();
  }
  writer_ = std::thread([this] { writerLoop(); });
}

SettingsStore::~SettingsStore() {
  if (!writer_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  writer_.join();
}

void SettingsStore::report(const std::string& line) const { options_.say(line); }

void SettingsStore::load() {
  const SmallFile file = readSmallFile(options_.file, kMaxFileBytes);
  switch (file.status) {
    case SmallFile::Status::missing:
      return;
    case SmallFile::Status::notRegular:
      setAside("it is not a regular file");
      return;
    case SmallFile::Status::tooLarge:
      setAside("it is " + std::to_string(file.size) + " bytes, far more than saved progress takes");
      return;
    case SmallFile::Status::unreadable:
      setAside("it cannot be read: " + file.reason);
      return;
    case SmallFile::Status::read:
      break;
  }
  Result<json> decoded = decodeSettings(file.text);
  if (!decoded) {
    setAside(decoded.why());
    return;
  }
  values_ = std::move(*decoded);
}

void SettingsStore::setAside(const std::string& why) {
  fs::path aside = options_.file;
  aside += ".damaged-" + timestamp();
  std::error_code error;
  for (int n = 2; fs::exists(aside, error); ++n) {
    aside = options_.file;
    aside += ".damaged-" + timestamp() + "-" + std::to_string(n);
  }
  fs::rename(options_.file, aside, error);
  if (error) {
    writable_ = false;
    report("settings: " + options_.file.string() + " is damaged (" + why +
           ") and could not be moved aside (" + error.message() +
           "); starting without saved progress, and this session's progress will not be saved");
    return;
  }
  report("settings: " + options_.file.string() + " is damaged (" + why + "); moved it to " +
         aside.string() + " and started without saved progress");
}

std::optional<json> SettingsStore::lookup(std::string_view key) const {
  std::lock_guard lock(mutex_);
  if (auto stored = values_.find(key); stored != values_.end()) return *stored;
  return std::nullopt;
}

bool SettingsStore::contains(std::string_view key) const { return lookup(key).has_value(); }

std::optional<std::string> SettingsStore::string(std::string_view key) const {
  const auto value = lookup(key);
  if (!value) return std::nullopt;
  if (value->is_string()) return value->get<std::string>();
  if (value->is_boolean()) return value->get<bool>() ? "1" : "0";
  if (value->is_number()) return value->dump();
  return std::nullopt;
}

std::int64_t SettingsStore::integer(std::string_view key) const {
  const auto value = lookup(key);
  if (!value) return 0;
  if (value->is_number_integer()) return value->get<std::int64_t>();
  if (value->is_number_unsigned()) {
    return clampToInteger(static_cast<double>(value->get<std::uint64_t>()));
  }
  if (value->is_number_float()) return clampToInteger(value->get<double>());
  if (value->is_boolean()) return value->get<bool>() ? 1 : 0;
  if (value->is_string()) return clampToInteger(leadingNumber(value->get<std::string>()));
  return 0;
}

double SettingsStore::number(std::string_view key) const {
  const auto value = lookup(key);
  if (!value) return 0;
  if (value->is_number()) return value->get<double>();
  if (value->is_boolean()) return value->get<bool>() ? 1 : 0;
  if (value->is_string()) return leadingNumber(value->get<std::string>());
  return 0;
}

bool SettingsStore::boolean(std::string_view key) const {
  const auto value = lookup(key);
  if (!value) return false;
  if (value->is_boolean()) return value->get<bool>();
  if (value->is_number()) return value->get<double>() != 0;
  if (value->is_string()) {
    return meansYes(value->get<std::string>());
  }
  return false;
}

std::optional<std::vector<std::string>> SettingsStore::stringList(std::string_view key) const {
  const auto value = lookup(key);
  if (!value || !value->is_array()) return std::nullopt;
  std::vector<std::string> list;
  list.reserve(value->size());
  for (const json& item : *value) {
    if (!item.is_string()) return std::nullopt;
    list.push_back(item.get<std::string>());
  }
  return list;
}

void SettingsStore::put(std::string_view key, json value) {
  {
    std::lock_guard lock(mutex_);
    values_[std::string(key)] = std::move(value);
    if (inMemoryOnly()) return;  // nothing will ever be waiting for the disk
    changed_.insert(std::string(key));
    ++version_;
  }
  wake_.notify_one();
}

void SettingsStore::setString(std::string_view key, std::string value) { put(key, std::move(value)); }
void SettingsStore::setInteger(std::string_view key, std::int64_t value) { put(key, value); }
void SettingsStore::setNumber(std::string_view key, double value) {
  // JSON has no NaN or infinity; a store that wrote them could not read itself back.
  put(key, std::isfinite(value) ? value : 0.0);
}
void SettingsStore::setBoolean(std::string_view key, bool value) { put(key, value); }
void SettingsStore::setStringList(std::string_view key, std::vector<std::string> value) {
  put(key, std::move(value));
}

void SettingsStore::forget(const std::string& key) {
  values_.erase(key);
  if (inMemoryOnly()) return;
  // Recorded even when this store never held the key: another game may
  // have saved it meanwhile, and it must not come back from the file.
  changed_.insert(key);
  ++version_;
}

void SettingsStore::remove(std::string_view key) {
  {
    std::lock_guard lock(mutex_);
    forget(std::string(key));
  }
  wake_.notify_one();
}

void SettingsStore::removeIf(const std::function<bool(std::string_view key)>& doomed) {
  {
    std::lock_guard lock(mutex_);
    std::vector<std::string> keys;
    for (const auto& [key, value] : values_.items()) {
      if (doomed(key)) keys.push_back(key);
    }
    for (const std::string& key : keys) forget(key);
  }
  wake_.notify_one();
}

void SettingsStore::removeAll() {
  {
    std::unique_lock lock(mutex_);
    // Let a write in flight finish first, or it could bring the file back.
    waitForWrites(lock);
    if (inMemoryOnly()) {
      values_ = json::object();
      return;
    }
  }
  // Other games on this file finish their saves first. Each of them saves
  // only the keys it changed, so what this removes stays removed.
  const ProgressLock locked(options_.file);
  std::lock_guard lock(mutex_);
  values_ = json::object();
  changed_.clear();
  writable_ = true;  // the player asked for a clean slate, damaged file or not
  std::error_code error;
  fs::remove(options_.file, error);
  if (error) report("settings: cannot remove " + options_.file.string() + ": " + error.message());
}

void SettingsStore::waitForWrites(std::unique_lock<std::mutex>& lock) {
  ++flushWaiters_;
  wake_.notify_one();
  written_.wait(lock, [this] { return writtenVersion_ == version_; });
  --flushWaiters_;
}

void SettingsStore::flush() {
  std::unique_lock lock(mutex_);
  waitForWrites(lock);
}

void SettingsStore::writerLoop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || version_ != writtenVersion_; });
    if (version_ == writtenVersion_) return;  // stopping with nothing left to write
    if (!stopping_ && options_.coalesce.count() > 0) {
      // Gather the rest of this burst (one action writes several keys).
      wake_.wait_for(lock, options_.coalesce, [this] { return stopping_ || flushWaiters_ > 0; });
    }
    const std::uint64_t version = version_;
    std::string problem;
    if (writable_) {
      json changes = json::object();
      std::vector<std::string> removed;
      for (const std::string& key : changed_) {
        if (const auto value = values_.find(key); value != values_.end()) {
          changes[key] = *value;
        } else {
          removed.push_back(key);
        }
      }
      changed_.clear();
      lock.unlock();
      problem = save(changes, removed);
      lock.lock();
      // Tried again with the next save; a key set or removed meanwhile is in
      // changed_ already, and keeps its newer value.
      if (!problem.empty()) {
        for (const auto& [key, value] : changes.items()) changed_.insert(key);
        changed_.insert(removed.begin(), removed.end());
      }
    }
    writtenVersion_ = version;
    if (!problem.empty() && !reportedWriteFailure_) {
      reportedWriteFailure_ = true;
      lock.unlock();
      report("settings: cannot save progress (" + problem +
             "); the game goes on, but progress from now on may not be kept");
      lock.lock();
    }
    written_.notify_all();
  }
}

std::string SettingsStore::save(const json& changes, const std::vector<std::string>& removed) {
  const ProgressLock locked(options_.file);
  // Another game, or a reset, may have saved since: their keys are kept,
  // ours written over them. Read afresh every time: a few kilobytes, where
  // a file's times and inode could not tell every change apart.
  json merged;
  {
    std::lock_guard lock(mutex_);
    merged = readForMerge();
  }
  for (const auto& [key, value] : changes.items()) merged[key] = value;
  for (const std::string& key : removed) merged.erase(key);
  const std::string text = merged.dump(1, '\t', false, json::error_handler_t::replace) + "\n";
  if (const Result<void> written = writeFileAtomically(options_.file, text); !written) return written.why();

  std::lock_guard lock(mutex_);
  // What the others saved is seen here too; keys changed meanwhile in this
  // game keep their newer values, or stay gone.
  for (const std::string& key : changed_) {
    if (const auto mine = values_.find(key); mine != values_.end()) {
      merged[key] = *mine;
    } else {
      merged.erase(key);
    }
  }
  values_ = std::move(merged);
  return {};
}

json SettingsStore::readForMerge() {
  const SmallFile file = readSmallFile(options_.file, kMaxFileBytes);
  if (file.status == SmallFile::Status::missing) return json::object();  // removed by a reset
  if (file.status == SmallFile::Status::read) {
    Result<json> decoded = decodeSettings(file.text);
    if (decoded) return std::move(*decoded);
  }
  // Damaged while this game ran, by something else: nothing in it can be
  // read back, and what this game knew stands in for it.
  return values_;
}

}  // namespace sorvel
