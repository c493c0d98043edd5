#pragma once

#include <optional>
#include <string>
#include <utility>

namespace sorvel {

// Why something could not be used or done (a file, an option, the
// environment, the GPU), in words for the player that name what is at fault.
struct Reason {
  std::string text;
};

// A value, or the reason there is none. Whatever can fail on outside input
// or on what the system gives returns one of these, so every caller learns
// why in the same way.
template <class T>
class [[nodiscard]] Result {
 public:
  // Implicit, so that a function returns either as it is.
  Result(T value) : value_(std::move(value)) {}
  Result(Reason why) : why_(std::move(why.text)) {}

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }

  // Only when ok().
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }

  // Only when not ok().
  const std::string& why() const { return why_; }

 private:
  std::optional<T> value_;
  std::string why_;
};

// Done, or the reason it was not: for work that has nothing to hand back,
// such as writing a file.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  // Implicit, so that a function returns its reason as it is.
  Result(Reason why) : why_(std::move(why.text)), failed_(true) {}

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }

  // Only when not ok().
  const std::string& why() const { return why_; }

 private:
  std::string why_;
  bool failed_ = false;
};

}  // namespace sorvel
