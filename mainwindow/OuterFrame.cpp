#include "OuterFrame.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

OuterFrame::OuterFrame(QWidget* window) : QObject(window), window_(window) {
  window_->installEventFilter(this);
}

void OuterFrame::setOuterSize(QSize size) {
  outerSize_ = size;
  fittedFor_.reset();
  framed_ = false;
  fit();
}

void OuterFrame::centreOnScreen() {
  centred_ = true;
  fittedFor_.reset();
  framed_ = false;
  fit();
}

QMargins OuterFrame::frame() const {
  const QRect outer = window_->frameGeometry();
  const QRect inner = window_->geometry();
  return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
          outer.bottom() - inner.bottom()};
}

void OuterFrame::fit() {
  if (framed_) return;
  const QMargins margins = frame();
  if (fittedFor_ == margins) return;
  fittedFor_ = margins;
  framed_ = !margins.isNull();
  const QSize frameSize(margins.left() + margins.right(), margins.top() + margins.bottom());
  if (outerSize_) window_->resize(*outerSize_ - frameSize);
  if (centred_) {
    const QScreen* screen =
        window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    const QSize outer = window_->size() + frameSize;
    // move() places a window by its frame's top left corner.
    window_->move(area.x() + (area.width() - outer.width()) / 2,
                  area.y() + (area.height() - outer.height()) / 2);
  }
}

bool OuterFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_) {
    switch (event->type()) {
      case QEvent::Show:
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::WindowActivate:
        fit();
        break;
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}
