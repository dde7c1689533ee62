#include "converter/ZezaMessageOutput.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// Qt's own warnings while it looks for a display ("could not connect to
// display") would only clutter the fallback output.
void DropQtMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

// CR LF and lone CR end lines in zeza's texts; a box and a terminal want LF.
std::string WithLineFeeds(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
      out += '\n';
    }
  }
  return out;
}

}  // namespace

ZezaMessageOutput::ZezaMessageOutput(const char* program_name)
    : program_name_(program_name != nullptr ? program_name : "zeza") {}

ZezaMessageOutput::~ZezaMessageOutput() = default;

bool ZezaMessageOutput::StartQt() {
  if (tried_qt_) return app_ != nullptr;
  tried_qt_ = true;
  if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY")) return false;

  // Qt aborts the process when none of its platforms can start, and an
  // unreachable display is not a reason to crash: the list ends with
  // "offscreen", which always starts and tells us to print instead.
  const char* chosen = std::getenv("QT_QPA_PLATFORM");
  if (chosen != nullptr && *chosen != '\0') {
    platforms_ = std::string(chosen) + ";";
  } else {
    if (IsSet("WAYLAND_DISPLAY")) platforms_ += "wayland;";
    if (IsSet("DISPLAY")) platforms_ += "xcb;";
  }
  platforms_ += "offscreen";
  // Qt sees only these arguments, never the user's file name.
  qt_argv_[0] = program_name_.data();
  qt_argv_[1] = const_cast<char*>("-platform");
  qt_argv_[2] = platforms_.data();
  qt_argc_ = 3;

  const QtMessageHandler previous = qInstallMessageHandler(DropQtMessages);
  app_ = std::make_unique<QApplication>(qt_argc_, qt_argv_);
  qInstallMessageHandler(previous);
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
    app_.reset();  // nobody would see a box there, and nobody could close it
  }
  return app_ != nullptr;
}

void ZezaMessageOutput::ShowMessage(const std::string& text) {
  if (StartQt()) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kZezaBanner),
                    QString::fromLocal8Bit(WithLineFeeds(text)), QMessageBox::Ok);
    box.exec();
    return;
  }
  Print(text);
}

void ZezaMessageOutput::Print(const std::string& text) {
  if (!banner_printed_) {
    std::fprintf(stderr, "%s\n", kZezaBanner);
    banner_printed_ = true;
  }
  std::string line = WithLineFeeds(text);
  if (line.empty() || line.back() != '\n') line += '\n';
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}
