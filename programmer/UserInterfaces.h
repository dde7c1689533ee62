#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What a message is to its reader, whatever it looks like: a front end may
// leave some kinds out (vesk's -q drops announcements and notes).
enum class MessageKind {
  Announcement,  // a run is about to start ("Will Read Eprom 2732")
  Note,          // what went well
  Warning,       // something the user should know; the work went on, or was refused unharmed
  Error          // the work failed
};

// How a box shows it; not the same as its kind ("The Eprom is not Empty" is a
// warning with the information icon).
enum class MessageIcon { Critical, Exclamation, Information };

// One message of the core: its kind, its icon, a title and its lines. Each
// front end shows the lines its own way: the window's boxes join them with
// a single "\r", vesk prints one a line. A message about a chip type names
// it in `chipType`, for a front end that words the type its own way; the
// title is the box's ("Will Read Eprom" and the type key, glued).
struct Message {
  MessageKind kind;
  MessageIcon icon;
  std::string title;
  std::vector<std::string> lines;
  std::string chipType = {};  // the type key (" 2732", "27256"), or none
};

// The lines with `separator` between them.
std::string joinLines(const std::vector<std::string>& lines, std::string_view separator);

// Where the core's messages go. The window shows a modal box with one OK
// button; vesk prints them on standard error; tests record the calls.
class Messages {
 public:
  virtual ~Messages() = default;
  virtual void show(const Message& message) = 0;
};

// ProgressBar1 as the board routines see it.
class Progress {
 public:
  virtual ~Progress() = default;
  virtual void setVisible(bool visible) = 0;
  virtual void setMaximum(std::int32_t maximum) = 0;
  virtual void setValue(std::int32_t value) = 0;
  // As every run leaves it: hidden, and back at 0.
  void hide() {
    setVisible(false);
    setValue(0);
  }
};
