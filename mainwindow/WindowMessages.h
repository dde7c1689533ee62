#pragma once

#include <string>

#include "UserInterfaces.h"

class QWidget;

// The window side's message boxes. Each belongs to a window: it is centred on
// that window and stays above it, and the window has the focus again once
// the box is closed.
class WindowMessages : public Messages {
 public:
  // A box that belongs to `owner` (nullptr: to the main window), its lines
  // joined by "\r".
  virtual void showFor(QWidget* owner, const std::string& title, const std::string& text,
                       MessageIcon icon) = 0;

  // The boxes of the commands (read, programming, files) belong to the main
  // window; the core's lines are joined by "\r", as the window's own are.
  void show(const Message& message) final {
    showFor(nullptr, message.title, joinLines(message.lines, "\r"), message.icon);
  }
  void show(const std::string& title, const std::string& text, MessageIcon icon) {
    showFor(nullptr, title, text, icon);
  }
};
