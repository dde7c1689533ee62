#pragma once
// What the fuzz targets share: stopping on a broken rule with words that say
// which (libFuzzer keeps the input that broke it), reading the line that a
// refusal names, and catching what a reader writes on standard error.
#include <sys/mman.h>
#include <unistd.h>

#include <charconv>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// A folder of scratch files that goes when the target stops, also on a
// broken rule (an abort runs no destructors); empty when there is none.
inline std::string& scratchPath() {
  static std::string path;
  return path;
}

// Aborts, saying what does not hold and about what, unless `holds`.
inline void require(bool holds, std::string_view rule, std::string_view detail = {}) {
  if (holds) return;
  std::fprintf(stderr, "broken: %.*s\n", static_cast<int>(rule.size()), rule.data());
  if (!detail.empty())
    std::fprintf(stderr, "  %.*s\n", static_cast<int>(detail.size()), detail.data());
  std::error_code ignored;
  if (!scratchPath().empty()) std::filesystem::remove_all(scratchPath(), ignored);
  std::abort();
}

// The number N of a message that starts "line N: "; none when it does not.
inline std::optional<std::size_t> lineNamed(std::string_view message) {
  constexpr std::string_view kLead = "line ";
  if (!message.starts_with(kLead)) return std::nullopt;
  message.remove_prefix(kLead.size());
  std::size_t line = 0;
  const auto [end, error] = std::from_chars(message.data(), message.data() + message.size(), line);
  if (error != std::errc{} || end == message.data() ||
      !message.substr(static_cast<std::size_t>(end - message.data())).starts_with(": "))
    return std::nullopt;
  return line;
}

// How many lines a text has: one more than its line feeds.
inline std::size_t linesOf(std::string_view text, bool carriageReturnsToo = false) {
  std::size_t lines = 1;
  for (const char c : text) lines += c == '\n' || (carriageReturnsToo && c == '\r') ? 1 : 0;
  return lines;
}

// Runs `read` with standard error going to a file of its own, and stops if
// anything was written there: a reader says what is wrong in its result,
// and the program's messages are the only text on standard error.
template <class Read>
void requireSilent(Read read) {
  static const int kCaught = ::memfd_create("stderr", 0);
  const int saved = ::dup(STDERR_FILENO);
  require(kCaught >= 0 && saved >= 0 && ::ftruncate(kCaught, 0) == 0 &&
              ::lseek(kCaught, 0, SEEK_SET) == 0 && ::dup2(kCaught, STDERR_FILENO) >= 0,
          "standard error can be caught");
  read();
  std::fflush(stderr);
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);
  std::string written(4096, '\0');
  const ssize_t size = ::pread(kCaught, written.data(), written.size(), 0);
  written.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
  require(written.empty(), "a reader writes nothing on standard error", written);
}
