#include "TerminalMessages.h"

void TerminalMessages::show(const Message& message) {
  const bool chatter =
      message.kind == MessageKind::Announcement || message.kind == MessageKind::Note;
  if (quiet_ && chatter) return;
  line_.writeLine(message.title + ": " + joinLines(message.lines, "\n"));
}
