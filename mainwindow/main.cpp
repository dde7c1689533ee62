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

#include "BoardSimulator.h"
#include "ChipFile.h"
#include "FrmMain.h"
#include "HardwarePortSource.h"
#include "LaunchOptions.h"
#include "QtFileDialogs.h"
#include "QtLauncher.h"
#include "QtMessages.h"
#include "TerminationSignals.h"

namespace {

void Report_Failure(const QString& text) {
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

void Write_Chip_At_Exit() {
  if (gChipFileAtExit != nullptr) {
    const FileResult saved = gChipFileAtExit->Save();
    if (!saved)
      std::fprintf(stderr, "VeskEprom: %s\n",
                   ChipNotSavedText(gChipFileAtExit->Path(), saved.reason).c_str());
  }
}

class ChipFileAtExit {
 public:
  explicit ChipFileAtExit(ChipFile* chipFile) {
    static const bool registered = std::atexit(Write_Chip_At_Exit) == 0;
    if (registered) gChipFileAtExit = chipFile;
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
  IgnoreWriteSignals();
  TerminationSignals termination;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("VeskEprom"));

  std::vector<std::string> arguments;
  for (const QString& argument : QApplication::arguments().mid(1)) {
    arguments.push_back(argument.toStdString());
  }
  LaunchOptions options = Parse_Launch_Options(arguments);
  if (!options.error.empty()) {
    std::fprintf(stderr, "VeskEprom: %s\n%s", options.error.c_str(), kUsage);
    return 2;
  }

  // The dialogs change the current folder: the chip file is kept by its full path.
  if (!options.chipFile.empty()) options.chipFile = std::filesystem::absolute(options.chipFile);
  std::unique_ptr<BoardSimulator> simulator;
  std::unique_ptr<ChipFile> chipFile;
  std::unique_ptr<PortSource> ports;
  if (options.simulate) {
    simulator = std::make_unique<BoardSimulator>();
    simulator->SetLatency(std::chrono::microseconds(options.simulatorLatencyUs));
    if (!options.chipFile.empty()) {
      // Refused now, not after the work is done: a folder that is missing or
      // read-only, a special file, a file another program is using.
      std::string whyNot;
      chipFile = ChipFile::Open(options.chipFile, simulator->Chip(), whyNot);
      if (!chipFile) {
        Report_Failure(QString::fromStdString(whyNot));
        return 1;
      }
    }
    ports = std::make_unique<SimulatorPortSource>(*simulator);
  } else {
    ports = MakeHardwarePortSource();
  }

  const ChipFileAtExit writtenAtExit(chipFile.get());
  MdlGlobal global;
  QtMessages boxes;
  QtFileDialogs dialogs;
  QtLauncher launcher;
  RealTiming timing;
  FrmMain window(global,
                 {boxes, dialogs, launcher, *ports, timing, {}, &termination, chipFile.get()});
  boxes.SetParent(&window);
  dialogs.SetParent(&window);

  // A signal ends every event loop, a box's included; a run in progress
  // stops at its next location by itself.
  QSocketNotifier signalled(termination.ReadFd(), QSocketNotifier::Read);
  QObject::connect(&signalled, &QSocketNotifier::activated, [&termination] {
    termination.Drain();
    QApplication::exit(termination.ExitStatus());
  });
  window.show();

  int status = QApplication::exec();
  if (termination.Requested()) status = termination.ExitStatus();

  // The chip file already holds every programming run; this keeps whatever
  // else changed the simulated chip.
  if (chipFile) {
    const FileResult saved = chipFile->Save();
    if (!saved) {
      Report_Failure(QString::fromStdString(ChipNotSavedText(chipFile->Path(), saved.reason))
                         .replace(QLatin1Char('\r'), QLatin1Char('\n')));
      status = 1;
    }
  }
  return status;
}
