// The README's picture: VeskEprom's window on the board simulator, after
// reading a chip that holds a recognisable pattern, saved as a PNG file.
// Usage: screenshot FILE.png (under a display, e.g. xvfb-run).
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "BoardSimulator.h"
#include "FrmMain.h"

namespace {

// A text in the first rows, then a byte ramp: the character column shows
// words, digits and letters, the byte column counts up.
void putPattern(std::vector<std::uint8_t>& chip) {
  static constexpr char kBanner[] = "VeskEprom demo chip * 27-series UV EPROM * Linux";
  for (std::size_t i = 0; i < chip.size(); ++i) chip[i] = static_cast<std::uint8_t>(i);
  std::memcpy(chip.data(), kBanner, std::min(chip.size(), sizeof kBanner - 1));
}

void letTheWindowSettle() {
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

// No box, dialog or launch happens while the picture is taken; should one,
// it is written down rather than waited for.
struct LoggedMessages final : WindowMessages {
  void showFor(QWidget*, const std::string& title, const std::string& text, MessageIcon) override {
    std::fprintf(stderr, "screenshot: %s: %s\n", title.c_str(), text.c_str());
  }
};
struct NoDialogs final : FileDialogs {
  std::optional<ChosenFile> run(const FileDialogRequest&) override { return std::nullopt; }
};
struct NoLaunches final : Launcher {
  Expected<> start(const std::string&, const std::vector<std::string>&) override {
    return Failure{"no programs are started while the picture is taken"};
  }
  Expected<> startWatched(const std::string& program, const std::vector<std::string>& arguments,
                          std::function<void()>) override {
    return start(program, arguments);
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: screenshot FILE.png\n");
    return 2;
  }
  BoardSimulator simulator;
  putPattern(simulator.chip());
  SimulatorPortSource ports(simulator);
  LoggedMessages messages;
  NoDialogs dialogs;
  NoLaunches launcher;
  RealTiming timing;
  MdlGlobal global;
  FrmMain window(global, {messages, dialogs, launcher, ports, timing, {}});
  window.show();
  letTheWindowSettle();
  window.MnuRead_Click();
  HexView::setSelectedRow(window.view().Lst_Address, 4);
  letTheWindowSettle();
  if (!window.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "screenshot: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
