#pragma once

#include "StatusLine.h"
#include "UserInterfaces.h"

// The core's messages as lines on standard error: "title: " and the first
// line, then each further line on its own. Quiet drops the announcements
// ("Will Read Eprom 2732") and the notes; warnings and errors always show.
class TerminalMessages final : public Messages {
 public:
  TerminalMessages(StatusLine& line, bool quiet) : line_(line), quiet_(quiet) {}
  void show(const Message& message) override;

 private:
  StatusLine& line_;
  bool quiet_;
};
