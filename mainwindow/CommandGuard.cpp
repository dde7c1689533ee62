#include "CommandGuard.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

bool isUserInput(const QEvent& event) {
  switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::ContextMenu:
      return true;
    // The window manager's close (title-bar button, Alt+F4) is queued with the
    // input and would end the program as soon as the run ends. A command's own
    // close() (Exit) is not spontaneous and goes through.
    case QEvent::Close:
      return event.spontaneous();
    default:
      return false;
  }
}

}  // namespace

bool InputBlocker::eventFilter(QObject* watched, QEvent* event) {
  // Input reaches a window first and is then passed on to the widget under
  // the pointer or with the focus: it is stopped at the widget.
  if (!watched->isWidgetType() || !isUserInput(*event)) return false;
  const auto* target = static_cast<const QWidget*>(watched);
  // Pop-ups (a file name's completion list, say) open only from a window that
  // takes input, and some have no parent: they belong to that window.
  if (target->window()->windowType() == Qt::Popup) return false;
  // A box or dialog opened by the command is modal: Qt itself keeps input
  // away from every other window while it is up.
  const QWidget* modal = QApplication::activeModalWidget();
  for (const QWidget* widget = target; modal && widget; widget = widget->parentWidget()) {
    if (widget == modal) return false;
  }
  // A close event counts as accepted unless refused: the window would close.
  if (event->type() == QEvent::Close) event->ignore();
  return true;
}

CommandGuard::CommandGuard(bool& running) : running_(running), entered_(!running) {
  if (!entered_) return;
  running_ = true;
  qApp->installEventFilter(&blocker_);
}

CommandGuard::~CommandGuard() {
  if (!entered_) return;
  // Deliver, and so drop, the input that queued up while the command ran.
  QCoreApplication::processEvents();
  qApp->removeEventFilter(&blocker_);
  running_ = false;
}
