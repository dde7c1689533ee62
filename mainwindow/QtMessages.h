#pragma once

#include <QPointer>
#include <QWidget>

#include "programmer/UserInterfaces.h"

// A modal QMessageBox with one OK button; each "\r" of the text is a line break.
class QtMessages final : public Messages {
 public:
  void Show(const std::string& title, const std::string& text, MessageIcon icon) override;
  // The window the boxes are centred on (none: the screen).
  void SetParent(QWidget* parent) { parent_ = parent; }

 private:
  QPointer<QWidget> parent_;
};
