// VeskEprom: the programmer's window, on the parallel port or on the board simulator.
#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string_view>

#include "FrmMain.h"
#include "LaunchOptions.h"
#include "PortSourceFactory.h"
#include "QtFileDialogs.h"
#include "QtLauncher.h"
#include "QtMessages.h"
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

}  // namespace

int main(int argc, char** argv) {
  // Help needs no display; the other options are read once Qt has taken its own.
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  ignoreWriteSignals();
  TerminationSignals termination;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("VeskEprom"));
  // Wayland matches the window to its menu entry and icon by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.veskeprom.VeskEprom"));

  std::vector<std::string> arguments;
  for (const QString& argument : QApplication::arguments().mid(1)) {
    arguments.push_back(argument.toStdString());
  }
  Expected<LaunchOptions> parsed = parseLaunchOptions(arguments);
  if (!parsed) {
    std::fprintf(stderr, "VeskEprom: %s\n%s", parsed.error().c_str(), kUsage);
    return 2;
  }
  LaunchOptions& options = *parsed;

  // The dialogs change the current folder: the chip file is kept by its full path.
  if (!options.chipFile.empty()) options.chipFile = std::filesystem::absolute(options.chipFile);
  // A chip file is refused now, not after the work is done: a folder that is
  // missing or read-only, a special file, a file another program is using.
  RealTiming timing;
  Expected<MadePortSource> board =
      makePortSource({.simulate = options.simulate,
                      .chipFile = options.chipFile,
                      .latency = std::chrono::microseconds(options.simulatorLatencyUs)},
                     " in Options", timing);
  if (!board) {
    reportFailure(QString::fromStdString(board.error()));
    return 1;
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

  // A signal ends every event loop, a box's included; a run in progress
  // stops at its next location by itself.
  QSocketNotifier signalled(termination.readFd(), QSocketNotifier::Read);
  QObject::connect(&signalled, &QSocketNotifier::activated, [&termination] {
    termination.drain();
    QApplication::exit(termination.exitStatus());
  });
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
