#pragma once

#include <optional>
#include <string>
#include <utility>

namespace platform {

// A value or the reason there is none. The reason is a short text that names
// the file and the fault, ready to be shown to a user or printed by a tool.
template <typename T>
class Expected {
 public:
  Expected(T value) : value_(std::move(value)) {}
  static Expected Failure(std::string why) {
    Expected e;
    e.error_ = std::move(why);
    return e;
  }

  explicit operator bool() const { return value_.has_value(); }
  bool ok() const { return value_.has_value(); }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  T take() { return std::move(*value_); }
  const std::string& error() const { return error_; }

 private:
  Expected() = default;
  std::optional<T> value_;
  std::string error_;
};

}  // namespace platform
