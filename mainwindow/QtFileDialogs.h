#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "FileDialogs.h"

// Qt's own file dialog (not the desktop's), so that the type list reads as
// given and its patterns match without regard to case.
// The dialogs keep nothing between runs: Qt's file dialog stores its
// history, view mode and column widths in the user's Qt settings
// (~/.config/QtProject.conf) and reads them back at the next start, so from
// its construction on, this process's user-level Qt settings are kept where
// no file can be made, and none is read or written.
class QtFileDialogs final : public FileDialogs {
 public:
  QtFileDialogs();
  std::optional<ChosenFile> run(const FileDialogRequest& request) override;
  void setParent(QWidget* parent) { parent_ = parent; }

 private:
  QPointer<QWidget> parent_;
};

// "*.Bin" -> "*.[bB][iI][nN]"; "*.*" -> "*", so that the list of all files
// shows names without a dot too.
QString caseBlindPattern(const std::string& pattern);
