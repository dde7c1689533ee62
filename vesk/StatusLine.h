#pragma once

#include <cstdio>
#include <string>

// Standard error as vesk writes it: whole lines, and one transient status
// line (the progress bar) that is redrawn in place and wiped before any
// other line, so that messages never land in the middle of the bar.
class StatusLine {
 public:
  explicit StatusLine(std::FILE* stream) : stream_(stream) {}
  ~StatusLine() { clear(); }
  StatusLine(const StatusLine&) = delete;
  StatusLine& operator=(const StatusLine&) = delete;

  // Writes `text` and a line break, after wiping the status line.
  void writeLine(const std::string& text);
  // Replaces the status line with `text` (no line break).
  void show(const std::string& text);
  // Wipes the status line, leaving the cursor at the start of the line.
  void clear();
  // Leaves the status line on the screen as a line of its own.
  void endLine();

 private:
  std::FILE* stream_;
  std::size_t shown_ = 0;  // characters of the status line on the screen
};
