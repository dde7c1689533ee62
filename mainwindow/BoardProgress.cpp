#include "BoardProgress.h"

#include <QCoreApplication>

void BoardProgress::SetVisible(bool visible) {
  if (!bar_) return;
  bar_->setVisible(visible);
  if (visible) Repaint();
}

void BoardProgress::SetMaximum(std::int32_t maximum) {
  if (!bar_) return;
  bar_->setMaximum(maximum);
}

void BoardProgress::SetValue(std::int32_t value) {
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
    Repaint();
  }
}

void BoardProgress::Repaint() {
  bar_->repaint();
  // Lets the window system's own requests through (uncovering the window,
  // "are you alive" pings); mouse and keys wait, and are dropped when the
  // command ends.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  sinceRepaint_.start();
}
