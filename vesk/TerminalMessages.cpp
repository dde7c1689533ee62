#include "TerminalMessages.h"

#include <string>

namespace {

// The title with the chip type it names after a blank, whatever the type's
// length: "Will Read Eprom 27256", where the box glues the key to its title
// ("Will Read Eprom27256") or leaves it out ("Will Write Eprom").
std::string titleOf(const Message& message) {
  const std::string& key = message.chipType;
  const std::size_t name = key.find_first_not_of(' ');
  if (name == std::string::npos) return message.title;
  std::string title = message.title;
  if (title.ends_with(key)) title.resize(title.size() - key.size());
  return title + " " + key.substr(name);
}

}  // namespace

void TerminalMessages::show(const Message& message) {
  const bool chatter =
      message.kind == MessageKind::Announcement || message.kind == MessageKind::Note;
  if (quiet_ && chatter) return;
  line_.writeLine(titleOf(message) + ": " + joinLines(message.lines, "\n"));
}
