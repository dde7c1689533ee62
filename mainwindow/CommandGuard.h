#pragma once

#include <QObject>

// Keeps the user's hands off the program while a command runs: mouse, keys,
// wheel, touch and the window manager's close go nowhere, except into a
// message box the command shows.
// Input that arrived during the command is thrown away at its end, so that a
// click made during a long read does not start another command afterwards.
class InputBlocker final : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// One command at a time: a guard made while another command runs is not
// entered(), and its command does not start.
class CommandGuard {
 public:
  explicit CommandGuard(bool& running);
  ~CommandGuard();
  CommandGuard(const CommandGuard&) = delete;
  CommandGuard& operator=(const CommandGuard&) = delete;

  bool entered() const { return entered_; }

 private:
  bool& running_;
  bool entered_;
  InputBlocker blocker_;
};
