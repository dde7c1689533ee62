#include "TerminalMessages.h"

#include <algorithm>

#include "Commands.h"

namespace {

bool announcesRun(const std::string& title, MessageIcon icon) {
  return icon == MessageIcon::Information &&
         (title.rfind(kWillReadTitle, 0) == 0 || title == kWillWriteTitle);
}

}  // namespace

void TerminalMessages::show(const std::string& title, const std::string& text, MessageIcon icon) {
  if (quiet_ && announcesRun(title, icon)) return;
  std::string lines = title + ": " + text;
  std::replace(lines.begin(), lines.end(), '\r', '\n');
  line_.writeLine(lines);
}
