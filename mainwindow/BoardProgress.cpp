#include "BoardProgress.h"

#include <QCoreApplication>

void BoardProgress::setVisible(bool visible) {
  if (!bar_) return;
  bar_->setVisible(visible);
  if (!visible) return;
  repaint();
  throttle_.drawnNow();
}

void BoardProgress::setMaximum(std::int32_t maximum) {
  if (!bar_) return;
  bar_->setMaximum(maximum);
}

void BoardProgress::setValue(std::int32_t value) {
  if (!bar_) return;
  // Called once per byte: a counter, now and then the clock, and a paint
  // a few times a second.
  if (bar_->isVisible() && !throttle_.due()) return;
  bar_->setValue(value);
  if (bar_->isVisible()) repaint();
}

void BoardProgress::repaint() {
  bar_->repaint();
  // Lets the window system's own requests through (uncovering the window,
  // "are you alive" pings); mouse and keys wait, and are dropped when the
  // command ends.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
