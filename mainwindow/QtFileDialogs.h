#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "FileDialogs.h"

// Qt's own file dialog (not the desktop's), so that the type list reads as
// given and its patterns match without regard to case.
class QtFileDialogs final : public FileDialogs {
 public:
  std::optional<ChosenFile> run(const FileDialogRequest& request) override;
  void setParent(QWidget* parent) { parent_ = parent; }

 private:
  QPointer<QWidget> parent_;
};

// "*.Bin" -> "*.[bB][iI][nN]"; "*.*" -> "*", so that the list of all files
// shows names without a dot too.
QString caseBlindPattern(const std::string& pattern);
