#pragma once

#include <cstdint>
#include <string>

enum class MessageIcon { Critical, Exclamation, Information };

// Every message box of the programmer goes through this: one OK button, a
// title, a text whose lines are joined by a single "\r", an icon. The window
// shows a modal box; tests record the calls.
class Messages {
 public:
  virtual ~Messages() = default;
  virtual void show(const std::string& title, const std::string& text, MessageIcon icon) = 0;
};

// ProgressBar1 as the board routines see it.
class Progress {
 public:
  virtual ~Progress() = default;
  virtual void setVisible(bool visible) = 0;
  virtual void setMaximum(std::int32_t maximum) = 0;
  virtual void setValue(std::int32_t value) = 0;
};
