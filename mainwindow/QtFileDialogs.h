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

// "*.Bin" -> "*.[bB][iI][nN]"; "*.*" -> "*" (every file, as on the system the
// patterns come from, where "*.*" also lists names without a dot).
QString caseBlindPattern(const std::string& pattern);
