// VeskEprom: the programmer's window, on the parallel port or on the board simulator.
#include <QApplication>
#include <QMessageBox>
#include <chrono>
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

namespace {

// The screenshot run shows no boxes: it writes them to standard error.
class LoggedMessages final : public WindowMessages {
 public:
  void showFor(QWidget*, const std::string& title, const std::string& text, MessageIcon) override {
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
  std::unique_ptr<PortSource> ports;
  if (options.simulate) {
    simulator = std::make_unique<BoardSimulator>();
    simulator->SetLatency(std::chrono::microseconds(options.simulatorLatencyUs));
    std::string error;
    if (!options.chipFile.empty() && !simulator->LoadChip(options.chipFile, error)) {
      // Starting with a blank chip would write it over the file at the end.
      Report_Failure(
          QStringLiteral("The simulated chip cannot be loaded from %1\n%2")
              .arg(QString::fromStdString(options.chipFile), QString::fromStdString(error)));
      return 1;
    }
    ports = std::make_unique<SimulatorPortSource>(*simulator);
  } else {
    ports = MakeHardwarePortSource();
  }

  MdlGlobal global;
  QtMessages boxes;
  LoggedMessages logged;
  const bool screenshot = !options.screenshotFile.empty();
  WindowMessages& messages = screenshot ? static_cast<WindowMessages&>(logged) : boxes;
  QtFileDialogs dialogs;
  QtLauncher launcher;
  RealTiming timing;
  FrmMain window(global, {messages, dialogs, launcher, *ports, timing, {}});
  boxes.SetParent(&window);
  dialogs.SetParent(&window);
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

  if (simulator && !options.chipFile.empty()) {
    std::string error;
    if (!simulator->SaveChip(options.chipFile, error)) {
      Report_Failure(
          QStringLiteral("The simulated chip cannot be saved to %1\n%2")
              .arg(QString::fromStdString(options.chipFile), QString::fromStdString(error)));
      status = 1;
    }
  }
  return status;
}
