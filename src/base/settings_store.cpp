#include "base/settings_store.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <limits>
#include <sstream>
#include <system_error>

#include "base/atomic_file.hpp"
#include "base/json_depth.hpp"
#include "base/resources.hpp"

namespace sorvel {
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

std::string lowercase(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(first, last - first + 1));
}

// Text read as a number the way a settings store does: leading spaces and
// trailing junk are tolerated, no number at all reads as 0.
double leadingNumber(std::string_view text) {
  const std::string clean = trimmed(text);
  double value = 0;
  const char* begin = clean.data();
  const auto result = std::from_chars(begin, begin + clean.size(), value);
  if (result.ec != std::errc() || !std::isfinite(value)) return 0;
  return value;
}

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

std::string timestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

}  // namespace

SettingsText decodeSettings(std::string_view text) {
  if (!nestsWithin(text, kMaxDepth)) return {.problem = "it holds values nested deeper than saved progress ever is"};
  json parsed = json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (parsed.is_discarded()) return {.problem = "it is not valid JSON"};
  if (!parsed.is_object()) return {.problem = "it does not hold a JSON object"};
  return {.values = std::move(parsed)};
}

SettingsStore::Options defaultSettingsOptions() {
  return SettingsStore::Options{.file = userDataDir() / "settings.json"};
}

SettingsStore::SettingsStore(Options options) : options_(std::move(options)) {
  if (inMemoryOnly()) return;
  removeStaleTemporaries(options_.file, kStaleTemporaryAge);
  load();
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

void SettingsStore::report(const std::string& line) const {
  if (options_.say) {
    options_.say(line);
  } else {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
}

void SettingsStore::load() {
  std::error_code error;
  if (!fs::exists(options_.file, error)) return;
  if (fs::is_directory(options_.file, error)) {
    setAside("it cannot be read");
    return;
  }
  if (const auto bytes = fs::file_size(options_.file, error); !error && bytes > SettingsStore::kMaxFileBytes) {
    setAside("it is " + std::to_string(bytes) + " bytes, far more than saved progress takes");
    return;
  }
  std::ifstream in(options_.file, std::ios::binary);
  std::stringstream text;
  if (in) text << in.rdbuf();
  if (!in || in.bad()) {
    setAside("it cannot be read");
    return;
  }
  SettingsText decoded = decodeSettings(text.str());
  if (!decoded.problem.empty()) {
    setAside(decoded.problem);
  } else {
    values_ = std::move(decoded.values);
  }
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

void SettingsStore::setArguments(ArgumentLayer arguments) {
  std::lock_guard lock(mutex_);
  arguments_ = std::move(arguments);
}

std::optional<json> SettingsStore::lookup(std::string_view key) const {
  std::lock_guard lock(mutex_);
  if (auto argument = arguments_.find(key); argument != arguments_.end()) {
    return json(argument->second);
  }
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
    const std::string text = lowercase(trimmed(value->get<std::string>()));
    return text == "yes" || text == "true" || leadingNumber(text) != 0;
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

void SettingsStore::removeAll() {
  std::unique_lock lock(mutex_);
  // Let a write in flight finish first, or it could bring the file back.
  waitForWrites(lock);
  values_ = json::object();
  writable_ = true;  // the player asked for a clean slate, damaged file or not
  if (inMemoryOnly()) return;
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
    const bool writable = writable_;
    const std::string text = writable ? values_.dump(1, '\t', false, json::error_handler_t::replace) + "\n" : std::string();
    lock.unlock();
    std::string problem = writable ? writeFileAtomically(options_.file, text) : std::string();
    lock.lock();
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

}  // namespace sorvel
