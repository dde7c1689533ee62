// zeza's message boxes, in a module of their own (see MessageBoxModule.h).
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QString>
#include <cstdlib>
#include <string>

#include "BoxTitle.h"
#include "MessageBoxModule.h"

namespace {

// Qt's own warnings ("could not connect to display", "XDG_RUNTIME_DIR not
// set") would only clutter zeza's output; its messages are the boxes.
void dropQtMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

struct QtSession {
  std::string programName;
  std::string platforms;
  char* argv[4] = {};
  int argc = 0;
  QApplication* app = nullptr;
  QtMessageHandler previousHandler = nullptr;
};

}  // namespace

extern "C" void* ZezaBoxOpen(const char* programName) {
  if (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY")) return nullptr;
  auto* session = new QtSession;
  session->programName = programName;

  // Qt aborts the process when none of its platforms can start, and an
  // unreachable display is no reason to crash: the list ends with
  // "offscreen", which always starts and tells us to print instead.
  const char* chosen = std::getenv("QT_QPA_PLATFORM");
  if (chosen != nullptr && *chosen != '\0') {
    session->platforms = std::string(chosen) + ";";
  } else {
    if (isSet("WAYLAND_DISPLAY")) session->platforms += "wayland;";
    if (isSet("DISPLAY")) session->platforms += "xcb;";
  }
  session->platforms += "offscreen";
  // Qt sees only these arguments, never the user's file name.
  session->argv[0] = session->programName.data();
  session->argv[1] = const_cast<char*>("-platform");
  session->argv[2] = session->platforms.data();
  session->argc = 3;

  session->previousHandler = qInstallMessageHandler(dropQtMessages);
  session->app = new QApplication(session->argc, session->argv);
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
    // Nobody would see a box there, and nobody could close it.
    ZezaBoxClose(session);
    return nullptr;
  }
  return session;
}

extern "C" void ZezaBoxShow(void*, const char* title, const char* text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(title), QString::fromLocal8Bit(text),
                  QMessageBox::Ok);
  fitBoxToTitle(box);
  box.exec();
}

extern "C" void ZezaBoxClose(void* handle) {
  auto* session = static_cast<QtSession*>(handle);
  if (session == nullptr) return;
  delete session->app;
  qInstallMessageHandler(session->previousHandler);
  delete session;
}
