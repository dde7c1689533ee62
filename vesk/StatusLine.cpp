#include "vesk/StatusLine.h"

// Written bytes that cannot reach standard error (a closed pipe) are dropped:
// the run goes on and its exit status still tells how it ended.

void StatusLine::WriteLine(const std::string& text) {
  Clear();
  std::fputs(text.c_str(), stream_);
  std::fputc('\n', stream_);
  std::fflush(stream_);
}

void StatusLine::Show(const std::string& text) {
  // Blanks over the rest of a longer old line: no terminal control codes needed.
  std::string line = "\r";
  line += text;
  if (text.size() < shown_) line.append(shown_ - text.size(), ' ');
  std::fputs(line.c_str(), stream_);
  std::fflush(stream_);
  shown_ = text.size();
}

void StatusLine::Clear() {
  if (shown_ == 0) return;
  std::string blank(shown_ + 2, ' ');
  blank.front() = '\r';
  blank.back() = '\r';
  std::fputs(blank.c_str(), stream_);
  std::fflush(stream_);
  shown_ = 0;
}
