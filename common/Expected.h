#pragma once

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

// How our operations that can fail report it: an Expected<T> holds the value,
// or why there is none in words a message box can show (one sentence, or the
// system's text for an errno). It cannot be dropped unread. The calls that
// stand in for the system's own (file descriptors, ppdev) give a
// std::error_code instead, which the caller turns into words where it tells
// the user.

// Why an operation failed, in words.
struct Failure {
  std::string whyNot;
};

// The system's text for an errno value: "No such file or directory".
inline Failure systemFailure(int error) {
  return {std::strerror(error)};
}
inline Failure systemFailure(std::error_code error) {
  return {error.message()};
}

// errno as a std::error_code, right after a system call failed.
inline std::error_code lastSystemError() {
  return {errno, std::generic_category()};
}

template <class T = void>
class [[nodiscard]] Expected {
 public:
  Expected(T value) : value_(std::move(value)) {}
  Expected(Failure failure) : whyNot_(std::move(failure.whyNot)) {}

  bool hasValue() const { return value_.has_value(); }
  explicit operator bool() const { return hasValue(); }
  T& value() { return *value_; }
  const T& value() const { return *value_; }
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  // Why there is no value; empty while there is one.
  const std::string& error() const { return whyNot_; }

 private:
  std::optional<T> value_;
  std::string whyNot_;
};

template <>
class [[nodiscard]] Expected<void> {
 public:
  Expected() = default;
  Expected(Failure failure) : done_(false), whyNot_(std::move(failure.whyNot)) {}

  bool hasValue() const { return done_; }
  explicit operator bool() const { return done_; }
  const std::string& error() const { return whyNot_; }

 private:
  bool done_ = true;
  std::string whyNot_;
};
