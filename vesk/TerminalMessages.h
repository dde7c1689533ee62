#pragma once

#include "StatusLine.h"
#include "UserInterfaces.h"

// The core's messages as lines on standard error: "title: " and the first
// line, then each further line on its own; a title that names a chip type
// has a blank before it ("Will Read Eprom 27256"). Quiet drops the
// announcements and the notes; warnings and errors always show.
class TerminalMessages final : public Messages {
 public:
  TerminalMessages(StatusLine& line, bool quiet) : line_(line), quiet_(quiet) {}
  void show(const Message& message) override;

 private:
  StatusLine& line_;
  bool quiet_;
};
