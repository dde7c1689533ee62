#include "QtMessages.h"

#include <QApplication>

#include "BoxTitle.h"

std::unique_ptr<QMessageBox> makeMessageBox(QWidget* owner, const std::string& title,
                                            const std::string& text, MessageIcon icon) {
  QMessageBox::Icon shown = QMessageBox::Information;
  if (icon == MessageIcon::Critical) shown = QMessageBox::Critical;
  if (icon == MessageIcon::Exclamation) shown = QMessageBox::Warning;
  QString lines = QString::fromStdString(text);
  lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  auto box = std::make_unique<QMessageBox>(shown, QString::fromStdString(title), lines,
                                           QMessageBox::Ok, owner);
  box->setTextFormat(Qt::PlainText);
  fitBoxToTitle(*box);
  return box;
}

void QtMessages::showFor(QWidget* owner, const std::string& title, const std::string& text,
                         MessageIcon icon) {
  const std::unique_ptr<QMessageBox> box =
      makeMessageBox(owner ? owner : parent_.data(), title, text, icon);
  // A box shown during a busy command takes clicks: an arrow over it, not the hourglass.
  const bool busy = QApplication::overrideCursor() != nullptr;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  box->exec();
  if (busy) QApplication::restoreOverrideCursor();
}
