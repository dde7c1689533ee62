#pragma once

#include <optional>
#include <string>
#include <vector>

// One line of a file dialog's type list: what the user reads, and the
// wildcard it stands for (matched without regard to case).
struct FileFilter {
  std::string description;
  std::string pattern;
};

struct FileDialogRequest {
  enum class Kind { Open, Save };
  Kind kind = Kind::Open;
  std::string title;
  std::string proposedName;
  std::vector<FileFilter> filters;
};

struct ChosenFile {
  std::string fullPath;
  std::string title;  // the name without its folder
};

// The Open, Save As and File Conversion dialogs. The chosen file need not
// exist, a file that exists is replaced without asking, nothing is appended
// to a typed name. Cancel gives no file.
class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  virtual std::optional<ChosenFile> run(const FileDialogRequest& request) = 0;
};
