// VeskEprom: the programmer's window, on the parallel port or on the board simulator.
#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>

#include "mainwindow/FrmMain.h"
#include "mainwindow/LaunchOptions.h"
#include "mainwindow/QtFileDialogs.h"
#include "mainwindow/QtLauncher.h"
#include "mainwindow/QtMessages.h"
#include "mainwindow/Screenshot.h"
#include "programmer/BoardSimulator.h"
#include "programmer/ChipFile.h"
#include "programmer/TerminationSignals.h"

namespace {

// The screenshot run shows no boxes: it writes them to standard error.
class LoggedMessages final : public Messages {
 public:
  void Show(const std::string& title, const std::string& text, MessageIcon) override {
    std::fprintf(stderr, "VeskEprom: %s: %s\n", title.c_str(), text.c_str());
  }
};

void Report_Failure(const QString& text) {
  std::fprintf(stderr, "VeskEprom: %s\n", qPrintable(text));
  QMessageBox::critical(nullptr, QStringLiteral("VeskEprom"), text);
}

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

  MdlGlobal global;
  QtMessages boxes;
  LoggedMessages logged;
  const bool screenshot = !options.screenshotFile.empty();
  Messages& messages = screenshot ? static_cast<Messages&>(logged) : boxes;
  QtFileDialogs dialogs;
  QtLauncher launcher;
  RealTiming timing;
  FrmMain window(global,
                 {messages, dialogs, launcher, *ports, timing, {}, &termination, chipFile.get()});
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

  int status = 0;
  if (screenshot) {
    if (!Take_Screenshot(window, *simulator, QString::fromStdString(options.screenshotFile))) {
      std::fprintf(stderr, "VeskEprom: cannot write %s\n", options.screenshotFile.c_str());
      status = 1;
    }
  } else {
    status = QApplication::exec();
  }
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
