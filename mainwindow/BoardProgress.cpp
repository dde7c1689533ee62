#include "BoardProgress.h"

#include <QCoreApplication>

void BoardProgress::setVisible(bool visible) {
  if (!bar_) return;
  bar_->setVisible(visible);
  if (visible) repaint();
}

void BoardProgress::setMaximum(std::int32_t maximum) {
  if (!bar_) return;
  bar_->setMaximum(maximum);
}

void BoardProgress::setValue(std::int32_t value) {
  if (!bar_) return;
  // Called once per byte: a counter, now and then the clock, and a paint
  // a few times a second.
  if (!bar_->isVisible()) {
    bar_->setValue(value);
    return;
  }
  if (++valuesSinceCheck_ < kValuesPerClockCheck && sinceRepaint_.isValid()) return;
  valuesSinceCheck_ = 0;
  if (!sinceRepaint_.isValid() || sinceRepaint_.elapsed() >= kRepaintIntervalMs) {
    bar_->setValue(value);
    repaint();
  }
}

void BoardProgress::repaint() {
  bar_->repaint();
  // Lets the window system's own requests through (uncovering the window,
  // "are you alive" pings); mouse and keys wait, and are dropped when the
  // command ends.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  sinceRepaint_.start();
}
