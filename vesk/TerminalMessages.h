#pragma once

#include "StatusLine.h"
#include "UserInterfaces.h"

// The message boxes of the core as lines on standard error: "title: text",
// each "\r" of the text a line break. Quiet drops the boxes that only
// announce a run ("Will Read Eprom 2732"); warnings and errors always show.
class TerminalMessages final : public Messages {
 public:
  TerminalMessages(StatusLine& line, bool quiet) : line_(line), quiet_(quiet) {}
  void show(const std::string& title, const std::string& text, MessageIcon icon) override;

 private:
  StatusLine& line_;
  bool quiet_;
};
