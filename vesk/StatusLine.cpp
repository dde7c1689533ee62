#include "StatusLine.h"

#include <sys/ioctl.h>

namespace {

// Columns of the terminal, 0 when unknown. A status line as wide as the
// terminal would wrap, and "\r" would no longer bring it back to its start.
std::size_t terminalColumns(std::FILE* stream) {
  winsize size{};
  if (::ioctl(fileno(stream), TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

}  // namespace

// Written bytes that cannot reach standard error (a closed pipe) are dropped:
// the run goes on and its exit status still tells how it ended.

void StatusLine::writeLine(const std::string& text) {
  clear();
  std::fputs(text.c_str(), stream_);
  std::fputc('\n', stream_);
  std::fflush(stream_);
}

void StatusLine::show(const std::string& text) {
  std::string line = "\r";
  line += text;
  if (const std::size_t columns = terminalColumns(stream_); columns > 1 && text.size() >= columns)
    line.resize(columns);  // "\r" and columns - 1 characters
  // Blanks over the rest of a longer old line: no terminal control codes needed.
  const std::size_t length = line.size() - 1;
  if (length < shown_) line.append(shown_ - length, ' ');
  std::fputs(line.c_str(), stream_);
  std::fflush(stream_);
  shown_ = length;
}

void StatusLine::endLine() {
  if (shown_ == 0) return;
  std::fputc('\n', stream_);
  std::fflush(stream_);
  shown_ = 0;
}

void StatusLine::clear() {
  if (shown_ == 0) return;
  std::string blank(shown_ + 2, ' ');
  blank.front() = '\r';
  blank.back() = '\r';
  std::fputs(blank.c_str(), stream_);
  std::fflush(stream_);
  shown_ = 0;
}
