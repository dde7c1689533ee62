#pragma once

#include <string>

// The outcome of a file operation: ok, or the system's reason (strerror text).
struct [[nodiscard]] FileResult {
  bool ok = true;
  std::string reason;
  explicit operator bool() const { return ok; }
};

// A failed FileResult with the system's text for `error` (an errno value).
FileResult fileFailure(int error);

// Image files, chip files and save targets are regular files or missing names:
// anything else (a pipe, a device, a socket) is refused with this reason.
inline constexpr const char* kNotARegularFile = "Not a regular file";
FileResult notARegularFile();
