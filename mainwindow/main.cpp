// VeskEprom: the programmer's window, on the parallel port or on the board simulator.
#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "FrmMain.h"
#include "LaunchOptions.h"
#include "PortSourceFactory.h"
#include "QtFileDialogs.h"
#include "QtLauncher.h"
#include "QtMessages.h"
#include "StandardOutput.h"
#include "TerminationSignals.h"
#include "WriteSignals.h"

namespace {

void reportFailure(const QString& text) {
  std::fprintf(stderr, "VeskEprom: %s\n", qPrintable(text));
  // Where no screen shows it, nobody could close a box either.
  if (QGuiApplication::platformName() != QLatin1String("offscreen"))
    QMessageBox::critical(nullptr, QStringLiteral("VeskEprom"), text);
}

// Qt ends the process with exit(1) when the display goes away (the X server
// died, the session ended), in the middle of whatever runs, and main() never
// gets back control: the chip is then written from an exit handler. This
// pointer is what that handler can reach; it is set only while main() holds
// the chip file.
ChipFile* gChipFileAtExit = nullptr;

// A message's lines, one a line.
std::string linesOf(const Message& message) {
  return joinLines(message.lines, "\n");
}

void writeChipAtExit() {
  if (gChipFileAtExit != nullptr) {
    const Expected<> saved = gChipFileAtExit->save();
    if (!saved)
      std::fprintf(stderr, "VeskEprom: %s\n",
                   linesOf(chipNotSavedMessage(gChipFileAtExit->path(), saved.error())).c_str());
  }
}

class ChipFileAtExit {
 public:
  explicit ChipFileAtExit(ChipFile* chipFile) {
    static const bool kRegistered = std::atexit(writeChipAtExit) == 0;
    if (kRegistered) gChipFileAtExit = chipFile;
  }
  ~ChipFileAtExit() { gChipFileAtExit = nullptr; }
  ChipFileAtExit(const ChipFileAtExit&) = delete;
  ChipFileAtExit& operator=(const ChipFileAtExit&) = delete;
};

// Qt's messages while QApplication starts. Where no display can be opened,
// Qt ends with a fatal message that blames the installation and aborts; this
// says what is missing instead, and ends with status 1. Qt's other messages
// (which display it tried) are passed on as Qt prints them.
void startUpMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type != QtFatalMsg) {
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
    return;
  }
  const auto unset = [](const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr || *value == '\0';
  };
  std::fputs(unset("DISPLAY") && unset("WAYLAND_DISPLAY")
                 ? "VeskEprom: no display: neither DISPLAY nor WAYLAND_DISPLAY is set, and the "
                   "window needs one (vesk needs none)\n"
                 : "VeskEprom: no display could be opened for the window (Qt's messages above "
                   "say why)\n",
             stderr);
  std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  // Read before Qt starts: the help, the version and a command line that is
  // not understood need no display.
  Expected<LaunchOptions> parsed =
      parseLaunchOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed) {
    std::fprintf(stderr, "VeskEprom: %s\nTry 'VeskEprom --help'.\n", parsed.error().c_str());
    return 2;
  }
  LaunchOptions& options = *parsed;
  if (options.ask == LaunchOptions::Ask::Help) {
    std::fputs(options.help.c_str(), stdout);
    return checkedOutputStatus("VeskEprom", 0);
  }
  if (options.ask == LaunchOptions::Ask::Version) {
    std::puts("VeskEprom " VESK_VERSION);
    return checkedOutputStatus("VeskEprom", 0);
  }
  ignoreWriteSignals();
  TerminationSignals termination;
  qInstallMessageHandler(startUpMessage);
  QApplication app(argc, argv);  // takes the Qt options parseLaunchOptions let through
  qInstallMessageHandler(nullptr);
  QApplication::setApplicationName(QStringLiteral("VeskEprom"));
  // Wayland matches the window to its menu entry and icon by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.veskeprom.VeskEprom"));

  // A signal ends every event loop, a box's included (the start-up refusal's
  // too); a run in progress stops at its next location by itself.
  QSocketNotifier signalled(termination.readFd(), QSocketNotifier::Read);
  QObject::connect(&signalled, &QSocketNotifier::activated, [&termination] {
    termination.drain();
    QApplication::exit(termination.exitStatus());
  });

  // The dialogs change the current folder: the chip file is kept by its full path.
  if (!options.chipFile.empty()) options.chipFile = std::filesystem::absolute(options.chipFile);
  // A chip file is refused now, not after the work is done: a folder that is
  // missing or read-only, a special file, a file another program is using.
  RealTiming timing;
  Expected<MadePortSource> board =
      makePortSource({.simulate = options.simulate,
                      .chipFile = options.chipFile,
                      .latency = std::chrono::microseconds(options.simulatorLatencyUs),
                      .faults = options.faults},
                     " in Options", timing);
  if (!board) {
    reportFailure(QString::fromStdString(board.error()));
    return termination.requested() ? termination.exitStatus() : 1;
  }
  ChipFile* const chipFile = board->chipFile.get();

  const ChipFileAtExit writtenAtExit(chipFile);
  MdlGlobal global;
  QtMessages boxes;
  QtFileDialogs dialogs;
  QtLauncher launcher;
  FrmMain window(global,
                 {boxes, dialogs, launcher, *board->ports, timing, {}, &termination, chipFile});
  boxes.setParent(&window);
  dialogs.setParent(&window);
  window.show();

  int status = QApplication::exec();
  if (termination.requested()) status = termination.exitStatus();

  // The chip file already holds every programming run; this keeps whatever
  // else changed the simulated chip.
  if (chipFile != nullptr) {
    const Expected<> saved = chipFile->save();
    if (!saved) {
      reportFailure(
          QString::fromStdString(linesOf(chipNotSavedMessage(chipFile->path(), saved.error()))));
      status = 1;
    }
  }
  return status;
}
