#include "mainwindow/QtMessages.h"

#include <QApplication>
#include <QMessageBox>

void QtMessages::Show(const std::string& title, const std::string& text, MessageIcon icon) {
  QMessageBox::Icon shown = QMessageBox::Information;
  if (icon == MessageIcon::Critical) shown = QMessageBox::Critical;
  if (icon == MessageIcon::Exclamation) shown = QMessageBox::Warning;
  QString lines = QString::fromStdString(text);
  lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QMessageBox box(shown, QString::fromStdString(title), lines, QMessageBox::Ok, parent_.data());
  box.setTextFormat(Qt::PlainText);
  // A box shown during a busy command takes clicks: an arrow over it, not the hourglass.
  const bool busy = QApplication::overrideCursor() != nullptr;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  if (busy) QApplication::restoreOverrideCursor();
}
