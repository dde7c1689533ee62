#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "WindowMessages.h"

// A modal QMessageBox with one OK button; each "\r" of the text is a line break.
class QtMessages final : public WindowMessages {
 public:
  void showFor(QWidget* owner, const std::string& title, const std::string& text,
               MessageIcon icon) override;
  // The main window, which owns the boxes that name no owner (none: the screen).
  void setParent(QWidget* parent) { parent_ = parent; }

 private:
  QPointer<QWidget> parent_;
};

// The box as it is shown, before it is run: plain text, OK, and wide enough
// for its whole title in a window manager's title bar.
std::unique_ptr<QMessageBox> makeMessageBox(QWidget* owner, const std::string& title,
                                            const std::string& text, MessageIcon icon);
